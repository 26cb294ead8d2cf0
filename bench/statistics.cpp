#include "bench/statistics.h"

#include <algorithm>
#include <cstdio>

Summary Summarise(std::vector<double> samples) {
  Summary summary;
  if (samples.empty()) return summary;
  std::sort(samples.begin(), samples.end());
  const size_t middle = samples.size() / 2;
  summary.median = samples.size() % 2 == 1 ? samples[middle]
                                           : (samples[middle - 1] + samples[middle]) / 2;
  summary.min = samples.front();
  summary.max = samples.back();
  return summary;
}

Comparison Compare(const std::vector<double>& a, const std::vector<double>& b) {
  Comparison comparison;
  comparison.a = Summarise(a);
  comparison.b = Summarise(b);
  comparison.ratio = comparison.b.median != 0 ? comparison.a.median / comparison.b.median : 0;
  return comparison;
}

bool RunsAFirst(int pair) { return pair % 2 == 0; }

Comparison Alternate(int pairs, const std::function<double()>& measureA,
                     const std::function<double()>& measureB) {
  std::vector<double> a, b;
  for (int pair = 0; pair < pairs; ++pair) {
    if (RunsAFirst(pair)) {
      a.push_back(measureA());
      b.push_back(measureB());
    } else {
      b.push_back(measureB());
      a.push_back(measureA());
    }
  }
  return Compare(a, b);
}

std::string FormatComparison(const Comparison& comparison, double scale, const char* unit) {
  char text[200];
  std::snprintf(text, sizeof text, "%.2f (A %.3g [%.3g..%.3g] %s, B %.3g [%.3g..%.3g] %s)",
                comparison.ratio, comparison.a.median * scale, comparison.a.min * scale,
                comparison.a.max * scale, unit, comparison.b.median * scale,
                comparison.b.min * scale, comparison.b.max * scale, unit);
  return text;
}

std::string FormatTable(const std::vector<TableRow>& rows) {
  std::string table = "| Measure | A / B | Ratio or figure (median [min..max]) | Goal | Met |\n"
                      "|---|---|---|---|---|\n";
  for (const TableRow& row : rows) {
    table += "| " + row.what + " | " + row.sides + " | " + row.figures + " | " + row.goal + " | " +
             (row.met ? "yes" : "no") + " |\n";
  }
  return table;
}
