// Whole-file reads and writes for the checker's inputs and reports.
#pragma once

#include <string>

bool ReadWholeFile(const std::string& path, std::string& bytes);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
