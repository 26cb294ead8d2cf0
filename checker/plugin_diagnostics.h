// One-line explanations, with the fix, for a plugin that the host could not use: a file that is
// no 32-bit DLL, exports under decorated or wrongly cased names, a load that failed. Paths and
// the lines are UTF-8 (the checker's own text).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "checker/pe_image.h"
#include "plugin/guarded_load.h"

// Reads the plugin file's headers (only those). False, with `problem` set, when the file cannot be read or is
// not a 32-bit x86 DLL (the host cannot load it at all).
bool InspectPluginFile(const std::string& path, PeFacts& facts, std::string& problem);

// A contract name that the library does not export as such, and the name it exports instead.
struct NameMismatch {
  int exportIndex;
  std::string exported;
  bool decorated;  // a stdcall decoration ("_GetTitle@20", "GetTitle@20"), else another case
};

// The near misses among the exported names, in export order.
std::vector<NameMismatch> FindNameMismatches(const std::vector<std::string>& exported);

// The line for those near misses, or "" when there are none.
std::string DescribeNameMismatches(const std::string& pluginPath,
                                   const std::vector<NameMismatch>& mismatches);

// Why the load of a 32-bit DLL failed, given GetLastError() after it and the loader's finding
// about its start-up code, and how to fix it.
std::string DescribeLoadFailure(const std::string& pluginPath, const PeFacts& facts,
                                uint32_t lastError, const LoadFault& fault);
