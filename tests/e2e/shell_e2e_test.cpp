// The window program as a user meets it: started in a folder of its own, driven through its
// window, closed, started again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drive/bench_driver.h"
#include "win/scoped_win.h"

using namespace e2e;

namespace {

const char kSection[] = "Quillerby2ListPluginTester";
const std::string kSeparator = "-------------";
const std::vector<std::string> kKeyTypes = {"16 bit CRC", "32 bit CRC", "FileName (body)",
                                            "FileName (body.ext)"};

std::string Setting(const std::string& folder, const char* key) {
  char value[512] = {};
  GetPrivateProfileStringA(kSection, key, "<missing>", value, sizeof value,
                           (folder + "\\QB2LPT.ini").c_str());
  return value;
}

void StoreSetting(const std::string& folder, const char* key, const char* value) {
  WritePrivateProfileStringA(kSection, key, value, (folder + "\\QB2LPT.ini").c_str());
}

std::string LastPart(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// The settings folder of the three starts below.
std::string Folder() {
  static const std::string folder = FreshFolder("shell_settings");
  return folder;
}

}  // namespace

// The tests run in order: each start picks up the settings file the previous one left behind.
TEST(ShellEndToEnd, FirstStartInAnEmptyFolder) {
  BenchProcess bench;
  ASSERT_TRUE(bench.Start(Folder()));

  EXPECT_EQ(bench.Text(0), "Quillerby2用 リネームデータ拝借プラグインテスター");
  const LONG style = GetWindowLongA(bench.Window(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_VISIBLE), WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  RECT outer;
  GetWindowRect(bench.Window(), &outer);
  EXPECT_EQ(outer.right - outer.left, 467);
  EXPECT_EQ(outer.bottom - outer.top, 499);
  // No edge or corner of the frame offers sizing.
  const LPARAM corner = MAKELPARAM(outer.right - 1, outer.bottom - 1);
  EXPECT_NE(SendMessageA(bench.Window(), WM_NCHITTEST, 0, corner), HTBOTTOMRIGHT);

  EXPECT_EQ(bench.Text(VersionLabel), "Ver 0.62");
  EXPECT_EQ(bench.ComboItems(RequestCombo), (std::vector<std::string>{kSeparator, kSeparator}));
  EXPECT_EQ(bench.ComboSelection(RequestCombo), -1);
  EXPECT_EQ(bench.ComboItems(KeyTypeCombo), kKeyTypes);
  EXPECT_EQ(bench.ComboSelection(KeyTypeCombo), 1);
  EXPECT_EQ(bench.Text(DatFileEdit), "");
  EXPECT_EQ(bench.Text(TestKeyEdit), "");

  // Only a click starts an action: other notifications, also from the buttons, do nothing.
  ASSERT_TRUE(bench.Notify(BrowseButton, BN_DBLCLK));
  ASSERT_TRUE(bench.Notify(LoadButton, BN_SETFOCUS));
  ASSERT_TRUE(bench.Notify(RunButton, EN_CHANGE));
  ASSERT_TRUE(bench.Notify(DatFileEdit, BN_CLICKED));
  EXPECT_TRUE(bench.ResultLines().empty());

  EXPECT_EQ(bench.Close(), 0u);
  EXPECT_EQ(Setting(Folder(), "DatFile"), "");
  EXPECT_EQ(Setting(Folder(), "Key"), "");
  EXPECT_EQ(Setting(Folder(), "KeyType"), "1");
}

TEST(ShellEndToEnd, UnknownKeyTypeAndLongTextsAreStoredSoundly) {
  StoreSetting(Folder(), "KeyType", "9");
  BenchProcess bench;
  ASSERT_TRUE(bench.Start(Folder()));
  EXPECT_EQ(bench.ComboSelection(KeyTypeCombo), -1);

  ASSERT_TRUE(bench.SetText(DatFileEdit, std::string(300, 'p')));
  ASSERT_TRUE(bench.SetText(TestKeyEdit, "表示ソフト"));
  EXPECT_EQ(bench.Close(), 0u);
  EXPECT_EQ(Setting(Folder(), "KeyType"), "1");
  EXPECT_EQ(Setting(Folder(), "DatFile"), std::string(259, 'p'));
  EXPECT_EQ(Setting(Folder(), "Key"), "表示ソフト");
}

TEST(ShellEndToEnd, SettingsComeBackAndChoosersStartInTheStartFolder) {
  StoreSetting(Folder(), "KeyType", "0");
  const std::string other = FreshFolder("shell_other");
  const std::string otherFile = other + "\\リスト.qbd";
  const std::string localFile = Folder() + "\\local.dat";
  ASSERT_TRUE(WriteFileBytes(otherFile, "list"));
  ASSERT_TRUE(WriteFileBytes(localFile, "list"));

  BenchProcess bench;
  ASSERT_TRUE(bench.Start(Folder()));
  EXPECT_EQ(bench.ComboSelection(KeyTypeCombo), 0);
  EXPECT_EQ(bench.Text(DatFileEdit), std::string(259, 'p'));
  EXPECT_EQ(bench.Text(TestKeyEdit), "表示ソフト");
  EXPECT_EQ(bench.Text(PluginEdit), "");

  // Cancelling keeps the box's text, typed or not.
  ASSERT_TRUE(bench.SetText(DatFileEdit, "typed.dat"));
  FileDialogVisit browse = bench.ClickThroughFileDialog(BrowseButton, "");
  ASSERT_TRUE(browse.opened);
  EXPECT_TRUE(browse.actionEnded);
  EXPECT_EQ(browse.title, "ファイルを開く");
  EXPECT_EQ(browse.filters, (std::vector<std::string>{"全てのファイル形式(*.*)"}));
  EXPECT_EQ(browse.selectedFilter, 0);
  EXPECT_EQ(browse.folder, LastPart(Folder()));
  EXPECT_EQ(bench.Text(DatFileEdit), "typed.dat");
  // A name of no existing file is refused by the dialog itself, which stays open.
  FileDialogVisit refused = bench.ClickThroughFileDialog(BrowseButton, Folder() + "\\none.dat");
  EXPECT_TRUE(refused.opened);
  EXPECT_FALSE(refused.closed);
  EXPECT_EQ(bench.Text(DatFileEdit), "typed.dat");

  FileDialogVisit load = bench.ClickThroughFileDialog(LoadButton, "");
  ASSERT_TRUE(load.opened);
  EXPECT_TRUE(load.actionEnded);
  EXPECT_EQ(load.title, "ファイルを開く");
  EXPECT_EQ(load.filters, (std::vector<std::string>{"DLL(*.dll)", "Brindlecote(*.qbd)"}));
  EXPECT_EQ(load.selectedFilter, 0);
  EXPECT_EQ(bench.Text(PluginEdit), "");

  // A choice in another folder, then a bare name: the dialog starts in the start folder again.
  EXPECT_TRUE(bench.ClickThroughFileDialog(BrowseButton, otherFile).actionEnded);
  EXPECT_EQ(bench.Text(DatFileEdit), otherFile);
  FileDialogVisit again = bench.ClickThroughFileDialog(BrowseButton, "local.dat");
  EXPECT_TRUE(again.actionEnded);
  EXPECT_EQ(again.folder, LastPart(Folder()));
  EXPECT_EQ(bench.Text(DatFileEdit), localFile);
  EXPECT_TRUE(bench.ClickThroughFileDialog(BrowseButton, otherFile).actionEnded);
  EXPECT_TRUE(bench.ResultLines().empty()) << "choosing a file reports nothing";

  ASSERT_TRUE(bench.SetText(TestKeyEdit, ""));
  EXPECT_EQ(bench.Close(), 0u);
  EXPECT_EQ(Setting(Folder(), "DatFile"), otherFile);
  EXPECT_EQ(Setting(Folder(), "Key"), "");
  EXPECT_EQ(Setting(Folder(), "KeyType"), "0");
  EXPECT_FALSE(FileExists(other + "\\QB2LPT.ini"));
}

TEST(ShellEndToEnd, ProgramCarriesItsIcon) {
  const std::string program = BenchProgramPath();
  const LibraryModule module(LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const HMODULE image = module.get();
  ASSERT_NE(image, nullptr);
  // The icon group 101 holds one 32 by 32 image with 256 colours.
  HRSRC group = FindResourceA(image, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(14));
  ASSERT_NE(group, nullptr);
  const BYTE* entries = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
  ASSERT_NE(entries, nullptr);
  EXPECT_EQ(entries[4] | entries[5] << 8, 1) << "one image";
  EXPECT_EQ(entries[6], 32);
  EXPECT_EQ(entries[7], 32);
  EXPECT_EQ(entries[12] | entries[13] << 8, 8) << "bits per pixel";
}
