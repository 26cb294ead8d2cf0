// What a library file's own headers say about it, read without loading it: whether it is a
// Windows image at all, for which processor, whether it is a DLL, the names it exports and the
// DLLs it imports from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PeFacts {
  bool isPe = false;        // an MZ header leading to a PE signature
  uint16_t machine = 0;     // the file header's machine type (0x14C for 32-bit x86)
  bool isPe32Plus = false;  // a 64-bit optional header
  bool isDll = false;       // the DLL flag of the file header
  std::vector<std::string> exports;  // the names in the export directory
  std::vector<std::string> imports;  // the DLL names of the import directory
  bool directoriesReadable = true;   // false when a directory points outside the file
};

// Reads the headers in `image`, the whole file's bytes. Never reads outside them.
PeFacts InspectPeImage(const std::string& image);

// The machine type's usual name ("x86", "x64", "ARM64", …) or its hexadecimal value.
std::string MachineName(uint16_t machine);
