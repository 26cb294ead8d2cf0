// For tests that drive the scriptable test plugin (tests/plugins/scriptable_plugin.cpp describes
// its script and log formats): its two environment variables, and the fields of its log lines.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

constexpr char kScriptVariable[] = "SCRIPTABLE_PLUGIN_SCRIPT";
constexpr char kLogVariable[] = "SCRIPTABLE_PLUGIN_LOG";

inline void WriteWholeFile(const std::string& path, const std::string& bytes) {
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
}

inline std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    std::fclose(file);
  }
  return bytes;
}

// The name of the export that wrote a log line (or "ScriptError").
inline std::string LogExport(const std::string& line) { return line.substr(0, line.find(' ')); }

// The value of the field `name` in a log line, or "(absent)"; keytext takes the rest of the line.
inline std::string LogField(const std::string& line, const std::string& name) {
  const size_t at = line.find(" " + name + "=");
  if (at == std::string::npos) return "(absent)";
  const size_t start = at + name.size() + 2;
  if (name == "keytext") return line.substr(start);
  return line.substr(start, line.find(' ', start) - start);
}

// Points the plugin's script and log at two files named after `stem` in the current folder, empty
// at first, for as long as it lives; processes started meanwhile inherit both.
class ScriptedPluginFiles {
 public:
  explicit ScriptedPluginFiles(const std::string& stem) {
    char folder[MAX_PATH];
    GetCurrentDirectoryA(sizeof folder, folder);
    scriptPath_ = std::string(folder) + "\\" + stem + ".script";
    logPath_ = std::string(folder) + "\\" + stem + ".log";
    DeleteFileA(scriptPath_.c_str());
    DeleteFileA(logPath_.c_str());
    SetEnvironmentVariableA(kScriptVariable, scriptPath_.c_str());
    SetEnvironmentVariableA(kLogVariable, logPath_.c_str());
  }
  ScriptedPluginFiles(const ScriptedPluginFiles&) = delete;
  ScriptedPluginFiles& operator=(const ScriptedPluginFiles&) = delete;
  ~ScriptedPluginFiles() {
    SetEnvironmentVariableA(kScriptVariable, nullptr);
    SetEnvironmentVariableA(kLogVariable, nullptr);
    DeleteFileA(scriptPath_.c_str());
    DeleteFileA(logPath_.c_str());
  }

  // Replaces the side-channel script (the only one that GetPluginVersion, GetPluginAuthor and
  // GetPluginInfo see).
  void SetScript(const std::string& script) const { WriteWholeFile(scriptPath_, script); }

  // The log's lines so far, without their line feeds.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    const std::string log = ReadWholeFile(logPath_);
    size_t start = 0;
    for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(log.substr(start, end - start));
    }
    return lines;
  }

  void ClearLog() const { DeleteFileA(logPath_.c_str()); }

  const std::string& scriptPath() const { return scriptPath_; }
  const std::string& logPath() const { return logPath_; }

 private:
  std::string scriptPath_;
  std::string logPath_;
};
