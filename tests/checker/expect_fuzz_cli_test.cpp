// The regression and fuzz modes as a build script runs them.
#include <gtest/gtest.h>

#include "checker/text_encoding.h"
#include "tests/checker/checker_process.h"

namespace {

// Test-vector files are UTF-8; the sources' literals are Shift-JIS.
std::string Vectors(const std::string& sjis) { return SjisToUtf8(sjis); }

const char kGoodCases[] =
    "# the sample plugin over its own sample list\n"
    "case title by 32 bit CRC\n"
    "list ..\\..\\run\\sample-list.txt\n"
    "key 0BADF00D\n"
    "request GetTitle\n"
    "> [タイトル]\n"
    "> 必要バイト数 : 13\n"
    "> 星の海の冒険\n"
    "\n"
    "case cut maker by body\n"
    "list ..\\..\\run\\sample-list.txt\n"
    "key hoshi_no_umi\n"
    "key-type body\n"
    "request GetMaker\n"
    "req-len 5\n"
    "> [メーカー]\n"
    "> 必要バイト数 : 11\n"
    "> バイト数 : 5 でリクエストしてみるテスト\n"
    "> 青空\n"
    "\n"
    "case unknown key\n"
    "list ..\\..\\run\\sample-list.txt\n"
    "key nothing\n"
    "request GetYear\n"
    "> [発売年]\n"
    "> エラー：リストファイル中に指定されたキーが無い\n";

TEST(ExpectCli, PassesWhenEveryLineMatches) {
  const std::string vectors = ScratchFile("good.vectors", Vectors(kGoodCases));
  const CheckerResult run = RunChecker({"--plugin", "..\\plugins\\sample.dll", "--expect", vectors,
                                        "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
  const std::vector<std::string> lines = run.OutLines();
  EXPECT_EQ(lines, (std::vector<std::string>{"PASS title by 32 bit CRC (line 2)",
                                             "PASS cut maker by body (line 10)",
                                             "PASS unknown key (line 21)", "PASS 3 passed, 0 failed"}));
}

TEST(ExpectCli, OneWrongLineFailsAndShowsTheDifference) {
  std::string cases = kGoodCases;
  cases.replace(cases.find("> 青空"), std::string("> 青空").size(), "> 青空ソ");
  const std::string vectors = ScratchFile("wrong.vectors", Vectors(cases));
  const CheckerResult run = RunChecker({"--plugin", "..\\plugins\\sample.dll", "--expect", vectors,
                                        "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 1u);
  const std::vector<std::string> lines = run.OutLines();
  const std::vector<std::string> expected = {
      "PASS title by 32 bit CRC (line 2)",
      "FAIL cut maker by body (line 10): the lines differ (- expected, + shown)",
      "      [メーカー]",
      "      必要バイト数 : 11",
      "      バイト数 : 5 でリクエストしてみるテスト",
      "    - 青空ソ",
      "    + 青空",
      "PASS unknown key (line 21)",
      "FAIL 2 passed, 1 failed"};
  EXPECT_EQ(lines, expected);
}

TEST(ExpectCli, AMalformedVectorFileIsBadInput) {
  const std::string vectors = ScratchFile("bad.vectors", "case a\nrequest GetTitle\nkeytype crc16\n");
  const CheckerResult run = RunChecker({"--plugin", "..\\plugins\\sample.dll", "--expect", vectors});
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"bad.vectors: line 3: unknown field \"keytype\""})) << run.err;
}

TEST(FuzzCli, TheSamplePluginSurvivesAndTheSeedIsPrinted) {
  const CheckerResult run = RunChecker({"--plugin", "..\\plugins\\sample.dll", "--list",
                                        "..\\run\\sample-list.txt", "--key", "1A2B", "--fuzz", "150",
                                        "--seed", "42"});
  EXPECT_EQ(run.exitCode, 0u) << run.out;
  const std::vector<std::string> lines = run.OutLines();
  ASSERT_EQ(lines.size(), 2u) << run.out;
  EXPECT_EQ(lines[0], "fuzz seed 42, 150 cases");
  EXPECT_EQ(lines[1].rfind("PASS ", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(" passed, 0 failed"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[1].substr(lines[1].size() - 9), "(seed 42)") << lines[1];
}

}  // namespace
