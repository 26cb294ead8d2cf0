// Loading a plugin library while watching its start-up code.
#pragma once

#include <windows.h>

#include "plugin/fault_report.h"

// A fault of the library's start-up code (DllMain, or that of a library it needs) that made its
// load fail or ended its release. The loader handles a fault while loading itself and only
// reports the load as failed; the place is named while the library is still mapped, since it is
// gone once LoadLibraryA returns.
struct LoadFault {
  bool happened = false;
  FaultRecord record;
  char place[kPlaceSize] = "";
};

// LoadLibraryA(path), watching for exceptions raised on this thread meanwhile. When the load fails
// because start-up code faulted, `fault` says what and where; otherwise fault.happened is false.
// GetLastError() is left as LoadLibraryA set it. The imports of the library (and of what it
// brings in) that end the process are intercepted before its start-up code runs
// (plugin/process_end.h).
HMODULE GuardedLoadLibrary(const char* path, LoadFault& fault);
// LoadLibraryW(path), watched the same way.
HMODULE GuardedLoadLibrary(const wchar_t* path, LoadFault& fault);

// FreeLibrary(module), with the library's detach code guarded: an exception that the system lets
// out of it ends the release (the system's own clean-up runs first), and `fault` says what and
// where. (Where the system handles such a fault itself, as it does while loading, nothing is seen
// and fault.happened is false.)
void GuardedFreeLibrary(HMODULE module, LoadFault& fault);
