// The checker's lines against the window's, byte for byte: the same scriptable plugin, the same
// inputs typed into the running bench and given on the command line.
#include <gtest/gtest.h>

#include "drive/bench_driver.h"
#include "tests/checker/checker_process.h"

namespace {

constexpr size_t kLoadLineCount = 26;

struct ScriptedCase {
  const char* request;
  std::string list;  // the list data, which carries the script
  std::string key;
  int keyType;       // a KeyTypeCombo index, -1 for none
  std::string requestedLength;
};

const char* const kKeyTypeNames[] = {"crc16", "crc32", "body", "body.ext"};

std::vector<ScriptedCase> Cases() {
  const std::string title = "GetTitle key=A text=星の海の冒険\n";
  const std::string longKey(300, 'K');
  std::string japaneseKey = "a";
  for (int i = 0; i < 150; ++i) japaneseKey += "日";  // the 259-byte limit falls inside a character
  return {
      {"GetTitle", title, "A", 1, ""},
      {"GetTitle", title, "A", 0, "3"},
      {"GetTitle", title, "A", 2, "12.9"},
      {"GetTitle", title, "A", 3, "0"},
      {"GetTitle", title, "A", -1, "-5"},
      {"GetTitle", title, "A", 1, "abc"},
      {"GetTitle", title, "A", 1, "70000"},
      {"GetTitle", title, "A", 1, "65536"},
      {"GetTitle", title, "A", 1, "&H10"},
      {"GetTitle", title, "B", 1, ""},
      {"GetTitle", "GetTitle write=fill text=溢れる文字\n", "A", 1, "5"},
      {"GetTitle", "GetTitle write=overrun text=long text\n", "A", 1, "3"},
      {"GetTitle", "GetTitle retarget=static text=mine\n", "A", 1, ""},
      {"GetMaker", "GetMaker probe=0\n", "A", 1, ""},
      {"GetCountry", "GetCountry probe=-1\n", "A", 1, ""},
      {"GetVersion", "GetVersion probe=-256\n", "A", 1, ""},
      {"GetGenre", "GetGenre result=-768 text=残り\n", "A", 1, ""},
      {"GetCreator", "GetCreator result=0 text=ゼロ\n", "A", 1, ""},
      {"GetYear", "GetYear result=0\n", "A", 1, ""},
      {"GetYear", "GetYear result=1998\n", "A", 0, ""},
      {"GetImgNum", "GetImgNum result=0x10005\n", "A", 1, ""},
      {"GetR", "GetR result=-769\n", "A", 1, ""},
      {"GetSaleDate", "GetSaleDate text=2013/03\n", "A", 1, ""},
      {"GetSaleDate", "GetSaleDate text=2013-03-08\n", "A", 1, ""},
      {"GetSaleDate", "GetSaleDate text=\n", "A", 1, ""},
      {"GetSaleDate", "GetSaleDate text=2013-03-08\n", "A", 1, "8"},
      {"GetPrice", "", "A", 1, ""},
      {"GetMemo", "GetMemo key=" + longKey.substr(0, 259) + " text=cut at 259\n", longKey, 1, ""},
      {"GetKana", "GetKana key=" + japaneseKey.substr(0, 257) + " text=日本語の鍵\n", japaneseKey, 2, ""},
      {"GetPluginVersion", "", "", 1, ""},
      {"GetPluginAuthor", "", "", 1, ""},
      {"GetPluginInfo", "", "", 1, "4"},
  };
}

TEST(WindowEquivalence, TheCheckersLinesAreTheWindowsLines) {
  // The plugin-description requests take their answers from a script file named in the
  // environment, which the bench and the checker both inherit.
  const std::string script = ScratchFile(
      "description.script",
      "GetPluginVersion result=62\nGetPluginAuthor text=作者の名前\nGetPluginInfo text=情報テキスト\n");
  SetEnvironmentVariableA("SCRIPTABLE_PLUGIN_SCRIPT", script.c_str());
  const std::string plugin = TestPath("scriptable_plugin.dll");

  e2e::BenchProcess bench;
  ASSERT_TRUE(bench.Start(e2e::FreshFolder("checker_equivalence")));
  ASSERT_TRUE(bench.SetText(PluginEdit, plugin));
  const e2e::FileDialogVisit visit = bench.ClickThroughFileDialog(LoadButton, "");
  ASSERT_TRUE(visit.actionEnded);
  std::vector<std::string> windowLines = bench.ResultLines();
  ASSERT_EQ(windowLines.size(), kLoadLineCount);
  size_t seen = windowLines.size();

  int number = 0;
  for (const ScriptedCase& c : Cases()) {
    const std::string list = ScratchFile("equivalence-" + std::to_string(++number) + ".txt", c.list);
    ASSERT_TRUE(bench.SetText(DatFileEdit, list));
    ASSERT_TRUE(bench.SetText(TestKeyEdit, c.key));
    ASSERT_TRUE(bench.SelectIndex(KeyTypeCombo, c.keyType));
    ASSERT_TRUE(bench.SelectText(RequestCombo, c.request));
    ASSERT_TRUE(bench.SetText(ReqLenEdit, c.requestedLength));
    ASSERT_TRUE(bench.Click(RunButton)) << c.request;
    windowLines = bench.ResultLines();
    const std::vector<std::string> window(windowLines.begin() + seen, windowLines.end());
    seen = windowLines.size();

    std::vector<std::string> args = {"--plugin", plugin, "--list", list, "--key", c.key,
                                     "--key-type", c.keyType < 0 ? "none" : kKeyTypeNames[c.keyType],
                                     "--request", c.request, "--encoding", "sjis"};
    if (!c.requestedLength.empty()) {
      args.push_back("--req-len");
      args.push_back(c.requestedLength);
    }
    const CheckerResult run = RunChecker(args);
    const std::vector<std::string> out = run.OutLines();
    ASSERT_GE(out.size(), kLoadLineCount) << run.err;
    EXPECT_EQ(std::vector<std::string>(out.begin(), out.begin() + kLoadLineCount),
              std::vector<std::string>(windowLines.begin(), windowLines.begin() + kLoadLineCount));
    EXPECT_EQ(std::vector<std::string>(out.begin() + kLoadLineCount, out.end()), window)
        << "case " << number << ": " << c.request << " req-len=" << c.requestedLength;
  }
  EXPECT_EQ(bench.Close(), 0u);
  SetEnvironmentVariableA("SCRIPTABLE_PLUGIN_SCRIPT", nullptr);
}

}  // namespace
