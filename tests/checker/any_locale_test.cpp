// The checker in a process whose ANSI code page is not Japanese (this program runs under
// LANG=C.UTF-8, the default of most build machines): the README's build-script commands with
// Japanese names, and names that Shift-JIS cannot hold at all. Texts here are UTF-8.
#include <gtest/gtest.h>

#include "checker/file_bytes.h"
#include "tests/checker/checker_process.h"

namespace {

// The README's layout: a plugin, its list in another folder, a vector file and a report.
const std::string kFolder = u8"checker-run/表示 ソフト";  // 表 and ソ hold 5C trail bytes
const std::string kPlugin = kFolder + u8"/表示ソフト.dll";
const std::string kListFolder = "checker-run/" + kPyo;  // no Shift-JIS form at all
const std::string kList = kListFolder + "/" + kPyo + " list.txt";
const std::string kVectors = kFolder + u8"/回帰.vectors";
const std::string kReport = kFolder + u8"/報告.xml";

class AnyLocale : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const std::string& folder : {std::string("checker-run"), kFolder, kListFolder}) {
      CreateDirectoryW(WidePath(folder).c_str(), nullptr);
    }
    CopyFileW(L"..\\plugins\\sample.dll", WidePath(kPlugin).c_str(), FALSE);
    CopyFileW(L"..\\run\\sample-list.txt", WidePath(kList).c_str(), FALSE);
    WriteWholeFile(kVectors, "case title\nlist ../" + kPyo + "/" + kPyo + " list.txt\nkey 0BADF00D\n"
                             u8"request GetTitle\n> [タイトル]\n> 必要バイト数 : 13\n> 星の海の冒険\n");
  }
};

TEST_F(AnyLocale, TheReadmeCommandsWorkWithNamesOfAnyScript) {
  const CheckerResult check = RunCheckerUtf8({"--check", "--plugin", kPlugin, "--list", kList, "--key",
                                              "0BADF00D", "--key", "game.zip", "--junit", kReport});
  EXPECT_EQ(check.exitCode, 0u) << check.out << check.err;
  std::string xml;
  ASSERT_TRUE(ReadWholeFile(kReport, xml));
  EXPECT_NE(xml.find("name=\"load " + kPlugin + "\""), std::string::npos);

  const CheckerResult expect = RunCheckerUtf8({"--plugin", kPlugin, "--expect", kVectors});
  EXPECT_EQ(expect.exitCode, 0u) << expect.out << expect.err;
  EXPECT_EQ(expect.OutLines().back(), "PASS 1 passed, 0 failed");

  const CheckerResult fuzz = RunCheckerUtf8({"--plugin", kPlugin, "--list", kList, "--key", "0BADF00D",
                                             "--fuzz", "30", "--seed", "1"});
  EXPECT_EQ(fuzz.exitCode, 0u) << fuzz.out << fuzz.err;
}

TEST_F(AnyLocale, MessagesNameEveryPathExactly) {
  const std::string missing = kListFolder + "/" + kPyo + " missing.dll";
  const CheckerResult run = RunCheckerUtf8({"--plugin", missing, "--list", kList, "--key", "k"});
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(run.err, "QB2LPTCheck: the plugin file \"" + missing + "\" does not exist\r\n");
}

TEST_F(AnyLocale, AFaultLineNamesAJapanesePluginInFull) {
  const CheckerResult run = RunCheckerUtf8({"--plugin", u8"表示ソフト.dll", "--list", kList, "--key", "k",
                                            "--request", "GetMaker"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.OutLines().back().find(u8"(表示ソフト.dll+0x"), std::string::npos) << run.out;
}

}  // namespace
