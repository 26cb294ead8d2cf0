// Cases in worker processes: a call that hangs and a plugin that ends its process beyond every
// guard each fail their case and end only their worker; the run checks every other export and
// exits 1. In process, a hang still ends the run. Two builds compared, each in its own worker.
#include <gtest/gtest.h>

#include "checker/file_bytes.h"
#include "checker/text_encoding.h"
#include "tests/checker/checker_process.h"

namespace {

std::vector<std::string> CheckArgs(const std::string& plugin) {
  return {"--check", "--plugin", TestPath(plugin), "--list", ScratchFile("worker-list.txt", "data\n"),
          "--key", "k", "--key-type", "crc32", "--timeout", "1", "--encoding", "sjis"};
}

TEST(WorkerCli, AHangFailsItsCaseAndTheOtherExportsAreStillChecked) {
  const CheckerResult run = RunChecker(CheckArgs("hanging_plugin.dll"), 90000);
  EXPECT_EQ(run.exitCode, 1u) << run.out << run.err;
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"HANG: GetMaker key=k key-type=crc32 did not return within 1 second;",
                                          "the run goes on"}))
      << run.err;
  EXPECT_TRUE(AnyLineHas(run.OutLines(), {"FAIL GetMaker key=k key-type=crc32 buffer=0 (the probe): the call did not come back",
                                          "GetMaker が 1 秒以内に戻りません"}))
      << run.out;
  EXPECT_FALSE(AnyLineHas(run.OutLines(), {"FAIL GetCountry"})) << run.out;
  ASSERT_FALSE(run.OutLines().empty());
  // The import check and the five exports' cases all ran, GetCountry and GetYear after the hang.
  EXPECT_EQ(run.OutLines().back(), "FAIL 5 passed, 1 failed, 19 skipped (15 requests)") << run.out;

  std::vector<std::string> inProcess = CheckArgs("hanging_plugin.dll");
  inProcess.push_back("--in-process");
  const CheckerResult stopped = RunChecker(inProcess, 90000);
  EXPECT_EQ(stopped.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(stopped.ErrLines(), {"HANG: GetMaker", "the check stops here"})) << stopped.err;
  ASSERT_FALSE(stopped.OutLines().empty());
  EXPECT_EQ(stopped.OutLines().back(), "FAIL 3 passed, 1 failed (a plugin call hung)") << stopped.out;
}

TEST(WorkerCli, AProcessEndedBeyondTheGuardsFailsItsCaseAndTheRunGoesOn) {
  const CheckerResult run = RunChecker(CheckArgs("ending_plugin.dll"), 90000);
  EXPECT_EQ(run.exitCode, 1u) << run.out << run.err;
  EXPECT_TRUE(AnyLineHas(run.OutLines(), {"FAIL GetMaker key=k key-type=crc32 buffer=0 (the probe): the call did not come back",
                                          "終了コード 0000002A"}))
      << run.out;
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"worker process ended during GetMaker", "0000002A"})) << run.err;
  ASSERT_FALSE(run.OutLines().empty());
  EXPECT_EQ(run.OutLines().back(), "FAIL 5 passed, 1 failed, 19 skipped (15 requests)") << run.out;

  // A regression run and a fuzz run go on past the lost case as well.
  ScratchFile("worker-list.txt", "data\n");
  const std::string vectors = ScratchFile("worker.vec",
                                          std::string("case maker\nlist worker-list.txt\nkey k\nrequest GetMaker\n"
                                                      "case year\nlist worker-list.txt\nkey k\nrequest GetYear\n") +
                                          SjisToUtf8("> [発売年]\n> 1999\n"));
  const CheckerResult expect = RunChecker({"--expect", vectors, "--plugin", TestPath("ending_plugin.dll")}, 90000);
  EXPECT_EQ(expect.exitCode, 1u) << expect.out << expect.err;
  EXPECT_TRUE(AnyLineHas(expect.OutLines(), {"FAIL maker (line 1)"})) << expect.out;
  EXPECT_TRUE(AnyLineHas(expect.OutLines(), {"PASS year (line 5)"})) << expect.out;

  const CheckerResult fuzz = RunChecker({"--fuzz", "6", "--seed", "1", "--plugin", TestPath("ending_plugin.dll"),
                                         "--request", "GetMaker", "--request", "GetYear"},
                                        90000);
  EXPECT_EQ(fuzz.exitCode, 1u) << fuzz.out << fuzz.err;
  ASSERT_FALSE(fuzz.OutLines().empty());
  EXPECT_EQ(fuzz.OutLines().back(), "FAIL 4 passed, 2 failed (seed 1)") << fuzz.out;
}

TEST(WorkerCli, CompareShowsEachAnswerThatTheNewBuildChanged) {
  const std::string list = ScratchFile("worker-list.txt", "data\n");
  const CheckerResult same = RunChecker({"--plugin", TestPath("steady_plugin.dll"), "--compare",
                                         TestPath("steady_plugin.dll"), "--list", list, "--key", "k"});
  EXPECT_EQ(same.exitCode, 0u) << same.out << same.err;
  EXPECT_EQ(same.OutLines(), std::vector<std::string>{"PASS 5 passed, 0 failed (5 requests compared)"});

  const CheckerResult changed =
      RunChecker({"--plugin", TestPath("steady_changed_plugin.dll"), "--compare", TestPath("steady_plugin.dll"),
                  "--list", list, "--key", "k", "--key-type", "crc16", "--key-type", "body"});
  EXPECT_EQ(changed.exitCode, 1u) << changed.out << changed.err;
  const std::vector<std::string> expected = {
      "DIFF GetTitle key=k key-type=crc16 (- old, + new)",
      "      [タイトル]",
      "    - 必要バイト数 : 12",
      "    - First build",
      "    + 必要バイト数 : 13",
      "    + Second build",
  };
  const std::vector<std::string> lines = changed.OutLines();
  ASSERT_EQ(lines.size(), 2 * expected.size() + 1) << changed.out;
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], SjisToUtf8(expected[i])) << i;
  EXPECT_EQ(lines[expected.size()], "DIFF GetTitle key=k key-type=body (- old, + new)");
  EXPECT_EQ(lines.back(), "FAIL 7 passed, 2 failed (9 requests compared)");
}

}  // namespace
