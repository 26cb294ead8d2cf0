// Fuzz failures kept as test vectors, and reference outputs recorded, as a build script uses them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "checker/file_bytes.h"
#include "checker/text_encoding.h"
#include "tests/checker/checker_process.h"

namespace {

std::string FileBytes(const std::string& sjisPath) {
  std::string bytes;
  ReadWholeFile(SjisToUtf8(sjisPath), bytes);
  return bytes;
}

void Forget(const std::vector<std::string>& sjisPaths) {
  for (const std::string& path : sjisPaths) DeleteNamedFile(SjisToUtf8(path));
}

// The decimal number after `before` in the first line that holds it; 0 when none does.
size_t NumberAfter(const std::vector<std::string>& lines, const std::string& before) {
  for (const std::string& line : lines) {
    const size_t at = line.find(before);
    if (at != std::string::npos) return std::strtoul(line.c_str() + at + before.size(), nullptr, 10);
  }
  return 0;
}

TEST(SaveFailuresCli, AFuzzFailureIsKeptShrunkAndFailsAgainUnderExpect) {
  // A folder that the checker makes, with a space in its name.
  const std::string folder = TestPath("checker-run\\saved failures\\fuzz");
  const std::string vectors = folder + "\\GetR-seed5.vectors", list = folder + "\\GetR-seed5.list";
  Forget({vectors, list});
  const CheckerResult fuzz = RunChecker({"--plugin", "misbehaving_plugin.dll", "--list", "..\\run\\sample-list.txt",
                                         "--key", "0BADF00D", "--request", "GetR", "--fuzz", "1", "--seed", "5",
                                         "--save-failures", folder, "--encoding", "sjis"});
  EXPECT_EQ(fuzz.exitCode, 1u) << fuzz.out << fuzz.err;
  EXPECT_TRUE(AnyLineHas(fuzz.OutLines(), {"  saved: ", "GetR-seed5.vectors"})) << fuzz.out;
  const size_t fuzzedBytes = NumberAfter(fuzz.OutLines(), "list data=");
  ASSERT_GT(fuzzedBytes, 0u) << fuzz.out;
  EXPECT_LT(FileBytes(list).size(), fuzzedBytes);
  EXPECT_NE(FileBytes(vectors).find("\nlist GetR-seed5.list\n"), std::string::npos) << FileBytes(vectors);

  // The saved case expects the fault's own line: the fault alone fails it.
  const CheckerResult again = RunChecker({"--plugin", "misbehaving_plugin.dll", "--expect", vectors,
                                          "--encoding", "sjis"});
  EXPECT_EQ(again.exitCode, 1u) << again.out << again.err;
  EXPECT_TRUE(AnyLineHas(again.OutLines(), {"FAIL GetR-seed5 (line ", "C0000005", "0x00000000"})) << again.out;
  EXPECT_FALSE(AnyLineHas(again.OutLines(), {"the lines differ"})) << again.out;
  EXPECT_EQ(again.OutLines().back(), "FAIL 0 passed, 1 failed");
}

TEST(SaveFailuresCli, AHungCaseIsKeptAsFound) {
  const std::string folder = TestPath("checker-run\\saved hang");
  const std::string vectors = folder + "\\GetMemo-seed1.vectors";
  Forget({vectors});
  const CheckerResult fuzz = RunChecker({"--plugin", "misbehaving_plugin.dll", "--key", "hang", "--request",
                                         "GetMemo", "--fuzz", "1", "--seed", "1", "--timeout", "0.5",
                                         "--save-failures", folder});
  EXPECT_EQ(fuzz.exitCode, 1u) << fuzz.out << fuzz.err;
  EXPECT_TRUE(AnyLineHas(fuzz.ErrLines(), {"HANG: GetMemo"})) << fuzz.err;
  const std::string saved = FileBytes(vectors);
  EXPECT_NE(saved.find("\nkey hang\n"), std::string::npos) << saved;
  const CheckerResult again = RunChecker({"--plugin", "misbehaving_plugin.dll", "--expect", vectors,
                                          "--timeout", "0.5"});
  EXPECT_EQ(again.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(again.ErrLines(), {"HANG: GetMemo key=hang"})) << again.err;
}

TEST(RecordCli, ARecordedRunPassesUnderExpectUntilThePluginChanges) {
  const std::string vectors = TestPath("checker-run\\recorded\\sample.vectors");
  Forget({vectors});
  const std::vector<std::string> manual = {"--plugin", "..\\plugins\\sample.dll", "--list",
                                           "..\\run\\sample-list.txt", "--key", "hoshi_no_umi", "--key-type",
                                           "body", "--req-len", "5", "--request", "GetMaker", "--request",
                                           "GetTitle", "--encoding", "sjis"};
  std::vector<std::string> record = manual;
  record.insert(record.end(), {"--record", vectors});
  const CheckerResult recorded = RunChecker(record);
  EXPECT_EQ(recorded.exitCode, 0u) << recorded.out << recorded.err;
  // The run's own lines are printed as they always are, then what was written.
  std::vector<std::string> lines = recorded.OutLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "recorded 2 cases in " + vectors);
  lines.pop_back();
  EXPECT_EQ(lines, RunChecker(manual).OutLines());

  const CheckerResult same = RunChecker({"--plugin", "..\\plugins\\sample.dll", "--expect", vectors});
  EXPECT_EQ(same.exitCode, 0u) << same.out << same.err;
  EXPECT_EQ(same.OutLines().back(), "PASS 2 passed, 0 failed");
  const CheckerResult changed = RunChecker({"--plugin", "scriptable_plugin.dll", "--expect", vectors});
  EXPECT_EQ(changed.exitCode, 1u) << changed.out;
  EXPECT_TRUE(AnyLineHas(changed.OutLines(), {"FAIL GetMaker (line ", "the lines differ"})) << changed.out;

  // A run that faults is no reference output: the file stays as it was.
  const std::string before = FileBytes(vectors);
  const CheckerResult refused = RunChecker({"--plugin", "misbehaving_plugin.dll", "--list", "..\\run\\sample-list.txt",
                                            "--key", "k", "--request", "GetR", "--record", vectors});
  EXPECT_EQ(refused.exitCode, 2u) << refused.out << refused.err;
  EXPECT_TRUE(AnyLineHas(refused.ErrLines(), {"sample.vectors was not written: the run failed"})) << refused.err;
  EXPECT_EQ(FileBytes(vectors), before);
}

}  // namespace
