#include "plugin/loader.h"

#include <string>

#include "plugin/guarded_load.h"

HMODULE PluginModule = nullptr;

namespace {

// While a library loads, the system shows no error box of its own (a damaged image, a missing
// disk) that would hold the bench until someone answers it: a failed load is a report line only.
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

// ReleasePlugin, telling whether the library's detach code faulted.
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
bool LoadAndReport(ReportSink& sink, const Char* path, LoadFault& fault) {
  LoadFault releaseFault;
  Release(releaseFault);
  sink.AppendLine("DLL解放");
  ReportReleaseFault(sink, releaseFault);

  PluginModule = LoadQuietly(path, fault);
  if (PluginModule == nullptr) {
    sink.AppendLine("DLLロード -> NG");
    ReportLoadFault(sink, fault);
    return false;
  }
  sink.AppendLine("DLLロード -> OK");

  // Every look-up is done before the first export line is reported.
  for (int i = 0; i < kExportCount; ++i) {
    PluginTable[i] = reinterpret_cast<void*>(GetProcAddress(PluginModule, kExports[i].name));
  }
  for (int i = 0; i < kExportCount; ++i) {
    const std::string line =
        std::string("...") + kExports[i].name + (PluginTable[i] ? " -> OK" : " -> NG");
    sink.AppendLine(line.c_str());
  }
  return true;
}

}  // namespace

bool LoadPluginLibrary(ReportSink& sink, const char* path) {
  LoadFault fault;
  return LoadAndReport(sink, path, fault);
}

bool LoadPluginLibrary(ReportSink& sink, const char* path, LoadFault& fault) {
  return LoadAndReport(sink, path, fault);
}

bool LoadPluginLibrary(ReportSink& sink, const wchar_t* path, LoadFault& fault) {
  return LoadAndReport(sink, path, fault);
}
