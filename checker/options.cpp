#include "checker/options.h"

#include <cstdlib>

#include "checker/command_line.h"
#include "checker/text_encoding.h"
#include "plugin/contract.h"

const char kUsageText[] =
    "Usage: QB2LPTCheck --plugin FILE [options]\n"
    "       QB2LPTCheck --version | --help\n"
    "\n"
    "Manual mode (the default): runs requests as the bench window would and prints its lines.\n"
    "  --list FILE          the list-data file\n"
    "  --key TEXT           the test key\n"
    "  --key-type TYPE      crc16, crc32 (default), body, body.ext or none\n"
    "  --request NAME       an export to request (repeatable; default: every present one)\n"
    "  --req-len TEXT       the requested buffer length, as typed into the bench\n"
    "  --json               a machine-readable report instead of the lines\n"
    "  --record FILE        also write the requests and their lines as a test-vector file (not\n"
    "                       written when a request fails: a fault is no reference output)\n"
    "Check mode: --check, with --list and --key (repeatable); --key-type and --request narrow it.\n"
    "  Calls every export over every key type and several buffer sizes and checks the answers;\n"
    "  warns of imported functions that show a window or end the process.\n"
    "Regression mode: --expect FILE runs the cases of a test-vector file.\n"
    "Fuzz mode: --fuzz N [--seed S] runs N requests on mutated list data, keys and key types;\n"
    "  --list and --key, when given, are the data that is mutated; --key-type narrows the types.\n"
    "  --save-failures DIR writes each failing case, shrunk, to DIR as a test-vector file.\n"
    "Leak mode: --leaks N, with the manual mode's options, runs each request N times and fails an\n"
    "  export that leaves handles, windows, GDI or USER objects, or more than 64 KiB of private\n"
    "  memory per 1,000 requests behind (N from 10; the first N/10, at most 100, warm up).\n"
    "Comparison mode: --compare OLD.dll, with the manual mode's options (--key and --key-type\n"
    "  repeatable), runs the same requests on the plugin and on the old build, each in a worker\n"
    "  process, and shows each request whose lines differ (- old, + new).\n"
    "Common options:\n"
    "  --encoding utf8|sjis the encoding of the output (default utf8)\n"
    "  --junit FILE         also write the results as a JUnit XML report (faults and hangs are\n"
    "                       errors, absent exports skipped, each case timed)\n"
    "  --timeout SECONDS    the longest a plugin call may take (default 10; 0 waits forever)\n"
    "  --strict             warnings (a badly formed sale date, a warning line, a character cut\n"
    "                       in half by a small buffer) are failures\n"
    "  --in-process         run the cases of --check, --expect and --fuzz in this process; by\n"
    "                       default each runs in a worker process, which a hang or a crash ends\n"
    "                       alone (the case fails and the run goes on in a fresh worker)\n"
    "Every mode ends with a summary line: N passed, M failed (and K skipped, where any were).\n"
    "Exit codes: 0 clean, 1 a check failed or a fault or hang was caught or nothing ran,\n"
    "            2 bad usage or unreadable input.\n";

namespace {

constexpr uint32_t kMaxFuzzCount = 1000000;
// Fewer requests leave too little to measure after the warm-up.
constexpr uint32_t kMinLeakCount = 10;
constexpr uint32_t kMaxLeakCount = 1000000;
constexpr double kMaxTimeoutSeconds = 86400;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal digits only: "010" is ten, whatever a C library would make of a leading zero or "0x".
bool ParseUnsigned(const std::string& text, uint32_t& value) {
  if (text.empty()) return false;
  uint64_t number = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    number = number * 10 + static_cast<uint64_t>(c - '0');
    if (number > UINT32_MAX) return false;
  }
  value = static_cast<uint32_t>(number);
  return true;
}

// Decimal digits with an optional fraction ("2", "0.5", ".5", "10."): no sign, exponent or hexadecimal.
bool ParseSeconds(const std::string& text, double& seconds) {
  size_t digits = 0, points = 0;
  for (char c : text) {
    if (IsDigit(c)) ++digits;
    else if (c == '.') ++points;
    else return false;
  }
  if (digits == 0 || points > 1) return false;
  seconds = std::strtod(text.c_str(), nullptr);
  return seconds <= kMaxTimeoutSeconds;
}

