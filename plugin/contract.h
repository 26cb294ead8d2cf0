// The contract between the bench and a list plugin, as the host sees it: the 24 exports in their
// binding order with their call patterns and labels, the loaded entry points, the key type codes
// and the status codes with their messages. The plugin-side view is sdk/qb2lpt_plugin.h.
#pragma once

#include <cstdint>

#include "sdk/qb2lpt_plugin.h"

enum class CallPattern {
  Version,     // no parameters; the version times 100
  PluginText,  // (buffer reference, size); two calls
  SizedText,   // (list data, key, key type, buffer reference, size); two calls
  Numeric,     // (list data, key, key type); the value or a negative status code
};

struct ExportInfo {
  const char* name;  // the exported, undecorated name; also the request's text in RequestCombo
  CallPattern pattern;
  const char* label;  // the report line appended just before the first call
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

// KeyTypeCombo's entries in index order, and the code passed to a plugin for each.
constexpr int kKeyTypeCount = 4;
extern const char* const kKeyTypeNames[kKeyTypeCount];
// The key type code for a KeyTypeCombo index; no selection (or any other index) gives 0.
int16_t KeyTypeCode(int keyTypeIndex);

// The message for one of the six known status codes, or null for any other value.
const char* StatusMessage(int16_t code);

// Where report lines go: the window's result list, or the checker's output. An empty line is
// dropped by the receiver.
class ReportSink {
 public:
  virtual void AppendLine(const char* line) = 0;

 protected:
  ~ReportSink() = default;
};

// Appends the status code's message, if it has one; any other value appends nothing.
void ReportPluginStatus(ReportSink& sink, int16_t code);
