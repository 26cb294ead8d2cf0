// The manual mode as a build script runs it: the window's lines, in UTF-8 or Shift-JIS, JSON, and
// the exit code.
#include <gtest/gtest.h>

#include "checker/text_encoding.h"
#include "tests/checker/checker_process.h"

namespace {

const std::string kSample = "..\\plugins\\sample.dll";
const std::string kSampleList = "..\\run\\sample-list.txt";

std::vector<std::string> ToUtf8(const std::vector<std::string>& sjis) {
  std::vector<std::string> utf8;
  for (const std::string& line : sjis) utf8.push_back(SjisToUtf8(line));
  return utf8;
}

std::vector<std::string> LoadLines() {
  static const char* const kNames[] = {
      "GetPluginVersion", "GetPluginAuthor", "GetPluginInfo", "GetTitle",     "GetMaker",
      "GetCountry",       "GetVersion",      "GetGenre",      "GetYear",      "GetImgNum",
      "GetR",             "GetCreator",      "GetMemo",       "GetKana",      "GetDeveloper",
      "GetSaleDate",      "GetModel",        "GetPrice",      "GetMediaInfo", "GetDeviceInfo",
      "GetPlayer",        "GetSaveInfo",     "GetSoundInfo",  "GetCeroRating"};
  std::vector<std::string> lines = {"DLL解放", "DLLロード -> OK"};
  for (const char* name : kNames) lines.push_back(std::string("...") + name + " -> OK");
  return lines;
}

std::vector<std::string> Tail(const std::vector<std::string>& lines, size_t from) {
  return std::vector<std::string>(lines.begin() + std::min(from, lines.size()), lines.end());
}

TEST(ManualCli, PrintsTheLoaderLinesThenEachRequestsLinesInUtf8) {
  const CheckerResult run = RunChecker({"--plugin", kSample, "--list", kSampleList, "--key",
                                        "0BADF00D", "--request", "GetTitle", "--request", "GetYear"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  std::vector<std::string> expected = LoadLines();
  for (const char* line : {"[タイトル]", "必要バイト数 : 13", "星の海の冒険", "[発売年]", "2013"}) {
    expected.push_back(line);
  }
  EXPECT_EQ(run.OutLines(), ToUtf8(expected));
}

TEST(ManualCli, ShiftJisOutputKeepsTheBenchsBytes) {
  const CheckerResult run =
      RunChecker({"--plugin", kSample, "--list", kSampleList, "--key", "hoshi_no_umi", "--key-type",
                  "body", "--request", "GetMaker", "--req-len", "5.9", "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  // A five-byte buffer holds two double-byte characters and the zero.
  const std::vector<std::string> expected = {"[メーカー]", "必要バイト数 : 11",
                                             "バイト数 : 5 でリクエストしてみるテスト", "青空"};
  EXPECT_EQ(Tail(run.OutLines(), 26), expected);
}

TEST(ManualCli, JapaneseKeysAndPathsArriveAsShiftJis) {
  const std::string list = ScratchFile("日本語の一覧.txt", "GetTitle key=日本 text=見つけた\n");
  const CheckerResult run = RunChecker({"--plugin", TestPath("scriptable_plugin.dll"), "--list", list,
                                        "--key", "日本", "--request", "GetTitle", "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  const std::vector<std::string> expected = {"[タイトル]", "必要バイト数 : 9", "見つけた"};
  EXPECT_EQ(Tail(run.OutLines(), 26), expected);
}

TEST(ManualCli, JsonReportsLinesResultsAndSizes) {
  const CheckerResult run = RunChecker({"--plugin", kSample, "--list", kSampleList, "--key",
                                        "0BADF00D", "--request", "GetTitle", "--json"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  ASSERT_FALSE(run.out.empty());
  EXPECT_EQ(run.out[0], '{');
  for (const std::string& part :
       {std::string("\"requiredSize\": 13"), std::string("\"bufferSize\": 13"),
        std::string("\"text\": \"") + SjisToUtf8("星の海の冒険") + "\"", std::string("\"exitCode\": 0"),
        std::string("\"loaded\": true")}) {
    EXPECT_NE(run.out.find(part), std::string::npos) << part;
  }
}

TEST(ManualCli, AFaultInThePluginFailsTheRunButTheOtherRequestsStillRun) {
  const std::string list = ScratchFile("any.txt", "any list\n");
  const CheckerResult run =
      RunChecker({"--plugin", TestPath("misbehaving_plugin.dll"), "--list", list, "--key", "k",
                  "--request", "GetR", "--request", "GetTitle", "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 1u);
  const std::vector<std::string> lines = Tail(run.OutLines(), 26);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "[R指定]");
  EXPECT_EQ(lines[1].rfind("エラー：", 0), 0u) << lines[1];
  EXPECT_EQ(Tail(lines, 2), (std::vector<std::string>{"[タイトル]", "必要バイト数 : 13", "Well behaved"}));
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"FAIL GetR key=k key-type=crc32", "did not complete"}));
}

TEST(ManualCli, StrictTurnsAWarningIntoAFailure) {
  const std::string list = ScratchFile("any.txt", "any list\n");
  const std::vector<std::string> args = {"--plugin", TestPath("misbehaving_plugin.dll"), "--list",
                                         list, "--key", "k", "--request", "GetSaleDate"};
  EXPECT_EQ(RunChecker(args).exitCode, 0u);
  std::vector<std::string> strict = args;
  strict.push_back("--strict");
  const CheckerResult run = RunChecker(strict);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"FAIL (--strict) GetSaleDate", "YYYY-mm-dd"}));
}

TEST(ManualCli, ARunThatReachesNoPluginCallFails) {
  const std::string empty = ScratchFile("empty.txt", "");
  const CheckerResult run =
      RunChecker({"--plugin", kSample, "--list", empty, "--key", "k", "--request", "GetTitle"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.OutLines().size(), 26u);  // the loader's lines only: empty list data shows nothing
  ASSERT_FALSE(run.ErrLines().empty());
  EXPECT_TRUE(AnyLineHas({run.ErrLines().back()},
                         {"FAIL 0 passed, 0 failed, 1 skipped: nothing was tested"})) << run.err;
}

TEST(ManualCli, ARequestThePluginLacksIsAFailure) {
  const std::string list = ScratchFile("any.txt", "any list\n");
  const CheckerResult run = RunChecker({"--plugin", TestPath("misbehaving_plugin.dll"), "--list",
                                        list, "--key", "k", "--request", "GetTitle", "--request",
                                        "GetCreator"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"GetCreator is not exported by the plugin"}));
}

}  // namespace
