// Loading a plugin library into PluginTable, reporting every step as an event. Shared by the
// window's LoadButton and by anything else that loads a plugin, so it reports to a LoadReport and
// never touches a window or writes a line.
#pragma once

#include <windows.h>

#include <variant>

#include "plugin/contract.h"
#include "plugin/guarded_load.h"

// The steps of a load, in the order they are reported. A fault is lent for the report only.
struct PluginReleased {};                        // the previous plugin, if any, was released
struct ReleaseFaulted { const LoadFault* fault; };  // its detach code faulted
struct LibraryLoaded { bool loaded; };           // the library was loaded, or could not be
struct StartupFaulted { const LoadFault* fault; };  // the failed load's start-up code faulted
struct ExportResolved {                          // one per export, after every look-up is done
  int exportIndex;
  bool present;
};
using LoadEvent =
    std::variant<PluginReleased, ReleaseFaulted, LibraryLoaded, StartupFaulted, ExportResolved>;

// Where a load reports its steps: the window's result list, or the checker's record.
class LoadReport {
 public:
  virtual void Report(const LoadEvent& event) = 0;

 protected:
  ~LoadReport() = default;
};

// The loaded plugin library; null at start, after a failed load and after a release.
extern HMODULE PluginModule;

// Frees PluginModule (also when none is loaded) and marks every PluginTable entry absent, so no
// request can call into a released library. A fault of the library's detach code ends the
// release, not the bench.
void ReleasePlugin();

// Releases the current plugin and loads the library at `path` (a bare file name is searched the
// platform's way). Reports PluginReleased (and ReleaseFaulted when the detach code faulted), then
// LibraryLoaded; a library that cannot be loaded is followed by StartupFaulted when its start-up
// code faulted, and false is returned. Otherwise all 24 exports are resolved into PluginTable and
// only then reported, one ExportResolved each in export order.
bool LoadPluginLibrary(LoadReport& report, const char* path);
// The same, telling what made the load fail when the library's start-up code faulted
// (fault.happened).
bool LoadPluginLibrary(LoadReport& report, const char* path, LoadFault& fault);
// The same, for a library known by its Unicode name: the events and the table are the same, and
// the file is found whatever the process's ANSI code page.
bool LoadPluginLibrary(LoadReport& report, const wchar_t* path, LoadFault& fault);
