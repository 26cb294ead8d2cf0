// The checker's command line: what to run and how to report it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The process exit codes.
constexpr int kExitClean = 0;   // everything that ran was clean
constexpr int kExitFailed = 1;  // a check failed, a fault or hang was caught, or nothing ran
constexpr int kExitUsage = 2;   // bad usage or unreadable input

enum class CheckerMode { Manual, Check, Expect, Fuzz };
enum class OutputEncoding { Utf8, ShiftJis };

struct CheckerOptions {
  CheckerMode mode = CheckerMode::Manual;
  bool help = false;
  bool version = false;
  std::string pluginPath;
  std::string listPath;
  std::vector<std::string> keys;
  // KeyTypeCombo indexes (-1 for no selection); empty when none was given.
  std::vector<int> keyTypes;
  // Export indexes, in the order given.
  std::vector<int> requests;
  bool hasRequestedLength = false;
  std::string requestedLength;
  OutputEncoding encoding = OutputEncoding::Utf8;
  bool json = false;
  std::string junitPath;
  std::string expectPath;
  uint32_t fuzzCount = 0;
  bool hasSeed = false;
  uint32_t seed = 0;
  double timeoutSeconds = 10;
  bool strict = false;
};

// Reads the arguments (program name excluded). False with `error` saying what is wrong.
bool ParseOptions(const std::vector<std::string>& args, CheckerOptions& options, std::string& error);

// The key type's name on the command line ("crc16", "crc32", "body", "body.ext", "none" for
// no selection), and back; -2 for a name that is none of them.
const char* KeyTypeOptionName(int keyTypeIndex);
int KeyTypeFromOptionName(const std::string& name);

// Quotes an argument for a command line that the checker itself will read back.
std::string QuoteArgument(const std::string& arg);

extern const char kUsageText[];
