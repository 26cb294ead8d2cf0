#include "shell/settings.h"

#include <windows.h>

#include <string>

#include "shell/controls.h"
#include "shell/key_type_combo.h"
#include "shell/main_window.h"

namespace {

constexpr char kSection[] = "Quillerby2ListPluginTester";
constexpr char kListDataFileKey[] = "DatFile";
constexpr char kTestKeyKey[] = "Key";
constexpr char kKeyTypeKey[] = "KeyType";
constexpr int kDefaultKeyType = 1;  // "32 bit CRC"

bool HasSettingsFile() { return SettingsPath[0] != '\0'; }

// The stored text, or empty text when it is missing or there is no settings file.
void ReadSetting(const char* key, TextBuffer& value) {
  value[0] = '\0';
  if (HasSettingsFile()) {
    GetPrivateProfileStringA(kSection, key, "", value, kTextLimit, SettingsPath);
  }
}

int ReadKeyTypeSetting() {
  if (!HasSettingsFile()) return kDefaultKeyType;
  return static_cast<int>(GetPrivateProfileIntA(kSection, kKeyTypeKey, kDefaultKeyType, SettingsPath));
}

void WriteSetting(const char* key, const char* value) {
  if (HasSettingsFile()) WritePrivateProfileStringA(kSection, key, value, SettingsPath);
}

void WriteControlSetting(const char* key, int controlId) {
  TextBuffer value;
  ReadControlText(controlId, value);
  WriteSetting(key, value);
}

}  // namespace

void LoadSettings() {
  TextBuffer datFile = {};
  TextBuffer testKey = {};
  ReadSetting(kListDataFileKey, datFile);
  ReadSetting(kTestKeyKey, testKey);
  const int keyType = ReadKeyTypeSetting();
  SetControlText(DatFileEdit, datFile);
  SetControlText(TestKeyEdit, testKey);
  // A stored index outside the list leaves nothing selected.
  const bool known = keyType >= 0 && keyType < kKeyTypeCount;
  SendDlgItemMessageA(MainWindow, KeyTypeCombo, CB_SETCURSEL, known ? keyType : -1, 0);
}

void SaveSettings() {
  int keyType = ComboSelection(KeyTypeCombo);
  if (keyType < 0) keyType = kDefaultKeyType;
  WriteControlSetting(kListDataFileKey, DatFileEdit);
  WriteControlSetting(kTestKeyKey, TestKeyEdit);
  WriteSetting(kKeyTypeKey, std::to_string(keyType).c_str());
}
