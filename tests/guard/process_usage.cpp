#include "tests/guard/process_usage.h"

#include <windows.h>
// After windows.h, which they build on.
#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace {

// The system handle table's layout (information class 16).
struct HandleEntry {
  USHORT ownerProcessId;
  USHORT creatorBackTraceIndex;
  UCHAR objectTypeIndex;
  UCHAR attributes;
  USHORT value;
  PVOID object;
  ULONG grantedAccess;
};

struct HandleTable {
  ULONG count;
  HandleEntry entries[1];
};

constexpr SYSTEM_INFORMATION_CLASS kSystemHandleInformation =
    static_cast<SYSTEM_INFORMATION_CLASS>(16);
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

}  // namespace

int CountProcessHandles() {
  std::vector<char> buffer(1 << 16);
  NTSTATUS status;
  while ((status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                            static_cast<ULONG>(buffer.size()), nullptr)) ==
         kInfoLengthMismatch) {
    buffer.resize(buffer.size() * 2);
  }
  if (status < 0) return -1;
  const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
  const USHORT self = static_cast<USHORT>(GetCurrentProcessId());
  int count = 0;
  for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].ownerProcessId == self;
  return count;
}

size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage;
}
