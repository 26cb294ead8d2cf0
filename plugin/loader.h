// Loading a plugin library into PluginTable, with a report line for every step. Shared by the
// window's LoadButton and by anything else that loads a plugin, so it reports through a sink and
// never touches a window.
#pragma once

#include <windows.h>

#include "plugin/contract.h"
#include "plugin/guarded_load.h"

// The loaded plugin library; null at start, after a failed load and after a release.
extern HMODULE PluginModule;

// Frees PluginModule (also when none is loaded) and marks every PluginTable entry absent, so no
// request can call into a released library. A fault of the library's detach code ends the
// release, not the bench.
void ReleasePlugin();

// Releases the current plugin and loads the library at `path` (a bare file name is searched the
// platform's way). Appends "DLL解放", then "DLLロード -> NG" and returns false when the library
// cannot be loaded; otherwise "DLLロード -> OK", resolves all 24 exports into PluginTable and only
// then appends one "...<name> -> OK" or "...<name> -> NG" line per export in export order.
// A fault of the released library's detach code is reported after "DLL解放".
bool LoadPluginLibrary(ReportSink& sink, const char* path);
// The same, telling what made the load fail when the library's start-up code faulted
// (fault.happened).
bool LoadPluginLibrary(ReportSink& sink, const char* path, LoadFault& fault);
// The same, for a library known by its Unicode name: the lines and the table are the same, and the
// file is found whatever the process's ANSI code page.
bool LoadPluginLibrary(ReportSink& sink, const wchar_t* path, LoadFault& fault);
