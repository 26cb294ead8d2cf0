#include <cstring>
#include <string>

#include "shell/settings.h"
#include "tests/shell/window_fixture.h"

namespace {

std::string EditText(int controlId) {
  TextBuffer text;
  ReadControlText(controlId, text);
  return text;
}

std::string Setting(const std::string& ini, const char* key) {
  char value[400] = {};
  GetPrivateProfileStringA("Quillerby2ListPluginTester", key, "<missing>", value, sizeof value,
                           ini.c_str());
  return value;
}

const char kSection[] = "[Quillerby2ListPluginTester]\r\n";

}  // namespace

TEST_F(MainWindowTest, FirstRunShowsDefaultsAndWritesAllThreeKeys) {
  OpenWindow();
  EXPECT_EQ(EditText(DatFileEdit), "");
  EXPECT_EQ(EditText(TestKeyEdit), "");
  EXPECT_EQ(ComboSelection(KeyTypeCombo), 1);
  CloseWindow();
  EXPECT_EQ(Setting(iniPath_, "DatFile"), "");
  EXPECT_EQ(Setting(iniPath_, "Key"), "");
  EXPECT_EQ(Setting(iniPath_, "KeyType"), "1");
  const std::string text = SettingsFileText();
  EXPECT_NE(text.find("[Quillerby2ListPluginTester]"), std::string::npos);
  EXPECT_NE(text.find("KeyType=1"), std::string::npos);
}

struct KeyTypeCase {
  const char* stored;  // null: no KeyType key at all
  int selected;
  const char* writtenBack;
};

class KeyTypeSettingTest : public MainWindowTest,
                           public ::testing::WithParamInterface<KeyTypeCase> {};

TEST_P(KeyTypeSettingTest, SelectsTheStoredIndexOrNothingAndWritesBack) {
  const KeyTypeCase& c = GetParam();
  std::string ini = std::string(kSection) + "DatFile=a.dat\r\n";
  if (c.stored != nullptr) ini += std::string("KeyType=") + c.stored + "\r\n";
  OpenWindow(ini.c_str());
  EXPECT_EQ(ComboSelection(KeyTypeCombo), c.selected);
  CloseWindow();
  EXPECT_EQ(Setting(iniPath_, "KeyType"), c.writtenBack);
  EXPECT_EQ(Setting(iniPath_, "DatFile"), "a.dat");
}

INSTANTIATE_TEST_SUITE_P(StoredValues, KeyTypeSettingTest,
                         ::testing::Values(KeyTypeCase{"0", 0, "0"}, KeyTypeCase{"2", 2, "2"},
                                           KeyTypeCase{"3", 3, "3"}, KeyTypeCase{"9", -1, "1"},
                                           KeyTypeCase{"4", -1, "1"}, KeyTypeCase{"-1", -1, "1"},
                                           KeyTypeCase{nullptr, 1, "1"}));

TEST_F(MainWindowTest, ShiftJisTextsRoundTripAndOtherEntriesSurvive) {
  const std::string ini = std::string(kSection) +
                          "DatFile=C:\\データ\\表示.qbd\r\nKey=ソフト表\r\nKeyType=2\r\n"
                          "Other=kept\r\n[Elsewhere]\r\nName=value\r\n";
  OpenWindow(ini.c_str());
  EXPECT_EQ(EditText(DatFileEdit), "C:\\データ\\表示.qbd");
  EXPECT_EQ(EditText(TestKeyEdit), "ソフト表");
  EXPECT_EQ(ComboSelection(KeyTypeCombo), 2);
  SetControlText(TestKeyEdit, "");
  SetControlText(DatFileEdit, "能力\\予定.dat");
  SetControlText(PluginEdit, "never.dll");
  SendDlgItemMessageA(Shell.mainWindow, KeyTypeCombo, CB_SETCURSEL, 0, 0);
  CloseWindow();
  EXPECT_EQ(Setting(iniPath_, "DatFile"), "能力\\予定.dat");
  EXPECT_EQ(Setting(iniPath_, "Key"), "");
  EXPECT_EQ(Setting(iniPath_, "KeyType"), "0");
  EXPECT_EQ(Setting(iniPath_, "Other"), "kept");
  char elsewhere[32] = {};
  GetPrivateProfileStringA("Elsewhere", "Name", "", elsewhere, sizeof elsewhere, iniPath_.c_str());
  EXPECT_STREQ(elsewhere, "value");
  EXPECT_EQ(SettingsFileText().find("never.dll"), std::string::npos) << "the plugin path is not kept";

  OpenWindow();
  EXPECT_EQ(EditText(TestKeyEdit), "");
  EXPECT_EQ(EditText(DatFileEdit), "能力\\予定.dat");
  EXPECT_EQ(EditText(PluginEdit), "");
}

TEST_F(MainWindowTest, LongValuesAreCutToTwoHundredFiftyNineBytes) {
  const std::string stored(300, 'k');
  OpenWindow((std::string(kSection) + "Key=" + stored + "\r\n").c_str());
  EXPECT_EQ(EditText(TestKeyEdit), std::string(259, 'k'));
  SetControlText(DatFileEdit, std::string(300, 'd').c_str());
  CloseWindow();
  EXPECT_EQ(Setting(iniPath_, "DatFile"), std::string(259, 'd'));
  EXPECT_EQ(Setting(iniPath_, "Key"), std::string(259, 'k'));
}

TEST_F(MainWindowTest, CutNeverLeavesHalfADoubleByteCharacter) {
  // 258 single bytes and one double-byte character: the character does not fit in 259 bytes.
  const std::string text = std::string(258, 'a') + "表";
  OpenWindow((std::string(kSection) + "Key=" + text + "\r\n").c_str());
  EXPECT_EQ(EditText(TestKeyEdit), std::string(258, 'a'));
  SetControlText(DatFileEdit, text.c_str());
  CloseWindow();
  EXPECT_EQ(Setting(iniPath_, "DatFile"), std::string(258, 'a'));
}

TEST_F(MainWindowTest, WithoutASettingsPathNothingIsReadOrWritten) {
  const std::string ini = std::string(kSection) + "DatFile=x.dat\r\nKeyType=3\r\n";
  std::memset(Shell.settingsPath, 0, sizeof Shell.settingsPath);
  OpenWindow(ini.c_str());
  EXPECT_EQ(EditText(DatFileEdit), "");
  EXPECT_EQ(ComboSelection(KeyTypeCombo), 1);
  SetControlText(DatFileEdit, "changed.dat");
  CloseWindow();
  EXPECT_EQ(SettingsFileText(), ini);
}

TEST_F(MainWindowTest, ASavedValueLoadsBackAndNoSelectionLoadsAsTheDefault) {
  Settings saved;
  saved.listDataFile = "C:\\表\\一覧.dat";
  saved.testKey = "ソフト";
  saved.keyTypeEntry = 3;
  SaveSettings(saved, iniPath_.c_str());
  const Settings loaded = LoadSettings(iniPath_.c_str());
  EXPECT_EQ(loaded.listDataFile, saved.listDataFile);
  EXPECT_EQ(loaded.testKey, saved.testKey);
  EXPECT_EQ(loaded.keyTypeEntry, 3);

  saved.keyTypeEntry = -1;
  SaveSettings(saved, iniPath_.c_str());
  EXPECT_EQ(LoadSettings(iniPath_.c_str()).keyTypeEntry, kDefaultKeyTypeEntry);
}
