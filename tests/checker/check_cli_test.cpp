// The check mode: the sample plugin passes; each misbehaviour of the test plugins is caught with a
// line that names the export and its inputs; a call that never returns ends the run in time.
#include <gtest/gtest.h>

#include "checker/file_bytes.h"
#include "tests/checker/checker_process.h"

namespace {

std::vector<std::string> FailLines(const CheckerResult& run) {
  std::vector<std::string> fails;
  for (const std::string& line : run.OutLines()) {
    if (line.rfind("FAIL ", 0) == 0) fails.push_back(line);
  }
  return fails;
}

TEST(CheckCli, TheSamplePluginPassesOverEveryKeyTypeAndSize) {
  const CheckerResult run =
      RunChecker({"--check", "--plugin", "..\\plugins\\sample.dll", "--list",
                  "..\\run\\sample-list.txt", "--key", "1A2B", "--key", "hoshi_no_umi.zip"});
  EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_TRUE(FailLines(run).empty());
  ASSERT_FALSE(run.OutLines().empty());
  EXPECT_EQ(run.OutLines().back().rfind("PASS ", 0), 0u) << run.OutLines().back();
}

class MisbehavingCheck : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string list = ScratchFile("check-list.txt", "some list data\n");
    Run = new CheckerResult(RunChecker({"--check", "--plugin", TestPath("misbehaving_plugin.dll"),
                                        "--list", list, "--key", "k", "--key-type", "crc32",
                                        "--encoding", "sjis", "--junit", TestPath("checker-run\\check.xml")}));
  }
  static void TearDownTestSuite() { delete Run; }
  static CheckerResult* Run;
};
CheckerResult* MisbehavingCheck::Run = nullptr;

TEST_F(MisbehavingCheck, FailsWithExitCodeOne) { EXPECT_EQ(Run->exitCode, 1u) << Run->err; }

TEST_F(MisbehavingCheck, NamesEachBrokenRuleWithTheExportAndItsInputs) {
  const std::vector<std::string> fails = FailLines(*Run);
  const struct {
    const char* where;
    const char* what;
  } kExpected[] = {
      {"GetMaker key=k key-type=crc32 buffer=20 (the size asked for)", "do not fit"},
      {"GetCountry key=k key-type=crc32 buffer=22 (one byte less)", "did not come back"},
      {"GetVersion key=k key-type=crc32 buffer=", "警告："},
      {"GetGenre key=k key-type=crc32", "changed when repeated"},
      {"GetYear key=k key-type=crc32", "answered -1, which is no known status code"},
      {"GetImgNum key=k key-type=crc32", "cdecl"},
      {"GetR key=k key-type=crc32", "did not come back"},
  };
  for (const auto& expected : kExpected) {
    EXPECT_TRUE(AnyLineHas(fails, {expected.where, expected.what})) << expected.where;
  }
  // A finding is said once per case, at the first buffer size that shows it.
  EXPECT_FALSE(AnyLineHas(fails, {"GetCountry key=k key-type=crc32 buffer=1 (one byte)"}));
  // The well-behaved exports pass; the date and the zero-size probe only warn.
  for (const char* clean : {"GetTitle", "GetMemo", "GetSaleDate", "GetPluginAuthor", "GetPluginVersion"}) {
    EXPECT_FALSE(AnyLineHas(fails, {std::string("FAIL ") + clean + " "})) << clean;
  }
  EXPECT_TRUE(AnyLineHas(Run->OutLines(), {"WARN GetSaleDate key=k key-type=crc32", "YYYY-mm-dd"}));
  EXPECT_TRUE(AnyLineHas(Run->OutLines(), {"WARN GetPluginAuthor", "警告：バッファサイズが 0 です"}));
}

