// The checker's command line: what to run and how to report it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugin/contract.h"

// The process exit codes.
constexpr int kExitClean = 0;   // everything that ran was clean
constexpr int kExitFailed = 1;  // a check failed, a fault or hang was caught, or nothing ran
constexpr int kExitUsage = 2;   // bad usage or unreadable input

enum class CheckerMode { Manual, Check, Expect, Fuzz, Leaks, Compare };
enum class OutputEncoding { Utf8, ShiftJis };

// Paths are UTF-8, as given (the files are opened by their Unicode names); the keys and the
// requested length are Shift-JIS, the bytes that the bench hands to a plugin.
struct CheckerOptions {
  CheckerMode mode = CheckerMode::Manual;
  bool help = false;
  bool version = false;
  std::string pluginPath;
  std::string listPath;
  std::vector<std::string> keys;
  // The key types given, none for no selection; empty when no key type was given.
  std::vector<std::optional<KeyType>> keyTypes;
  // Export indexes, in the order given.
  std::vector<int> requests;
  bool hasRequestedLength = false;
  std::string requestedLength;
  OutputEncoding encoding = OutputEncoding::Utf8;
  bool json = false;
  std::string junitPath;
  std::string expectPath;
  std::string comparePath;  // the old build that --compare runs the same requests on
  uint32_t fuzzCount = 0;
  std::string saveFailuresDir;  // --fuzz: the folder that keeps each failing case
  std::string recordPath;       // the manual mode: the test-vector file that the run is written to
  uint32_t leakCount = 0;  // the requests of each export that --leaks runs
  bool hasSeed = false;
  uint32_t seed = 0;
  double timeoutSeconds = 10;
  bool strict = false;
  bool inProcess = false;  // the cases of --check, --expect and --fuzz run here, not in a worker
};

// Reads the arguments (UTF-8, program name excluded). Numbers are decimal. False with `error`
// (UTF-8) saying what is wrong, also when a key or the requested length holds a character that
// Shift-JIS lacks.
bool ParseOptions(const std::vector<std::string>& args, CheckerOptions& options, std::string& error);

extern const char kUsageText[];
