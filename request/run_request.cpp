#include "request/run_request.h"

#include <windows.h>

#include "plugin/fault_report.h"
#include "request/observed_call.h"
#include "request/page_region.h"
#include "request/size_negotiation.h"
#include "win/scoped_win.h"

namespace {

constexpr int kKeyRegionSize = 260;

bool SameName(const char* a, const char* b) {
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, 0, a, -1, b, -1) == CSTR_EQUAL;
}

// The export whose name the request has, or -1 (a separator, or nothing selected).
int FindRequest(const char* name) {
  for (int i = 0; i < kExportCount; ++i) {
    if (SameName(name, kExports[i].name)) return i;
  }
  return -1;
}

void ShowPluginVersion(RequestBench& bench) {
  if (!PluginTable[kGetPluginVersion]) return;
  bench.Report(RequestLabel{kGetPluginVersion});
  int16_t version = 0;
  if (!CallPluginFor(bench, kGetPluginVersion, nullptr, 0, 0, version)) return;
  bench.Report(NumberAnswer{version / 100.0});
}

void RequestPluginText(RequestBench& bench, int exportIndex) {
  if (!PluginTable[exportIndex]) return;
  bench.Report(RequestLabel{exportIndex});
  NegotiateText(bench, exportIndex, nullptr, 0, nullptr);
}

// The file's size, or false after saying why the run stops when it cannot be taken or, with the
// zero byte that follows the content, does not fit a 32-bit size.
bool TakeFileSize(RequestBench& bench, HANDLE file, DWORD& size) {
  DWORD high = 0;
  size = GetFileSize(file, &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    bench.Report(RunStopped{RunStop::ListDataFileSizeUnknown});
    return false;
  }
  if (high != 0 || size + 1 == 0) {
    bench.Report(RunStopped{RunStop::ListDataFileTooLarge});
    return false;
  }
  return true;
}

void RunRequestOnData(RequestBench& bench, const char* listData, const char* key, int16_t keyType,
                      int request) {
  if (request == kGetSaleDate) {
    RequestSaleDate(bench, listData, key, keyType);
  } else if (kExports[request].pattern == CallPattern::Numeric) {
    RequestNumber(bench, listData, key, keyType, request);
  } else {
    RequestSizedText(bench, listData, key, keyType, request);
  }
}

// The list-data file's whole content and one zero byte, in a region made read-only; an absent
// region, after saying why the run stops, when the file cannot be opened or read into memory.
PageRegion ReadListData(RequestBench& bench) {
  FileHandle file(bench.OpenListDataFile());
  if (!file.IsValid()) {
    bench.Report(RunStopped{RunStop::ListDataFileNotOpened});
    return PageRegion(0);
  }
  DWORD size = 0;
  if (!TakeFileSize(bench, file.get(), size)) return PageRegion(0);
  // Fresh pages are zero, so the byte after the content is the terminating zero.
  PageRegion listData(size + 1);
  if (!listData.data()) {
    bench.Report(RunStopped{RunStop::NoRoomForListData});
    return listData;
  }
  // A short or failed read leaves zero bytes where nothing arrived.
  DWORD read = 0;
  ReadFile(file.get(), listData.data(), size, &read, nullptr);
  listData.MakeReadOnly();
  return listData;
}

// Every selection but the plugin-description requests, a separator and no selection included:
// the list data and the key are each put into their own read-only region first.
void RunDataRequest(RequestBench& bench, int request, int16_t keyType) {
  const PageRegion listData = ReadListData(bench);
  if (!listData.data()) return;
  PageRegion key(kKeyRegionSize);
  if (!key.data()) {
    bench.Report(RunStopped{RunStop::NoRoomForKey});
    return;
  }
  bench.ReadTestKey(key.data(), kKeyRegionSize);
  key.MakeReadOnly();
  // A plugin that faults on either region has it named in its fault.
  const LabelledRegion listLabel(FaultRegion::ListData, listData.data(), listData.size());
  const LabelledRegion keyLabel(FaultRegion::Key, key.data(), kKeyRegionSize);
  if (request >= 0) RunRequestOnData(bench, listData.data(), key.data(), keyType, request);
}

}  // namespace

HANDLE RequestBench::OpenListDataFile() {
  char path[261] = {};
  ReadListDataFilePath(path, 260);
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void RunRequest(RequestBench& bench) {
  const int16_t keyType = KeyTypeCode(bench.SelectedKeyType());
  char name[128] = {};
  bench.ReadRequestName(name, sizeof name);
  const int request = FindRequest(name);
  switch (request) {
    case kGetPluginVersion: ShowPluginVersion(bench); break;
    case kGetPluginAuthor:
    case kGetPluginInfo: RequestPluginText(bench, request); break;
    default: RunDataRequest(bench, request, keyType); break;
  }
}
