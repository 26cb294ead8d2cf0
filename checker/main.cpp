// QB2LPTCheck: the bench's plugin host and request runner driven from the command line, for
// plugin authors' build scripts. Exit codes: 0 clean, 1 a failure, 2 bad usage or input.
#include "checker/console.h"
#include "checker/file_bytes.h"
#include "checker/modes.h"
#include "checker/run_report.h"
#include "checker/watchdog.h"
#include "checker/worker.h"
#include "plugin/loader.h"
#include "qb2lpt_version.h"

namespace {

const char* ModeName(CheckerMode mode) {
  switch (mode) {
    case CheckerMode::Manual: return "manual";
    case CheckerMode::Check: return "check";
    case CheckerMode::Expect: return "expect";
    case CheckerMode::Fuzz: return "fuzz";
    case CheckerMode::Leaks: return "leaks";
    case CheckerMode::Compare: return "compare";
  }
  return "";
}

// The input files that must be there before anything is loaded.
bool CheckInputFiles(const CheckerOptions& options, std::string& problem) {
  if (!FileExists(options.pluginPath)) {
    problem = "the plugin file \"" + options.pluginPath + "\" does not exist";
    return false;
  }
  if (!options.listPath.empty() && !FileExists(options.listPath)) {
    problem = "the list-data file \"" + options.listPath + "\" does not exist";
    return false;
  }
  if (!options.comparePath.empty() && !FileExists(options.comparePath)) {
    problem = "the old build's plugin file \"" + options.comparePath + "\" does not exist";
    return false;
  }
  if (!options.expectPath.empty() && !FileExists(options.expectPath)) {
    problem = "the test-vector file \"" + options.expectPath + "\" does not exist";
    return false;
  }
  return true;
}

int Run(const CheckerOptions& options) {
  std::string problem;
  if (!CheckInputFiles(options, problem)) {
    PrintMessage(problem);
    return kExitUsage;
  }
  StartWatchdog(options.timeoutSeconds);
  BeginRunReport(options, ModeName(options.mode));
  PluginSession session;
  if (!OpenPluginSession(options, session, problem)) {
    PrintMessage(problem);
    return kExitUsage;
  }
  int exitCode = kExitFailed;
  switch (options.mode) {
    case CheckerMode::Manual: exitCode = RunManualMode(options, session); break;
    case CheckerMode::Check: exitCode = RunCheckMode(options, session); break;
    case CheckerMode::Expect: exitCode = RunExpectMode(options, session); break;
    case CheckerMode::Fuzz: exitCode = RunFuzzMode(options, session); break;
    case CheckerMode::Leaks: exitCode = RunLeaksMode(options, session); break;
    case CheckerMode::Compare: exitCode = RunCompareMode(options, session); break;
  }
  ReleasePlugin();
  return exitCode;
}

}  // namespace

int main() {
  const std::vector<std::string> args = ReadCommandLine();
  if (IsWorkerCommandLine(args)) return RunWorker(args);
  std::string error;
  CheckerOptions options;
  if (!ParseOptions(args, options, error)) {
    PrintMessage(error + " (QB2LPTCheck --help shows the usage)");
    return kExitUsage;
  }
  SetOutputEncoding(options.encoding);
  if (options.help) {
    PrintUtf8(kUsageText);
    return kExitClean;
  }
  if (options.version) {
    PrintLine("QB2LPTCheck " QB2LPT_VERSION_TEXT);
    return kExitClean;
  }
  return Run(options);
}
