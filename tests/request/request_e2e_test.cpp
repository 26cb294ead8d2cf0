// Requests run in the real window, driven the way a user works it: type, pick, click, read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drive/bench_driver.h"
#include "tests/plugins/scriptable_support.h"

namespace {

using Lines = std::vector<std::string>;
using namespace e2e;

const char kNoOpen[] = "リストデータファイルが開けませんでした";

std::string CurrentFolder() {
  char folder[MAX_PATH];
  GetCurrentDirectoryA(sizeof folder, folder);
  return folder;
}

// The lines a list-data file gives the scriptable plugin to answer from.
const char kListData[] =
    "GetTitle key=ABC text=Some title\n"
    "GetTitle key=LONG probe=4 text=abcdefgh\n"
    "GetYear key=ABC result=0\n"
    "GetR key=ABC result=-769\n"
    "GetImgNum key=ABC result=0x00010007\n"
    "GetSaleDate key=ABC result=-768 text=2013/03\n"
    "GetSaleDate key=GOOD text=2013-03-08\n"
    "GetSaleDate key=EMPTY text=\n"
    "GetPrice key=ABC probe=0\n"
    "GetMemo key=FILL write=fill text=AB\n"
    "GetMemo key=MOVED result=-512 retarget=static text=moved\n";

class RequestE2e : public ::testing::Test {
 protected:
  RequestE2e() : plugin_("request_e2e") {}

  void SetUp() override {
    folder_ = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    listPath_ = folder_ + "\\list.dat";
    ASSERT_TRUE(WriteFileBytes(listPath_, kListData));
    plugin_.SetScript("GetPluginVersion result=62\nGetPluginAuthor text=作者の名前\n");
    ASSERT_TRUE(bench_.Start(folder_));
  }

  void LoadScriptablePlugin() {
    const size_t before = bench_.ResultLines().size();
    ASSERT_TRUE(bench_.SetText(PluginEdit, CurrentFolder() + "\\scriptable_plugin.dll"));
    // A cancelled chooser loads the path already in the box.
    ASSERT_TRUE(bench_.ClickThroughFileDialog(LoadButton, "").actionEnded);
    const Lines lines = bench_.ResultLines();
    ASSERT_GE(lines.size(), before + 2);
    ASSERT_EQ(lines[before + 1], "DLLロード -> OK");
  }

  // Selects the request, clicks RunButton and returns the lines that the run appended.
  Lines Run(const std::string& request, const std::string& key = "ABC") {
    const size_t before = bench_.ResultLines().size();
    EXPECT_TRUE(bench_.SetText(TestKeyEdit, key));
    EXPECT_TRUE(request.empty() || bench_.SelectText(RequestCombo, request)) << request;
    plugin_.ClearLog();
    EXPECT_TRUE(bench_.Click(RunButton));
    const Lines lines = bench_.ResultLines();
    return before <= lines.size() ? Lines(lines.begin() + before, lines.end()) : Lines{};
  }

  // The plugin's log lines of the last run, for the fields that crossed the boundary.
  Lines Logged(const std::string& field) {
    Lines values;
    for (const std::string& line : plugin_.LogLines()) values.push_back(LogField(line, field));
    return values;
  }