TEST_F(MisbehavingCheck, WritesTheFailuresAsJunit) {
  std::string xml;
  ASSERT_TRUE(ReadWholeFile(TestPath("checker-run\\check.xml"), xml));
  EXPECT_NE(xml.find("<testsuite name=\"QB2LPTCheck.check\""), std::string::npos);
  EXPECT_NE(xml.find("name=\"GetGenre key=k key-type=crc32\""), std::string::npos);
  EXPECT_NE(xml.find("<failure message=\"GetGenre key=k key-type=crc32: the answer changed"),
            std::string::npos);
  const size_t title = xml.find("<testcase classname=\"QB2LPTCheck.check\" name=\"GetTitle key=k key-type=crc32\" time=\"");
  ASSERT_NE(title, std::string::npos);
  EXPECT_LT(xml.find("</testcase>", title), xml.find("<failure", title));
  // A call that never came back is an error, not a wrong answer; an export the plugin lacks is
  // skipped.
  const size_t r = xml.find("name=\"GetR key=k key-type=crc32\" time=\"");
  ASSERT_NE(r, std::string::npos);
  EXPECT_EQ(xml.find("<error message=\"GetR key=k key-type=crc32", r), xml.find("<", r + 1)) << xml;
  EXPECT_NE(xml.find("name=\"GetCreator\" time=\"0.0"), std::string::npos);
  EXPECT_NE(xml.find("<skipped message=\"not exported by the plugin\"/>"), std::string::npos);
}

TEST(CheckCli, StrictFailsOnTheDateWarning) {
  const std::string list = ScratchFile("check-list.txt", "some list data\n");
  const CheckerResult run =
      RunChecker({"--check", "--strict", "--plugin", TestPath("misbehaving_plugin.dll"), "--list",
                  list, "--key", "k", "--key-type", "body", "--request", "GetSaleDate"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(run.OutLines(), {"FAIL (--strict) GetSaleDate key=k key-type=body", "YYYY-mm-dd"}));
}

TEST(CheckCli, CatchesEveryFaultOfTheFaultyPlugin) {
  const std::string list = ScratchFile("check-list.txt", "some list data\n");
  const CheckerResult run = RunChecker({"--check", "--plugin", TestPath("faulty_contract.dll"),
                                        "--list", list, "--key", "k", "--key-type", "body"});
  EXPECT_EQ(run.exitCode, 1u);
  const std::vector<std::string> fails = FailLines(run);
  const struct {
    const char* request;
    const char* what;
  } kExpected[] = {
      {"GetMaker", "did not come back"},      {"GetCountry", "did not come back"},
      {"GetVersion", "did not come back"},    {"GetGenre", "did not come back"},
      {"GetCreator", "did not come back"},    {"GetMemo", "cdecl"},
      {"GetKana", "-4"},                      {"GetDeveloper", "EBX"},
      {"GetModel", "did not come back"},      {"GetPrice", "did not come back"},
      {"GetMediaInfo", "did not come back"},  {"GetDeviceInfo", "did not come back"},
      {"GetPlayer", "did not come back"},     {"GetSaveInfo", "+4"},
      {"GetSoundInfo", "did not come back"},
  };
  for (const auto& expected : kExpected) {
    EXPECT_TRUE(AnyLineHas(fails, {std::string("FAIL ") + expected.request + " key=k key-type=body",
                                   expected.what}))
        << expected.request;
  }
  EXPECT_FALSE(AnyLineHas(fails, {"FAIL GetTitle "}));
}

TEST(CheckCli, AHangingCallIsReportedWithinTheTimeoutAndExitsOne) {
  const std::string list = ScratchFile("check-list.txt", "some list data\n");
  const CheckerResult run = RunChecker({"--check", "--plugin", TestPath("misbehaving_plugin.dll"),
                                        "--list", list, "--key", "hang", "--key-type", "crc16",
                                        "--request", "GetMemo", "--timeout", "2"},
                                       60000);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"HANG: GetMemo key=hang key-type=crc16", "2 seconds"}))
      << run.err;
  // Start-up under emulation takes a few seconds; the hang itself two.
  EXPECT_LT(run.elapsedMs, 30000u);
}

}  // namespace
