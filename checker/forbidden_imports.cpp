#include "checker/forbidden_imports.h"

namespace {

enum class Harm { ShowsWindow, EndsProcess };

struct ForbiddenGroup {
  const char* what;  // what a call does
  Harm harm;
  const char* names[24];  // the rest null
};

// The names are the functions as exported (the A and W forms; DialogBox, CreateDialog and
// CreateWindow are macros over the …Param and …Ex functions). Matched by name whatever the DLL,
// since a plugin may reach the same function through another DLL's forwarder.
const ForbiddenGroup kForbiddenGroups[] = {
    {"shows a message box", Harm::ShowsWindow,
     {"MessageBoxA", "MessageBoxW", "MessageBoxExA", "MessageBoxExW", "MessageBoxIndirectA",
      "MessageBoxIndirectW", "MessageBoxTimeoutA", "MessageBoxTimeoutW", "ShellMessageBoxA",
      "ShellMessageBoxW", "SHMessageBoxCheckA", "SHMessageBoxCheckW", "TaskDialog",
      "TaskDialogIndirect"}},
    {"shows a dialog box", Harm::ShowsWindow,
     {"DialogBoxParamA", "DialogBoxParamW", "DialogBoxIndirectParamA", "DialogBoxIndirectParamW",
      "CreateDialogParamA", "CreateDialogParamW", "CreateDialogIndirectParamA",
      "CreateDialogIndirectParamW", "PropertySheetA", "PropertySheetW"}},
    {"shows a file, colour, font, print or folder dialog", Harm::ShowsWindow,
     {"GetOpenFileNameA", "GetOpenFileNameW", "GetSaveFileNameA", "GetSaveFileNameW",
      "ChooseColorA", "ChooseColorW", "ChooseFontA", "ChooseFontW", "PrintDlgA", "PrintDlgW",
      "PrintDlgExA", "PrintDlgExW", "PageSetupDlgA", "PageSetupDlgW", "FindTextA", "FindTextW",
      "ReplaceTextA", "ReplaceTextW", "SHBrowseForFolderA", "SHBrowseForFolderW"}},
    {"creates a window", Harm::ShowsWindow,
     {"CreateWindowExA", "CreateWindowExW", "CreateMDIWindowA", "CreateMDIWindowW"}},
    {"shows or hides a window", Harm::ShowsWindow, {"ShowWindow", "ShowWindowAsync"}},
    {"ends the process", Harm::EndsProcess,
     {"ExitProcess", "TerminateProcess", "FatalExit", "FatalAppExitA", "FatalAppExitW",
      "RaiseFailFastException", "RtlExitUserProcess", "NtTerminateProcess", "ZwTerminateProcess",
      "exit", "_exit", "_Exit", "quick_exit", "abort"}},
};

const char* Consequence(Harm harm) {
  switch (harm) {
    case Harm::ShowsWindow:
      return "a plugin runs inside a batch renamer and must never show a window";
    case Harm::EndsProcess:
      return "a plugin runs inside a batch renamer, whose whole run this would end: return an error "
             "code instead";
  }
  return "";
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The MinGW-w64 runtime imports msvcrt's abort (its DLL start-up code) and exit (its POSIX-thread
// library, which C++ code brings in) into every plugin it builds, whether the plugin's own code
// calls them or not. Warning of them would blame every such plugin for what it cannot avoid, so
// these two are not reported from msvcrt.dll. From the other C runtimes (ucrtbase.dll and its API
// sets, msvcr*.dll, as Visual C++ links them), whose start-up code imports neither, they are. The
// price: a call of its own to msvcrt's abort or exit goes unreported here (the bench still stops
// an exit when it comes).
bool IsRuntimeOwnImport(const PeImport& function) {
  return EqualsIgnoringAsciiCase(function.dll, "msvcrt.dll") &&
         (function.name == "abort" || function.name == "exit");
}

}  // namespace

std::string DescribeForbiddenImport(const PeImport& function) {
  if (function.name.empty() || IsRuntimeOwnImport(function)) return "";
  for (const ForbiddenGroup& group : kForbiddenGroups) {
    for (const char* name : group.names) {
      if (name == nullptr) break;
      if (function.name != name) continue;
      const std::string imported =
          function.dll + "!" +
          (function.byOrdinal ? "#" + std::to_string(function.ordinal) + " (" + function.name + ")"
                              : function.name);
      return imported + " " + group.what + "; " + Consequence(group.harm);
    }
  }
  return "";
}

std::vector<std::string> ForbiddenFunctionNames() {
  std::vector<std::string> names;
  for (const ForbiddenGroup& group : kForbiddenGroups) {
    for (const char* name : group.names) {
      if (name == nullptr) break;
      names.push_back(name);
    }
  }
  return names;
}
