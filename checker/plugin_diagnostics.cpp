#include "checker/plugin_diagnostics.h"

#include <windows.h>

#include <cstdio>

#include "checker/file_bytes.h"
#include "checker/text_encoding.h"
#include "plugin/contract.h"

namespace {

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  return lstrcmpiA(a.c_str(), b) == 0;
}

// "_Name@N" or "Name@N" with N a decimal byte count.
bool IsDecorationOf(const std::string& exported, const std::string& name) {
  std::string rest = exported;
  if (!rest.empty() && rest[0] == '_') rest.erase(0, 1);
  if (rest.compare(0, name.size(), name) != 0 || rest.size() < name.size() + 2) return false;
  if (rest[name.size()] != '@') return false;
  for (size_t i = name.size() + 1; i < rest.size(); ++i) {
    if (rest[i] < '0' || rest[i] > '9') return false;
  }
  return true;
}

std::string Join(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

bool IsFound(const std::string& dll) {
  if (GetModuleHandleA(dll.c_str()) != nullptr) return true;
  char found[MAX_PATH];
  return SearchPathA(nullptr, dll.c_str(), nullptr, sizeof found, found, nullptr) != 0;
}

std::string DescribeMissingDlls(const std::string& plugin, const std::string& pluginPath,
                                const PeFacts& facts) {
  std::vector<std::string> missing;
  bool besidePlugin = false;
  for (const std::string& dll : facts.imports) {
    if (IsFound(dll)) continue;
    missing.push_back(dll);
    besidePlugin = besidePlugin ||
                   FileExists(PathFolder(pluginPath) + dll);
  }
  if (missing.empty()) {
    return plugin + " cannot be loaded: a DLL that one of its DLLs (" + Join(facts.imports) +
           ") needs cannot be found; ship every DLL it needs beside the host program, or link the "
           "plugin statically (-static)";
  }
  std::string line = plugin + " cannot be loaded: it needs " + Join(missing) +
                     ", which cannot be found; ";
  if (besidePlugin) {
    line += "a plugin's DLLs are looked for beside the host program, not beside the plugin: ";
  }
  return line + "link the plugin statically (-static, or /MT for the C runtime) or install " +
         Join(missing) + " beside the host program";
}

}  // namespace

bool InspectPluginFile(const std::string& path, PeFacts& facts, std::string& problem) {
  const FileImage file(path);
  if (!file.IsOpen()) {
    problem = "cannot read the plugin file \"" + path + "\"";
    return false;
  }
  facts = InspectPeImage(file);
  const std::string plugin = PathFileName(path);
  if (!facts.isPe) {
    problem = plugin + " is not a Windows DLL (it has no PE header); give --plugin the .dll that "
                       "the plugin's build produces";
  } else if (facts.machine != kMachineX86 || facts.isPe32Plus) {
    problem = plugin + " is built for " + MachineName(facts.machine) +
              ", but the host is a 32-bit x86 program; build the plugin for 32-bit x86 "
              "(i686-w64-mingw32-gcc, or the Win32/x86 platform in Visual Studio)";
  } else if (!facts.isDll) {
    problem = plugin + " is a program, not a DLL; build the plugin as a DLL (-shared, or /LD)";
  } else {
    return true;
  }
  return false;
}

std::vector<NameMismatch> FindNameMismatches(const std::vector<std::string>& exported) {
  std::vector<NameMismatch> mismatches;
  for (int i = 0; i < kExportCount; ++i) {
    const std::string name = kExports[i].name;
    bool exact = false;
    for (const std::string& e : exported) exact = exact || e == name;
    if (exact) continue;
    for (const std::string& e : exported) {
      if (IsDecorationOf(e, name)) {
        mismatches.push_back({i, e, true});
        break;
      }
      if (EqualsIgnoringCase(e, name.c_str())) {
        mismatches.push_back({i, e, false});
        break;
      }
    }
  }
  return mismatches;
}

std::string DescribeNameMismatches(const std::string& pluginPath,
                                   const std::vector<NameMismatch>& mismatches) {
  std::vector<std::string> decorated, decoratedPlain, cased, casedPlain;
  for (const NameMismatch& m : mismatches) {
    (m.decorated ? decorated : cased).push_back(m.exported);
    (m.decorated ? decoratedPlain : casedPlain).push_back(kExports[m.exportIndex].name);
  }
  const std::string plugin = PathFileName(pluginPath);
  std::string line;
  if (!decorated.empty()) {
    line = plugin + " exports " + Join(decorated) +
           " with stdcall decorations, but the host looks up the plain names (" +
           Join(decoratedPlain) +
           "); list the plain names in a .def file (EXPORTS GetTitle ...) or link with "
           "-Wl,--kill-at";
  }
  if (!cased.empty()) {
    if (!line.empty()) line += "; it also ";
    else line = plugin + " ";
    line += "exports " + Join(cased) + ", but export names are case-sensitive: rename them " +
            Join(casedPlain);
  }
  return line;
}

std::string DescribeLoadFailure(const std::string& pluginPath, const PeFacts& facts,
                                uint32_t lastError, const LoadFault& fault) {
  const std::string plugin = PathFileName(pluginPath);
  if (fault.happened) {
    char code[16];
    std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(fault.record.code));
    return plugin + " cannot be loaded: its start-up code (DllMain) faulted with exception " +
           code + " at " + SjisToUtf8(fault.place) +
           "; keep DllMain to the minimum and do the work in the exports";
  }
  switch (lastError) {
    case ERROR_MOD_NOT_FOUND:
      return DescribeMissingDlls(plugin, pluginPath, facts);
    case ERROR_PROC_NOT_FOUND:
      return plugin + " cannot be loaded: a DLL it needs (" + Join(facts.imports) +
             ") lacks a function that the plugin imports; build against the DLL versions that the "
             "host's machine has, or link statically (-static)";
    case ERROR_DLL_INIT_FAILED:
      return plugin + " cannot be loaded: its start-up code (DllMain) refused or failed on "
                      "DLL_PROCESS_ATTACH; DllMain must return TRUE and do no work that can fail";
    case ERROR_NOACCESS:
      return plugin + " cannot be loaded: its start-up code (DllMain) faulted; keep DllMain to "
                      "the minimum and do the work in the exports";
    default:
      return plugin + " cannot be loaded (system error " + std::to_string(lastError) +
             "); check that it is a complete 32-bit DLL";
  }
}
