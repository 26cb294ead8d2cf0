#include "plugin/loader.h"

#include "plugin/guarded_load.h"

HMODULE PluginModule = nullptr;

namespace {

// While a library loads, the system shows no error box of its own (a damaged image, a missing
// disk) that would hold the bench until someone answers it: a failed load is reported only.
class QuietLoadErrors {
 public:
  QuietLoadErrors() {
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_);
  }
  QuietLoadErrors(const QuietLoadErrors&) = delete;
  QuietLoadErrors& operator=(const QuietLoadErrors&) = delete;
  ~QuietLoadErrors() { SetThreadErrorMode(previous_, nullptr); }

 private:
  DWORD previous_ = 0;
};

template <typename Char>
HMODULE LoadQuietly(const Char* path, LoadFault& fault) {
  QuietLoadErrors quiet;
  return GuardedLoadLibrary(path, fault);
}

// ReleasePlugin, telling whether the library's detach code faulted. The plugin library has no
// owner object (win/scoped_win.h): its release runs the plugin's detach code, which is guarded and
// whose fault is reported, so it is released here, explicitly, and at no other place.
void Release(LoadFault& fault) {
  fault = LoadFault();
  if (PluginModule != nullptr) GuardedFreeLibrary(PluginModule, fault);
  PluginModule = nullptr;
  for (void*& entry : PluginTable) entry = nullptr;
}

}  // namespace

void ReleasePlugin() {
  LoadFault ignored;
  Release(ignored);
}

namespace {

// One body for the ANSI name (the window) and the Unicode name (the checker).
template <typename Char>
bool LoadAndReport(LoadReport& report, const Char* path, LoadFault& fault) {
  LoadFault releaseFault;
  Release(releaseFault);
  report.Report(PluginReleased{});
  if (releaseFault.happened) report.Report(ReleaseFaulted{&releaseFault});

  PluginModule = LoadQuietly(path, fault);
  report.Report(LibraryLoaded{PluginModule != nullptr});
  if (PluginModule == nullptr) {
    if (fault.happened) report.Report(StartupFaulted{&fault});
    return false;
  }

  // Every look-up is done before the first export is reported.
  for (int i = 0; i < kExportCount; ++i) {
    PluginTable[i] = reinterpret_cast<void*>(GetProcAddress(PluginModule, kExports[i].name));
  }
  for (int i = 0; i < kExportCount; ++i) report.Report(ExportResolved{i, PluginTable[i] != nullptr});
  return true;
}

}  // namespace

bool LoadPluginLibrary(LoadReport& report, const char* path) {
  LoadFault fault;
  return LoadAndReport(report, path, fault);
}

bool LoadPluginLibrary(LoadReport& report, const char* path, LoadFault& fault) {
  return LoadAndReport(report, path, fault);
}

bool LoadPluginLibrary(LoadReport& report, const wchar_t* path, LoadFault& fault) {
  return LoadAndReport(report, path, fault);
}
