// List-data files for timing: rows in the sample plugin's format (a header row naming the columns,
// tab-separated fields, CR LF line ends) up to an exact size, with keys that never equal
// kAbsentCrc32Key, so that a look-up of that key scans the whole file.
#pragma once

#include <cstddef>
#include <string>

constexpr char kAbsentCrc32Key[] = "FFFFFFFF";

// The first `size` bytes of such a list; the last row is cut short where the size ends.
std::string ListBytes(size_t size);

// Writes a list file of exactly `size` bytes, unless one of that size is already there.
bool EnsureListFile(const std::string& path, size_t size);
