// Loading a plugin library while watching its start-up code.
#pragma once

#include <windows.h>

#include "plugin/contract.h"
#include "plugin/fault_report.h"

// Why a load failed, when the library's start-up code (DllMain, or that of a library it needs)
// faulted. The loader handles such a fault itself and only reports the load as failed; the place
// is named while the library is still mapped, since it is gone once LoadLibraryA returns.
struct LoadFault {
  bool happened = false;
  FaultRecord record;
  char place[kPlaceSize] = "";
};

// LoadLibraryA(path), watching for exceptions raised on this thread meanwhile. When the load fails
// because start-up code faulted, `fault` says what and where; otherwise fault.happened is false.
// GetLastError() is left as LoadLibraryA set it.
HMODULE GuardedLoadLibrary(const char* path, LoadFault& fault);
// LoadLibraryW(path), watched the same way.
HMODULE GuardedLoadLibrary(const wchar_t* path, LoadFault& fault);

// Appends "エラー：DLL の初期化中に例外 … が発生しました (place)" when the fault happened, else
// nothing.
void ReportLoadFault(ReportSink& sink, const LoadFault& fault);
