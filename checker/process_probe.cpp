#include "checker/process_probe.h"

#include <psapi.h>

#include <vector>

namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

struct WindowCount {
  DWORD processId;
  int count;
};

BOOL CALLBACK CountTopWindow(HWND window, LPARAM data) {
  auto* counted = reinterpret_cast<WindowCount*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != counted->processId) return TRUE;
  ++counted->count;
  EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&counted->count));
  return TRUE;
}

PROCESS_MEMORY_COUNTERS MemoryCounters(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) counters = {};
  return counters;
}

}  // namespace

int CountHandlesInTable(const void* table, size_t size, DWORD processId) {
  if (size < sizeof(uint32_t)) return 0;
  const uint32_t listed = *static_cast<const uint32_t*>(table);
  // The entries start at the first offset aligned for them after the count.
  const size_t offset = alignof(SystemHandleEntry) > sizeof(uint32_t) ? alignof(SystemHandleEntry)
                                                                       : sizeof(uint32_t);
  const size_t fit = size < offset ? 0 : (size - offset) / sizeof(SystemHandleEntry);
  const auto* entries = reinterpret_cast<const SystemHandleEntry*>(
      static_cast<const char*>(table) + offset);
  int count = 0;
  for (size_t i = 0; i < listed && i < fit; ++i) {
    if (entries[i].ownerProcessId == processId) ++count;
  }
  return count;
}

int CountProcessHandles(DWORD processId) {
  const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  std::vector<char> table(1 << 16);
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(kSystemHandleInformation, table.data(),
                              static_cast<ULONG>(table.size()), &needed);
    if (status == kInfoLengthMismatch) {
      // The table may grow between two calls: leave room for more.
      table.resize(needed > table.size() ? needed + 4096 : table.size() * 2);
      continue;
    }
    if (status < 0) return -1;
    return CountHandlesInTable(table.data(), needed ? needed : table.size(), processId);
  }
}

int CountHandles(HANDLE process) {
  DWORD count = 0;
  if (GetProcessHandleCount(process, &count) && count > 0) return static_cast<int>(count);
  return CountProcessHandles(GetProcessId(process));
}

int CountProcessWindows(DWORD processId) {
  WindowCount counted{processId, 0};
  EnumWindows(CountTopWindow, reinterpret_cast<LPARAM>(&counted));
  return counted.count;
}

size_t PrivateBytes(HANDLE process) { return MemoryCounters(process).PagefileUsage; }

size_t PeakWorkingSet(HANDLE process) { return MemoryCounters(process).PeakWorkingSetSize; }

size_t CommittedPrivateBytes() {
  size_t committed = 0;
  MEMORY_BASIC_INFORMATION region;
  uintptr_t address = 0;
  while (VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) committed += region.RegionSize;
    const uintptr_t next = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;  // the region reaches the top of the address space
    address = next;
  }
  return committed;
}

bool CountGuiObjects(HANDLE process, DWORD kind, int& count) {
  SetLastError(ERROR_SUCCESS);
  const DWORD objects = GetGuiResources(process, kind);
  if (objects == 0 && GetLastError() != ERROR_SUCCESS) return false;
  count = static_cast<int>(objects);
  return true;
}
