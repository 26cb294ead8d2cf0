// The command line's numbers are decimal, its texts reach the bench as Shift-JIS, and a command
// written for cmd.exe splits back into exactly its words.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "checker/command_line.h"
#include "checker/file_bytes.h"
#include "checker/options.h"
#include "checker/text_encoding.h"
#include "tests/checker/checker_process.h"
#include "win/scoped_win.h"

namespace {

TEST(CommandLineNumbers, AreDecimalWhateverTheirLeadingZeros) {
  CheckerOptions options;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--plugin", "p", "--fuzz", "08", "--seed", "010", "--timeout", "010.50"},
                           options, error)) << error;
  EXPECT_EQ(options.fuzzCount, 8u);
  EXPECT_EQ(options.seed, 10u);
  EXPECT_DOUBLE_EQ(options.timeoutSeconds, 10.5);
  for (const char* bad : {"--seed=0x10", "--seed=1e3", "--seed=+5", "--seed= 5", "--seed=4294967296",
                          "--fuzz=0x10", "--timeout=1e1", "--timeout=0x10", "--timeout=.",
                          "--timeout=1.2.3", "--timeout=inf"}) {
    EXPECT_FALSE(ParseOptions({"--plugin", "p", bad, "--fuzz", "3"}, options, error)) << bad;
    EXPECT_NE(error.find(" needs "), std::string::npos) << bad << ": " << error;
  }
}

TEST(CommandLineTexts, KeysBecomeShiftJisOrAreRefusedInOneLine) {
  CheckerOptions options;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--plugin", u8"表示ソフト.dll", "--list", kPyo + ".txt", "--key", u8"日本",
                            "--req-len", u8"５"},
                           options, error))
      << error;
  EXPECT_EQ(options.pluginPath, u8"表示ソフト.dll");  // paths stay as given
  EXPECT_EQ(options.listPath, kPyo + ".txt");
  EXPECT_EQ(options.keys, std::vector<std::string>{"日本"});  // the bench's bytes
  EXPECT_EQ(options.requestedLength, "５");
  EXPECT_FALSE(ParseOptions({"--plugin", "p", "--list", "l", "--key", kKi}, options, error));
  EXPECT_EQ(error, "--key \"" + kKi + "\" holds a character that has no Shift-JIS form (a plugin "
                   "receives it in Shift-JIS)");
}

TEST(CommandLineQuoting, ACmdCommandSplitsBackIntoItsWords) {
  const std::string kWords[] = {
      u8"C:\\表\\表示ソフト.dll", u8"C:\\表 ソ\\", u8"能\"", u8"a&b", u8"(x)", u8"a|b<c>d^e",
      u8"plain", u8"", u8"trailing\\", u8"tab\there"};
  for (const std::string& word : kWords) {
    const std::wstring line = WidePath("program " + QuoteForCmd(word));
    int count = 0;
    const LocalMemory<LPWSTR*> argv(CommandLineToArgvW(line.c_str(), &count));
    ASSERT_EQ(count, 2) << word;
    EXPECT_EQ(WideToUtf8(argv.get()[1]), word);
    // cmd.exe reads its operators unless they are quoted.
    if (word.find_first_of("&|<>^()") != std::string::npos) {
      EXPECT_EQ(QuoteForCmd(word)[0], '"') << word;
    }
  }
}

}  // namespace
