// What a run's verdict says: one summary line whatever the mode, and the reports and messages a
// plugin's author reads, down to a character cut in half by a small buffer.
#include <gtest/gtest.h>

#include "checker/file_bytes.h"
#include "checker/text_encoding.h"
#include "tests/checker/checker_process.h"

namespace {

std::string FileBytes(const std::string& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

// Six exports of 24 (GetPluginAuthor receives no list data, so no script: it answers a status);
// GetTitle's text cuts its last character in half in a buffer one byte short,
// GetMemo's probe answers a size that is no size.
const char kScript[] =
    "GetTitle text=星の海\n"
    "GetR result=3\n"
    "GetMemo probe=-5 text=x\n"
    "GetSaleDate text=2013-03-08\n"
    "GetCeroRating text=ok\n";

std::vector<std::string> CheckArgs(std::vector<std::string> more) {
  std::vector<std::string> args = {"--check", "--plugin", TestPath("partial_plugin.dll"), "--list",
                                   ScratchFile("verdicts-list.txt", kScript), "--key", "k",
                                   "--key-type", "crc32", "--encoding", "sjis"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(VerdictCli, ACheckCountsPassedFailedAndAbsentExportsAndNamesTheProbesBuffer) {
  const std::string junit = TestPath("checker-run\\verdicts.xml");
  const CheckerResult run = RunChecker(CheckArgs({"--junit", junit}));
  EXPECT_EQ(run.exitCode, 1u) << run.out;
  const std::vector<std::string> lines = run.OutLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("FAIL 6 passed, 1 failed, 18 skipped (", 0), 0u) << lines.back();
  EXPECT_TRUE(AnyLineHas(lines, {"FAIL GetMemo key=k key-type=crc32 buffer=0 (the probe): the probe "
                                 "answered -5"}))
      << run.out;
  // Only a warning without --strict.
  EXPECT_TRUE(AnyLineHas(lines, {"WARN GetTitle key=k key-type=crc32 buffer=6 (one byte less): the "
                                 "text ends with half a double-byte character (its first byte 8A "
                                 "without the second) in a buffer of 6 bytes; the window shows "
                                 "\"星の・\""}))
      << run.out;
  const std::string xml = FileBytes(junit);
  // The load, the imports, six exports and the 18 the plugin lacks.
  EXPECT_NE(xml.find("<testsuite name=\"QB2LPTCheck.check\" tests=\"26\" failures=\"1\" errors=\"0\" "
                     "skipped=\"18\" time=\""),
            std::string::npos)
      << xml;
}

TEST(VerdictCli, StrictFailsTheCutCharacterAndJsonSaysWhatRanPerExport) {
  const CheckerResult run = RunChecker(CheckArgs({"--strict", "--json"}));
  EXPECT_EQ(run.exitCode, 1u);
  std::string compact;
  for (char c : run.out) {
    if (c != ' ' && c != '\r' && c != '\n') compact += c;
  }
  for (const std::string& part :
       {std::string("{\"name\":\"GetTitle\",\"keyTypes\":[\"crc32\"],\"bufferSizes\":[1,6,7,65535]}"),
        std::string("{\"name\":\"GetSaleDate\",\"keyTypes\":[\"crc32\"],\"bufferSizes\":[1,10,11,65535]}"),
        std::string("{\"name\":\"GetR\",\"keyTypes\":[\"crc32\"],\"bufferSizes\":[]}"),
        std::string("\"passed\":5,\"failed\":2,\"skipped\":18"),
        std::string("\"skipped\":\"notexportedbytheplugin\"")}) {
    EXPECT_NE(compact.find(part), std::string::npos) << part << "\n" << run.out;
  }
}

TEST(VerdictCli, TheManualModeWarnsOfTheCutCharacterAndEndsWithItsSummary) {
  const CheckerResult run = RunChecker({"--plugin", TestPath("partial_plugin.dll"), "--list",
                                        ScratchFile("verdicts-list.txt", kScript), "--key", "k",
                                        "--request", "GetTitle", "--req-len", "4", "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  const std::vector<std::string> err = run.ErrLines();
  ASSERT_EQ(err.size(), 2u) << run.err;
  EXPECT_TRUE(AnyLineHas({err[0]}, {"WARN GetTitle key=k key-type=crc32 req-len=4: the text ends with "
                                    "half a double-byte character (its first byte 82 without the "
                                    "second) in a buffer of 4 bytes"}))
      << run.err;
  EXPECT_TRUE(AnyLineHas({err[1]}, {"PASS 1 passed, 0 failed"})) << run.err;
}

// The sample plugin's title, expected wrong, and a case whose list file is not there.
const char kVectors[] =
    "case title\n"
    "list ..\\..\\run\\sample-list.txt\n"
    "key 0BADF00D\n"
    "request GetTitle\n"
    "> [タイトル]\n"
    "> 必要バイト数 : 13\n"
    "> 星の海\n"
    "case no list\n"
    "list absent-list.txt\n"
    "request GetTitle\n";

TEST(VerdictCli, AnExpectFailureCarriesItsDifferenceAndAMissingListFileIsNamed) {
  const std::string vectors = ScratchFile("verdicts.vectors", SjisToUtf8(kVectors));
  const std::string junit = TestPath("checker-run\\verdicts-expect.xml");
  const CheckerResult run = RunChecker({"--plugin", "..\\plugins\\sample.dll", "--expect", vectors,
                                        "--junit", junit, "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(run.OutLines(), {"FAIL no list (line 8): the lines differ (- expected, + "
                                          "shown) (the list-data file \"",
                                          "absent-list.txt\" does not exist)"}))
      << run.out;
  EXPECT_EQ(run.OutLines().back(), "FAIL 0 passed, 2 failed");
  const std::string xml = FileBytes(junit);
  EXPECT_NE(xml.find(SjisToUtf8("the lines differ from those expected\n  [タイトル]\n  必要バイト数 : "
                                "13\n- 星の海\n+ 星の海の冒険</failure>")),
            std::string::npos)
      << xml;
}

TEST(VerdictCli, AVectorFileThatIsNotUtf8IsCalledThat) {
  // Shift-JIS bytes where UTF-8 is expected.
  const std::string vectors =
      ScratchFile("sjis.vectors", "case a\nrequest GetTitle\n> 星の海\n");
  const CheckerResult run = RunChecker({"--plugin", "..\\plugins\\sample.dll", "--expect", vectors});
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"sjis.vectors: line 3 is not UTF-8 text"})) << run.err;
}

}  // namespace
