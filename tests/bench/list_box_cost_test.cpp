// The list box's measured cost: the lines file carries the lengths across processes intact, and
// the growth counts the lines added, their text and the list box's own keeping, not the lines it
// already held.
#include "bench/list_box_cost.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::string TempPath(const char* name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

constexpr DWORD kListStyle =
    WS_CHILD | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;

TEST(HeldLines, RoundTripThroughTheLinesFile) {
  const std::string path = TempPath("qb2lpt-held-lines.txt");
  HeldLines written;
  written.style = kListStyle;
  written.before = {0, 17, 300};
  written.added = {70012, 1, 1, 45};
  ASSERT_TRUE(WriteHeldLines(path, written));
  HeldLines read;
  read.added = {99};  // whatever was there is replaced
  ASSERT_TRUE(ReadHeldLines(path, read));
  EXPECT_EQ(read.style, written.style);
  EXPECT_EQ(read.before, written.before);
  EXPECT_EQ(read.added, written.added);
  EXPECT_EQ(TextBytes(written.before), (1u + 18u + 301u) * 2u);
  DeleteFileA(path.c_str());
}

TEST(HeldLines, RefusesFilesThatDoNotAddUp) {
  const std::string path = TempPath("qb2lpt-held-lines-bad.txt");
  for (const char* contents : {"", "5 1\n", "5 2 0\n4\n", "5 0 1\n-3\n", "5 1 1\n4\nx\n"}) {
    FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs(contents, file);
    std::fclose(file);
    HeldLines lines;
    EXPECT_FALSE(ReadHeldLines(path, lines)) << '"' << contents << '"';
  }
  DeleteFileA(path.c_str());
  HeldLines lines;
  EXPECT_FALSE(ReadHeldLines(path, lines));
}

TEST(ListBoxGrowthBytes, CountsTheAddedLinesTextAndKeepingButNotTheLinesHeldBefore) {
  constexpr int kLines = 20000;
  constexpr int kLength = 50;
  const std::vector<int> many(kLines, kLength);
  struct Case {
    std::vector<int> before;
    std::vector<int> added;
    long long atLeast;
    long long atMost;
  };
  const long long text = static_cast<long long>(TextBytes(many));
  const Case cases[] = {
      // The text, plus at least a few bytes of record and block header a line.
      {{}, many, text + kLines * 8LL, text * 3},
      {many, {}, -4096, 64 * 1024},
  };
  for (const Case& c : cases) {
    HeldLines lines;
    lines.style = kListStyle;
    lines.before = c.before;
    lines.added = c.added;
    const long long growth = ListBoxGrowthBytes(lines);
    EXPECT_GE(growth, c.atLeast) << c.before.size() << " held, " << c.added.size() << " added";
    EXPECT_LE(growth, c.atMost) << c.before.size() << " held, " << c.added.size() << " added";
  }
}

}  // namespace