// A text that the bench hands to the plugin (a key, a requested length) in Shift-JIS.
bool ToBenchText(const std::string& name, const std::string& utf8, std::string& sjis,
                 std::string& error) {
  if (Utf8ToSjis(utf8, sjis)) return true;
  error = name + " \"" + utf8 + "\" holds a character that has no Shift-JIS form (a plugin receives "
          "it in Shift-JIS)";
  return false;
}

// Whether every named request runs without list data and key (the plugin-description ones).
bool OnlyDescriptionRequests(const std::vector<int>& requests) {
  if (requests.empty()) return false;
  for (int request : requests) {
    if (TakesListDataAndKey(kExports[request].pattern)) return false;
  }
  return true;
}

bool Fail(std::string& error, const std::string& message) {
  error = message;
  return false;
}

bool SetMode(CheckerOptions& options, CheckerMode mode, bool& modeGiven, std::string& error) {
  if (modeGiven) return Fail(error, "--check, --expect, --fuzz, --leaks and --compare cannot be combined");
  options.mode = mode;
  modeGiven = true;
  return true;
}

bool CheckCombination(const CheckerOptions& options, std::string& error) {
  if (options.pluginPath.empty()) return Fail(error, "--plugin FILE is required");
  const bool needsData = !OnlyDescriptionRequests(options.requests);
  const std::string where = options.mode == CheckerMode::Leaks ? "with --leaks" : "in the manual mode";
  switch (options.mode) {
    case CheckerMode::Manual:
    case CheckerMode::Leaks:
      if (options.keys.size() > 1) return Fail(error, "--key may be given once " + where);
      if (options.keyTypes.size() > 1) {
        return Fail(error, "--key-type may be given once " + where);
      }
      if (needsData && options.listPath.empty()) return Fail(error, "--list FILE is required");
      if (needsData && options.keys.empty()) return Fail(error, "--key TEXT is required");
      break;
    case CheckerMode::Compare:
      if (options.inProcess) return Fail(error, "--in-process does not go with --compare, which runs each build in a worker process of its own");
      [[fallthrough]];
    case CheckerMode::Check:
      if (needsData && options.listPath.empty()) return Fail(error, "--list FILE is required");
      if (needsData && options.keys.empty()) return Fail(error, "--key TEXT is required");
      break;
    case CheckerMode::Expect:
      if (!options.listPath.empty() || !options.keys.empty() || !options.keyTypes.empty() ||
          !options.requests.empty()) {
        return Fail(error, "--expect takes the list, key, key type and request from its file");
      }
      break;
    case CheckerMode::Fuzz:
      if (options.keys.size() > 1) return Fail(error, "--key may be given once with --fuzz");
      break;
  }
  if (options.hasRequestedLength && options.mode != CheckerMode::Manual &&
      options.mode != CheckerMode::Leaks && options.mode != CheckerMode::Compare) {
    return Fail(error,
                "--req-len belongs to the manual mode, --leaks and --compare (the other modes choose the sizes)");
  }
  if (!options.saveFailuresDir.empty() && options.mode != CheckerMode::Fuzz) {
    return Fail(error, "--save-failures belongs to --fuzz");
  }
  if (!options.recordPath.empty() && options.mode != CheckerMode::Manual) {
    return Fail(error, "--record belongs to the manual mode");
  }
  if (options.hasSeed && options.mode != CheckerMode::Fuzz) {
    return Fail(error, "--seed belongs to --fuzz");
  }
  return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, CheckerOptions& options, std::string& error) {
  options = CheckerOptions();
  bool modeGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool hasValue = false;
    // "--name=value" is the same as "--name value".
    const size_t equals = name.find('=');
    if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    auto takeValue = [&](std::string& into) {
      if (hasValue) {
        into = value;
        return true;
      }
      if (i + 1 >= args.size()) return Fail(error, name + " needs a value");
      into = args[++i];
      return true;
    };
    auto noValue = [&]() { return !hasValue || Fail(error, name + " takes no value"); };

    std::string text;
    if (name == "--help" || name == "-h" || name == "/?") {
      if (!noValue()) return false;
      options.help = true;
    } else if (name == "--version") {
      if (!noValue()) return false;
      options.version = true;
    } else if (name == "--plugin") {
      if (!takeValue(options.pluginPath)) return false;
      if (options.pluginPath.empty()) return Fail(error, "--plugin needs a file name");
    } else if (name == "--list") {
      if (!takeValue(options.listPath)) return false;
      if (options.listPath.empty()) return Fail(error, "--list needs a file name");
    } else if (name == "--key") {
      std::string key;
      if (!takeValue(text) || !ToBenchText(name, text, key, error)) return false;
      options.keys.push_back(key);
    } else if (name == "--key-type") {
      if (!takeValue(text)) return false;
      std::optional<KeyType> keyType;
      if (!KeyTypeFromOptionName(text, keyType)) {
        return Fail(error, "unknown key type \"" + text + "\" (use crc16, crc32, body, body.ext or none)");
      }
      options.keyTypes.push_back(keyType);
    } else if (name == "--request") {
      if (!takeValue(text)) return false;
      const int request = FindExport(text.c_str());
      if (request < 0) return Fail(error, "\"" + text + "\" is not one of the 24 export names");
      options.requests.push_back(request);
    } else if (name == "--req-len") {
      if (!takeValue(text) || !ToBenchText(name, text, options.requestedLength, error)) return false;
      options.hasRequestedLength = true;
    } else if (name == "--encoding") {
      if (!takeValue(text)) return false;
      if (text == "utf8" || text == "utf-8") {
        options.encoding = OutputEncoding::Utf8;
      } else if (text == "sjis" || text == "shift_jis" || text == "cp932") {
        options.encoding = OutputEncoding::ShiftJis;
      } else {
        return Fail(error, "unknown encoding \"" + text + "\" (use utf8 or sjis)");
      }
    } else if (name == "--json") {
      if (!noValue()) return false;
      options.json = true;
    } else if (name == "--junit") {
      if (!takeValue(options.junitPath)) return false;
      if (options.junitPath.empty()) return Fail(error, "--junit needs a file name");
    } else if (name == "--check") {
      if (!noValue() || !SetMode(options, CheckerMode::Check, modeGiven, error)) return false;
    } else if (name == "--expect") {
      if (!takeValue(options.expectPath)) return false;
      if (options.expectPath.empty()) return Fail(error, "--expect needs a file name");
      if (!SetMode(options, CheckerMode::Expect, modeGiven, error)) return false;
    } else if (name == "--fuzz") {
      if (!takeValue(text)) return false;
      if (!ParseUnsigned(text, options.fuzzCount) || options.fuzzCount == 0 ||
          options.fuzzCount > kMaxFuzzCount) {
        return Fail(error, "--fuzz needs a count from 1 to 1000000, not \"" + text + "\"");
      }
      if (!SetMode(options, CheckerMode::Fuzz, modeGiven, error)) return false;
    } else if (name == "--leaks") {
      if (!takeValue(text)) return false;
      if (!ParseUnsigned(text, options.leakCount) || options.leakCount < kMinLeakCount ||
          options.leakCount > kMaxLeakCount) {
        return Fail(error, "--leaks needs a count from 10 to 1000000, not \"" + text + "\"");
      }
      if (!SetMode(options, CheckerMode::Leaks, modeGiven, error)) return false;
    } else if (name == "--compare") {
      if (!takeValue(options.comparePath)) return false;
      if (options.comparePath.empty()) return Fail(error, "--compare needs a file name");
      if (!SetMode(options, CheckerMode::Compare, modeGiven, error)) return false;
    } else if (name == "--save-failures") {
      if (!takeValue(options.saveFailuresDir)) return false;
      if (options.saveFailuresDir.empty()) return Fail(error, "--save-failures needs a folder name");
    } else if (name == "--record") {
      if (!takeValue(options.recordPath)) return false;
      if (options.recordPath.empty()) return Fail(error, "--record needs a file name");
    } else if (name == "--seed") {
      if (!takeValue(text)) return false;
      if (!ParseUnsigned(text, options.seed)) {
        return Fail(error, "--seed needs a whole number from 0 to 4294967295, not \"" + text + "\"");
      }
      options.hasSeed = true;
    } else if (name == "--timeout") {
      if (!takeValue(text)) return false;
      if (!ParseSeconds(text, options.timeoutSeconds)) {
        return Fail(error, "--timeout needs a number of seconds from 0 to 86400, not \"" + text + "\"");
      }
    } else if (name == "--strict") {
      if (!noValue()) return false;
      options.strict = true;
    } else if (name == "--in-process") {
      if (!noValue()) return false;
      options.inProcess = true;
    } else {
      return Fail(error, "unknown option \"" + args[i] + "\"");
    }
  }
  if (options.help || options.version) return true;
  return CheckCombination(options, error);
}
