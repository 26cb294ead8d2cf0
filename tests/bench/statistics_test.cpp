#include "bench/statistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Summarise, MedianMinAndMaxOfOddEvenAndEmptyCounts) {
  struct Case {
    std::vector<double> samples;
    double median, min, max;
  } cases[] = {
      {{5, 1, 3}, 3, 1, 5},
      {{4, 1, 3, 2}, 2.5, 1, 4},
      {{7}, 7, 7, 7},
      {{}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const Summary summary = Summarise(c.samples);
    EXPECT_DOUBLE_EQ(summary.median, c.median);
    EXPECT_DOUBLE_EQ(summary.min, c.min);
    EXPECT_DOUBLE_EQ(summary.max, c.max);
  }
}

TEST(Compare, RatioOfMediansNotOfMeans) {
  // One slow outlier on side A moves its mean a lot and its median not at all.
  const Comparison comparison = Compare({2, 2, 100}, {1, 1, 1});
  EXPECT_DOUBLE_EQ(comparison.ratio, 2.0);
  EXPECT_DOUBLE_EQ(comparison.a.max, 100);
  EXPECT_DOUBLE_EQ(Compare({1}, {0}).ratio, 0.0);
}

TEST(Alternate, RunsThePairsInTurnsABThenBA) {
  std::string order;
  double next = 0;
  const Comparison comparison = Alternate(
      4, [&] { order += 'A'; return next += 1; }, [&] { order += 'B'; return 10.0; });
  EXPECT_EQ(order, "ABBAABBA");
  EXPECT_DOUBLE_EQ(comparison.b.median, 10);
  EXPECT_EQ(comparison.a.min, 1);
  EXPECT_EQ(comparison.a.max, 4);
}

TEST(FormatTable, OneLinePerRowAfterTheHeader) {
  TableRow met{"start-up", "A / B", "1.05", "<= 1.20", true};
  TableRow missed{"scan", "C / D", "2.50", "<= 2.00", false};
  const std::string table = FormatTable({met, missed});
  EXPECT_NE(table.find("| start-up | A / B | 1.05 | <= 1.20 | yes |\n"), std::string::npos);
  EXPECT_NE(table.find("| scan | C / D | 2.50 | <= 2.00 | no |\n"), std::string::npos);
  EXPECT_EQ(table.find("| Measure"), 0u);
}

TEST(FormatComparison, ScalesEveryFigure) {
  const Comparison comparison = Compare({0.002, 0.004, 0.003}, {0.0015, 0.001, 0.002});
  EXPECT_EQ(FormatComparison(comparison, 1000, "ms"),
            "2.00 (A 3 [2..4] ms, B 1.5 [1..2] ms)");
}

}  // namespace
