// The settings file: the list-data file path, the test key and the key type, kept between runs.
// Read into a plain value that the window then shows, and written from one read off the window.
#pragma once

#include <string>

// "32 bit CRC": the key type entry selected when the file stores none.
constexpr int kDefaultKeyTypeEntry = 1;

struct Settings {
  std::string listDataFile;                 // DatFileEdit
  std::string testKey;                      // TestKeyEdit
  int keyTypeEntry = kDefaultKeyTypeEntry;  // KeyTypeCombo's selection; -1 for none
};

// The stored values over the defaults; the defaults alone when `settingsPath` is empty. A stored
// key type outside KeyTypeCombo's list selects nothing. Texts arrive cut to 259 bytes.
Settings LoadSettings(const char* settingsPath);

// Writes the three values in the file's one section, leaving every other entry as it is; no
// selection is stored as the default entry. Nothing is written when `settingsPath` is empty.
void SaveSettings(const Settings& settings, const char* settingsPath);
