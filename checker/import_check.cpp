#include "checker/import_check.h"

#include <windows.h>

#include "checker/forbidden_imports.h"
#include "checker/plugin_diagnostics.h"
#include "checker/run_report.h"

namespace {

// Names a function imported by ordinal when it is one of the forbidden ones. The DLL came into
// the process with the plugin: the ordinal's address is compared with each forbidden name's.
void NameByOrdinal(PeImport& function) {
  const HMODULE module = GetModuleHandleA(function.dll.c_str());
  if (module == nullptr) return;
  const FARPROC target = GetProcAddress(module, MAKEINTRESOURCEA(function.ordinal));
  if (target == nullptr) return;
  for (const std::string& name : ForbiddenFunctionNames()) {
    if (GetProcAddress(module, name.c_str()) == target) {
      function.name = name;
      return;
    }
  }
}

}  // namespace

void CheckPluginImports(const CheckerOptions& options) {
  PeFacts facts;
  std::string problem;
  // The session has read the file already; a file that it could not read never gets here.
  if (!InspectPluginFile(options.pluginPath, facts, problem)) return;
  CaseReport report;
  report.name = "imports";
  for (PeImport function : facts.importedFunctions) {
    if (function.byOrdinal) NameByOrdinal(function);
    const std::string finding = DescribeForbiddenImport(function);
    if (finding.empty()) continue;
    report.warnings.push_back(report.name + ": " + finding);
    SayWarning(report.warnings.back());
  }
  AddCase(report);
}
