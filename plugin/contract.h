// The contract between the bench and a list plugin, as the host sees it: the 24 exports in their
// binding order with their call patterns, the loaded entry points, the key types with their codes
// and the status codes. The plugin-side view is sdk/qb2lpt_plugin.h.
#pragma once

#include <cstdint>
#include <optional>

#include "sdk/qb2lpt_plugin.h"

enum class CallPattern {
  Version,     // no parameters; the version times 100
  PluginText,  // (buffer reference, size); two calls
  SizedText,   // (list data, key, key type, buffer reference, size); two calls
  Numeric,     // (list data, key, key type); the value or a negative status code
};

// Whether an export of the pattern reads list data and a key (the data requests; the others
// describe the plugin).
constexpr bool TakesListDataAndKey(CallPattern pattern) {
  return pattern == CallPattern::SizedText || pattern == CallPattern::Numeric;
}

// Whether an export of the pattern answers with a text in a buffer (two calls).
constexpr bool IsTextPattern(CallPattern pattern) {
  return pattern == CallPattern::PluginText || pattern == CallPattern::SizedText;
}

struct ExportInfo {
  const char* name;  // the exported, undecorated name; also the name a request is chosen by
  CallPattern pattern;
};

constexpr int kExportCount = 24;

// Indexes into kExports and PluginTable.
enum ExportIndex {
  kGetPluginVersion, kGetPluginAuthor, kGetPluginInfo, kGetTitle, kGetMaker, kGetCountry,
  kGetVersion, kGetGenre, kGetYear, kGetImgNum, kGetR, kGetCreator, kGetMemo, kGetKana,
  kGetDeveloper, kGetSaleDate, kGetModel, kGetPrice, kGetMediaInfo, kGetDeviceInfo, kGetPlayer,
  kGetSaveInfo, kGetSoundInfo, kGetCeroRating,
};

extern const ExportInfo kExports[kExportCount];

// The entry points of the loaded plugin in export order; null where the plugin lacks the export,
// and all null whenever no plugin is loaded.
extern void* PluginTable[kExportCount];

// Index of the export with exactly this name, or -1.
int FindExport(const char* name);

// The key types a plugin is asked by, each as the code passed to it.
enum class KeyType : int16_t {
  Crc16 = QB2LPT_KEY_CRC16,
  Crc32 = QB2LPT_KEY_CRC32,
  Body = QB2LPT_KEY_BODY,
  BodyExt = QB2LPT_KEY_BODY_EXT,
};

// The code passed for a key type; with none chosen, 0 (which is also the 32-bit CRC's code).
int16_t KeyTypeCode(std::optional<KeyType> keyType);

// Whether `code` is one of the six status codes that a plugin may answer instead of a size, a
// text or a number.
bool IsStatusCode(int16_t code);
