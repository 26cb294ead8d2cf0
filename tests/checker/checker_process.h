// Runs QB2LPTCheck.exe as a child process, as a build script would, and captures what it says.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CheckerResult {
  DWORD exitCode = 0;
  std::string out;  // the standard output's bytes
  std::string err;  // the standard error's bytes
  DWORD elapsedMs = 0;
  std::vector<std::string> OutLines() const;
  std::vector<std::string> ErrLines() const;
};

// Runs the checker with `args` (Shift-JIS, as the sources' literals are; each quoted as needed)
// in the current folder, whatever this process's code page. A checker still running after
// `timeoutMs` is terminated and gets exit code 0xFFFFFFFF.
CheckerResult RunChecker(const std::vector<std::string>& args, DWORD timeoutMs = 180000);
// The same with UTF-8 arguments, which may hold any character.
CheckerResult RunCheckerUtf8(const std::vector<std::string>& args, DWORD timeoutMs = 180000);

// The tests folder's files that the tests use, and scratch files of their own (Shift-JIS paths).
std::string TestPath(const std::string& name);
std::string ScratchFile(const std::string& name, const std::string& bytes);

// Hangul, which Shift-JIS lacks, as UTF-8 bytes (the compiler refuses such a character in any
// literal, since its execution character set is Shift-JIS).
const std::string kPyo = "\xED\x91\x9C";  // 표
const std::string kKi = "\xED\x82\xA4";   // 키

// Whether any line contains every one of the parts.
bool AnyLineHas(const std::vector<std::string>& lines, const std::vector<std::string>& parts);
