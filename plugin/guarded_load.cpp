#include "plugin/guarded_load.h"

#include <winternl.h>

#include "plugin/plugin_call.h"
#include "plugin/process_end.h"

namespace {

// The load under way and its thread. A vectored handler is process-wide, so it records only what
// this thread raises during the load.
LoadFault* WatchedLoad = nullptr;
DWORD WatchingThread = 0;

// Raised and handled by the system itself (debug output, thread names): never a fault.
bool IsNotice(DWORD code) {
  return code == DBG_PRINTEXCEPTION_C || code == 0x4001000A || code == 0x406D1388;
}

// "0x0040123A" without calling anything: after a stack overflow there is no room for a look-up.
void WriteBareAddress(uintptr_t address, char* place) {
  static const char kDigits[] = "0123456789ABCDEF";
  place[0] = '0';
  place[1] = 'x';
  for (int i = 0; i < 8; ++i) place[2 + i] = kDigits[(address >> (28 - 4 * i)) & 0xF];
  place[10] = '\0';
}

// Sees every first-chance exception of the load. It must let the search go on: the loader has a
// handler of its own around the start-up code, and leaving the loader half-way would keep it
// locked. The last exception seen is the one that ended the start-up code.
LONG CALLBACK WatchLoad(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
  if (!WatchedLoad || GetCurrentThreadId() != WatchingThread || IsNotice(record.ExceptionCode)) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  WatchedLoad->happened = true;
  WatchedLoad->record = RecordException(record);
  if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
    WriteBareAddress(WatchedLoad->record.address, WatchedLoad->place);
  } else {
    NamePlace(WatchedLoad->record, WatchedLoad->place, sizeof WatchedLoad->place);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// `load` is the system call that loads the library.
template <typename Load>
HMODULE WatchLoadOf(Load load, LoadFault& fault) {
  fault = LoadFault();
  WatchedLoad = &fault;
  WatchingThread = GetCurrentThreadId();
  void* watcher = AddVectoredExceptionHandler(1, WatchLoad);
  HMODULE module;
  {
    ProcessEndInterceptionWhileLoading interception;
    module = load();
  }
  const DWORD error = GetLastError();
  if (watcher) RemoveVectoredExceptionHandler(watcher);
  WatchedLoad = nullptr;
  // Where the system tells of a library only after its start-up code has run, its imports are
  // intercepted now.
  if (module) InterceptProcessEnd(module);
  // Only a load that failed for the fault counts: the loader then reports the exception's own
  // status as the load's error. A start-up that handled an exception of its own and then refused,
  // succeeded or failed for any other reason did not fault.
  if (module || error != RtlNtStatusToDosError(static_cast<NTSTATUS>(fault.record.code))) {
    fault.happened = false;
  }
  SetLastError(error);
  return module;
}

}  // namespace

HMODULE GuardedLoadLibrary(const char* path, LoadFault& fault) {
  return WatchLoadOf([path] { return LoadLibraryA(path); }, fault);
}

HMODULE GuardedLoadLibrary(const wchar_t* path, LoadFault& fault) {
  return WatchLoadOf([path] { return LoadLibraryW(path); }, fault);
}

void GuardedFreeLibrary(HMODULE module, LoadFault& fault) {
  fault = LoadFault();
  if (CallUnwindingOnFault(reinterpret_cast<void*>(&FreeLibrary), PointerSlot(module),
                           fault.record)) {
    return;
  }
  fault.happened = true;
  NamePlace(fault.record, fault.place, sizeof fault.place);
}
