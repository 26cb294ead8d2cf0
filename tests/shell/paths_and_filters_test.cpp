#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "shell/file_chooser.h"
#include "shell/main_window.h"

namespace {

struct SettingsPathCase {
  std::string folder;
  const char* expected;  // null: no settings file
};

class SettingsPathTest : public ::testing::TestWithParam<SettingsPathCase> {};

TEST_P(SettingsPathTest, AppendsTheFileNameOnlyWhenItFits) {
  TextBuffer path;
  std::memset(path, '#', sizeof path);
  const bool composed = ComposeSettingsPath(GetParam().folder.c_str(), path);
  if (GetParam().expected == nullptr) {
    EXPECT_FALSE(composed);
    EXPECT_STREQ(path, "");
  } else {
    EXPECT_TRUE(composed);
    EXPECT_STREQ(path, GetParam().expected);
  }
}

// "\QB2LPT.ini" is 11 bytes, so a folder of 248 bytes gives the longest usable path.
const std::string kFolder248 = "C:\\" + std::string(245, 'f');
const std::string kPath259 = kFolder248 + "\\QB2LPT.ini";

INSTANTIATE_TEST_SUITE_P(
    Folders, SettingsPathTest,
    ::testing::Values(SettingsPathCase{"C:\\bench", "C:\\bench\\QB2LPT.ini"},
                      SettingsPathCase{"C:\\", "C:\\QB2LPT.ini"},
                      // The trail byte of 表 is a backslash's value; it is no separator.
                      SettingsPathCase{"C:\\表", "C:\\表\\QB2LPT.ini"},
                      SettingsPathCase{kFolder248, kPath259.c_str()},
                      SettingsPathCase{kFolder248 + "g", nullptr},
                      SettingsPathCase{std::string(300, 'f'), nullptr},
                      SettingsPathCase{"", nullptr}));

TEST(StartPaths, FollowTheCurrentFolder) {
  char saved[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, saved);
  const std::string folder = std::string(saved) + "\\start-paths";
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  FixStartPaths();
  SetCurrentDirectoryA(saved);
  EXPECT_STREQ(Shell.startDirectory, folder.c_str());
  EXPECT_EQ(std::string(Shell.settingsPath), folder + "\\QB2LPT.ini");
}

// The expected bytes, zero bytes included, without the literal's own terminator.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

TEST(Filters, AreDescriptionPatternPairsJoinedByZeroBytes) {
  EXPECT_EQ(ListDataFileFilter(), Bytes("全てのファイル形式(*.*)\0*.*\0\0"));
  EXPECT_EQ(PluginFilter(), Bytes("DLL(*.dll)\0*.dll\0Brindlecote(*.qbd)\0*.qbd\0\0"));
  EXPECT_EQ(BuildFilter({}), Bytes("\0"));
}

TEST(OpenFileRecord, StartsEmptyInTheGivenFolderWithTheFirstPairActive) {
  char fileName[261] = {};
  const std::string filter = PluginFilter();
  HWND owner = reinterpret_cast<HWND>(0x1234);
  OPENFILENAMEA record = MakeOpenFileRecord(owner, filter, "C:\\start", fileName);
  EXPECT_EQ(record.lStructSize, 76u);
  EXPECT_EQ(record.hwndOwner, owner);
  EXPECT_EQ(record.lpstrFilter, filter.c_str());
  EXPECT_EQ(record.lpstrCustomFilter, nullptr);
  EXPECT_EQ(record.nFilterIndex, 1u);
  EXPECT_EQ(record.lpstrFile, fileName);
  EXPECT_EQ(record.nMaxFile, 260u);
  EXPECT_EQ(record.lpstrFileTitle, nullptr);
  EXPECT_STREQ(record.lpstrInitialDir, "C:\\start");
  EXPECT_STREQ(record.lpstrTitle, "ファイルを開く");
  EXPECT_EQ(record.Flags, DWORD{OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY});
  EXPECT_EQ(record.lpstrDefExt, nullptr);
  EXPECT_EQ(record.lpfnHook, nullptr);

  EXPECT_EQ(MakeOpenFileRecord(owner, filter, "", fileName).lpstrInitialDir, nullptr);
}

}  // namespace
