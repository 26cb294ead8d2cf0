#include "shell/settings.h"

#include <windows.h>

#include "shell/key_type_combo.h"
#include "shell/shell_state.h"

namespace {

constexpr char kSection[] = "Quillerby2ListPluginTester";
constexpr char kListDataFileKey[] = "DatFile";
constexpr char kTestKeyKey[] = "Key";
constexpr char kKeyTypeKey[] = "KeyType";

// The stored text, or empty text when it is missing.
std::string ReadSetting(const char* key, const char* settingsPath) {
  TextBuffer value = {};
  GetPrivateProfileStringA(kSection, key, "", value, kTextLimit, settingsPath);
  return value;
}

}  // namespace

Settings LoadSettings(const char* settingsPath) {
  Settings settings;
  if (settingsPath[0] == '\0') return settings;
  settings.listDataFile = ReadSetting(kListDataFileKey, settingsPath);
  settings.testKey = ReadSetting(kTestKeyKey, settingsPath);
  const int stored = static_cast<int>(
      GetPrivateProfileIntA(kSection, kKeyTypeKey, kDefaultKeyTypeEntry, settingsPath));
  settings.keyTypeEntry = KeyTypeOfEntry(stored) ? stored : -1;
  return settings;
}

void SaveSettings(const Settings& settings, const char* settingsPath) {
  if (settingsPath[0] == '\0') return;
  const int keyTypeEntry = settings.keyTypeEntry < 0 ? kDefaultKeyTypeEntry : settings.keyTypeEntry;
  const auto write = [settingsPath](const char* key, const std::string& value) {
    WritePrivateProfileStringA(kSection, key, value.c_str(), settingsPath);
  };
  write(kListDataFileKey, settings.listDataFile);
  write(kTestKeyKey, settings.testKey);
  write(kKeyTypeKey, std::to_string(keyTypeEntry));
}