  ScriptedPluginFiles plugin_;
  BenchProcess bench_;
  std::string folder_, listPath_;
};

TEST_F(RequestE2e, RequestsOfEveryPatternAsAUserSeesThem) {
  LoadScriptablePlugin();
  ASSERT_TRUE(bench_.SetText(DatFileEdit, listPath_));

  EXPECT_EQ(Run("GetTitle"), (Lines{"[タイトル]", "必要バイト数 : 11", "Some title"}));
  EXPECT_EQ(Logged("buffer")[0], "null");
  EXPECT_EQ(Logged("size"), (Lines{"0x00000000", "0x0000000B"}));
  EXPECT_EQ(Logged("writable")[1], "11");
  EXPECT_EQ(Logged("zeroed")[1], "yes");
  EXPECT_EQ(Logged("listdata"), (Lines{"ro", "ro"}));
  EXPECT_EQ(Logged("keydata"), (Lines{"ro", "ro"}));
  EXPECT_EQ(Logged("keytype"), (Lines{"0x00000000", "0x00000000"}));

  EXPECT_EQ(Run("GetYear"), (Lines{"[発売年]", "0"}));
  EXPECT_EQ(Run("GetR"), (Lines{"[R指定]", "エラー：正しく取得したが数値ではなかった"}));
  EXPECT_EQ(Run("GetImgNum"), (Lines{"[イメージ番号]", "7"}));
  EXPECT_EQ(Run("GetPrice"), (Lines{"[価格]", "警告：バッファサイズが 0 です"}));
  EXPECT_EQ(Logged("size").size(), 1u);
  EXPECT_EQ(Run("GetKana"), (Lines{"[読み仮名]", "エラー：リストファイル中に指定されたキーが無い"}));

  EXPECT_EQ(Run("GetSaleDate"),
            (Lines{"[発売年月日]", "必要バイト数 : 8", "エラー：正しく取得したが該当データは不在だった",
                   "[警告]YYYY-mm形式じゃないみたい", "2013/03"}));
  EXPECT_EQ(Run("GetSaleDate", "GOOD"), (Lines{"[発売年月日]", "必要バイト数 : 11", "2013-03-08"}));
  EXPECT_EQ(Run("GetSaleDate", "EMPTY"),
            (Lines{"[発売年月日]", "必要バイト数 : 1", "[警告]YYYY-mm-dd形式じゃないみたい"}));

  EXPECT_EQ(Run("GetPluginVersion"), (Lines{"[プラグインバージョン]", "0.62"}));
  // The plugin-description requests never open the list-data file.
  ASSERT_TRUE(bench_.SetText(DatFileEdit, folder_ + "\\no_such_list.dat"));
  EXPECT_EQ(Run("GetPluginAuthor"), (Lines{"[プラグイン作者]", "必要バイト数 : 11", "作者の名前"}));
  EXPECT_EQ(Run("GetTitle"), Lines{kNoOpen});
  EXPECT_TRUE(plugin_.LogLines().empty());

  EXPECT_EQ(bench_.Close(), 0u);
}

TEST_F(RequestE2e, TypedLengthKeyTypeAndKeyReachThePlugin) {
  LoadScriptablePlugin();
  ASSERT_TRUE(bench_.SetText(DatFileEdit, listPath_));

  ASSERT_TRUE(bench_.SetText(ReqLenEdit, "12.9"));
  EXPECT_EQ(Run("GetTitle"), (Lines{"[タイトル]", "必要バイト数 : 11",
                                     "バイト数 : 12 でリクエストしてみるテスト", "Some title"}));
  EXPECT_EQ(Logged("size")[1], "0x0000000C");

  ASSERT_TRUE(bench_.SetText(ReqLenEdit, "70000"));
  Run("GetTitle");
  EXPECT_EQ(Logged("size")[1], "0x00001170");
  EXPECT_EQ(Logged("writable")[1], "70000");

  for (const char* ignored : {"0", "-5", "abc", ""}) {
    ASSERT_TRUE(bench_.SetText(ReqLenEdit, ignored));
    EXPECT_EQ(Run("GetTitle"), (Lines{"[タイトル]", "必要バイト数 : 11", "Some title"})) << ignored;
  }

  const struct {
    int index;
    const char* slot;
  } keyTypes[] = {{0, "0x00000010"}, {1, "0x00000000"}, {2, "0x00000064"}, {3, "0x00000065"}};
  for (const auto& keyType : keyTypes) {
    ASSERT_TRUE(bench_.SelectIndex(KeyTypeCombo, keyType.index));
    Run("GetYear");
    EXPECT_EQ(Logged("keytype"), Lines{keyType.slot}) << keyType.index;
  }

  const std::string longKey(300, 'k');
  EXPECT_EQ(Run("GetMaker", longKey),
            (Lines{"[メーカー]", "エラー：リストファイル中に指定されたキーが無い"}));
  EXPECT_EQ(Logged("keytext"), Lines{std::string(259, 'k')});

  EXPECT_EQ(bench_.Close(), 0u);
}

TEST_F(RequestE2e, NothingToRunAndNoPlugin) {
  // No plugin: the request list holds the two separators only.
  ASSERT_TRUE(bench_.SelectIndex(RequestCombo, 0));
  ASSERT_TRUE(bench_.SetText(DatFileEdit, ""));
  EXPECT_EQ(Run(""), Lines{kNoOpen});
  ASSERT_TRUE(bench_.SetText(DatFileEdit, listPath_));
  EXPECT_EQ(Run(""), Lines{});

  LoadScriptablePlugin();
  // Right after a load nothing is selected: the file is still read, nothing is called.
  EXPECT_EQ(Run(""), Lines{});
  ASSERT_TRUE(WriteFileBytes(folder_ + "\\empty.dat", ""));
  ASSERT_TRUE(bench_.SetText(DatFileEdit, folder_ + "\\empty.dat"));
  EXPECT_EQ(Run("GetTitle"), Lines{});
  EXPECT_EQ(Run("GetSaleDate"), Lines{});
  EXPECT_TRUE(plugin_.LogLines().empty());
  EXPECT_EQ(bench_.Close(), 0u);
}

TEST_F(RequestE2e, MisbehavingPluginGetsTheBenchsOwnWarnings) {
  LoadScriptablePlugin();
  ASSERT_TRUE(bench_.SetText(DatFileEdit, listPath_));

  EXPECT_EQ(Run("GetMemo", "FILL"),
            (Lines{"[メモ]", "必要バイト数 : 3",
                   "警告：プラグインが返したテキストがバッファ内で終わっていません", "ABA"}));
  EXPECT_EQ(Run("GetMemo", "MOVED"),
            (Lines{"[メモ]", "必要バイト数 : 6", "エラー：リストファイル中に指定されたキーが無い",
                   "警告：プラグインがバッファのアドレスを書き換えました"}));

  ASSERT_TRUE(bench_.SetText(ReqLenEdit, "20"));
  EXPECT_EQ(Run("GetTitle", "LONG"),
            (Lines{"[タイトル]", "必要バイト数 : 4", "バイト数 : 20 でリクエストしてみるテスト",
                   "警告：プラグインが返したテキストが必要バイト数より長くなっています",
                   "abcdefgh"}));

  ASSERT_TRUE(bench_.SetText(ReqLenEdit, "2000000000"));
  EXPECT_EQ(Run("GetTitle"), (Lines{"[タイトル]", "必要バイト数 : 11",
                                     "バイト数 : 2000000000 でリクエストしてみるテスト",
                                     "エラー：結果バッファを確保できませんでした"}));
  EXPECT_EQ(Logged("size"), Lines{"0x00000000"});
  EXPECT_EQ(bench_.Close(), 0u);
}

}  // namespace
