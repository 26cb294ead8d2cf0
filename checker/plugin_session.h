// Loading the plugin for a checker run, with the bench's own loader and the checker's
// explanations of what keeps the host from using the plugin.
#pragma once

#include <string>
#include <vector>

#include "checker/options.h"

struct PluginSession {
  bool loaded = false;
  std::vector<std::string> lines;        // the loader's report lines
  std::vector<std::string> diagnostics;  // one line each, with the fix (UTF-8)
};

// Checks the file, loads it into PluginTable and reports the load to the run report. False, with
// `problem` set, when the file cannot be read or is no 32-bit DLL (bad input: exit code 2).
bool OpenPluginSession(const CheckerOptions& options, PluginSession& session, std::string& problem);

// Whether the loaded plugin exports the request.
bool IsPresent(int exportIndex);
