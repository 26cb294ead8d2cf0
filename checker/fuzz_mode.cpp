// The fuzz mode: requests on mutated list data, keys, key types and lengths, watching for faults,
// buffer overruns, calling-convention breaches and hangs. Case i of seed S has the seed S + i, so
// "--fuzz 1 --seed S+i" with the same plugin, list and key replays it.
#include <windows.h>

#include <cstdio>

#include "checker/console.h"
#include "checker/file_bytes.h"
#include "checker/fuzz_cases.h"
#include "checker/modes.h"
#include "checker/run_report.h"
#include "plugin/contract.h"

namespace {

std::string ProgramPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

std::string ReplayCommand(const CheckerOptions& options, uint32_t caseSeed) {
  std::string command = QuoteArgument(ProgramPath()) + " --plugin " + QuoteArgument(options.pluginPath);
  if (!options.listPath.empty()) command += " --list " + QuoteArgument(options.listPath);
  if (!options.keys.empty()) command += " --key " + QuoteArgument(options.keys[0]);
  for (int request : options.requests) command += std::string(" --request ") + kExports[request].name;
  char timeout[32];
  std::snprintf(timeout, sizeof timeout, "%g", options.timeoutSeconds);
  command += std::string(" --timeout ") + timeout;
  return command + " --fuzz 1 --seed " + std::to_string(caseSeed);
}

// The inputs without the bytes themselves, which need not be printable.
std::string DescribeFuzzCase(const FuzzCase& c) {
  return std::string(kExports[c.request].name) + " key-type=" + KeyTypeOptionName(c.keyTypeIndex) +
         " key=" + std::to_string(c.key.size()) + " bytes, list data=" + std::to_string(c.listData.size()) +
         " bytes" + (c.requestedLength.empty() ? "" : ", req-len=" + QuoteArgument(c.requestedLength));
}

// What the run shows that a plugin must never do, whatever its input.
std::vector<std::string> FuzzFindings(const RequestOutcome& outcome) {
  std::vector<std::string> findings;
  if (!outcome.completed) {
    std::string said;
    for (const std::string& line : outcome.failureLines) said += (said.empty() ? "" : " / ") + line;
    findings.push_back("the call did not come back: " + said);
  }
  findings.insert(findings.end(), outcome.conventionLines.begin(), outcome.conventionLines.end());
  for (const std::string& warning : outcome.warnings) {
    if (IsBenchFinding(warning)) findings.push_back(warning);
  }
  return findings;
}

std::string TemporaryListPath() {
  char folder[MAX_PATH] = {};
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + "qb2lpt-fuzz-" + std::to_string(GetCurrentProcessId()) + ".dat";
}

}  // namespace

int RunFuzzMode(const CheckerOptions& options, const PluginSession& session) {
  for (const std::string& line : session.diagnostics) Say("FAIL load: " + line);
  const uint32_t seed = options.hasSeed ? options.seed : GetTickCount() ^ (GetCurrentProcessId() << 16);
  std::string baseList;
  if (!options.listPath.empty() && !ReadWholeFile(options.listPath, baseList)) {
    PrintMessage("cannot read the list-data file \"" + options.listPath + "\"");
    return kExitUsage;
  }
  std::vector<int> requests;
  for (int request : ChosenRequests(options)) {
    if (IsPresent(request)) requests.push_back(request);
  }
  Say("fuzz seed " + std::to_string(seed) + ", " + std::to_string(options.fuzzCount) + " cases");
  if (requests.empty()) {
    Say("FAIL nothing to fuzz: the plugin exports none of the requests");
    return FinishRunReport(true, "nothing to fuzz");
  }

  const std::string listPath = TemporaryListPath();
  size_t failed = 0, called = 0;
  for (uint32_t i = 0; i < options.fuzzCount; ++i) {
    const uint32_t caseSeed = seed + i;
    const FuzzCase c = MakeFuzzCase(caseSeed, requests, baseList, options.keys.empty() ? "" : options.keys[0]);
    if (!WriteWholeFile(listPath, c.listData)) {
      PrintMessage("cannot write the fuzz list data \"" + listPath + "\"");
      return kExitUsage;
    }
    RequestInputs inputs;
    inputs.request = c.request;
    inputs.listPath = listPath;
    inputs.key = c.key;
    inputs.keyTypeIndex = c.keyTypeIndex;
    inputs.requestedLength = c.requestedLength;
    CaseReport report;
    report.name = "fuzz case seed " + std::to_string(caseSeed);
    report.replay = ReplayCommand(options, caseSeed);
    SetCaseUnderWay(report.name);
    const RunRecord run =
        RunAndRecord(inputs, DescribeFuzzCase(c) + " (" + report.name + "; replay: " + report.replay + ")");
    report.runs.push_back(run);
    called += run.outcome.called ? 1 : 0;
    for (const std::string& finding : FuzzFindings(run.outcome)) {
      report.failures.push_back(DescribeFuzzCase(c) + ": " + finding);
    }
    if (!report.failures.empty()) {
      ++failed;
      for (const std::string& failure : report.failures) Say("FAIL " + report.name + ": " + failure);
      Say("  replay: " + report.replay);
    }
    AddCase(report);
  }
  DeleteFileA(listPath.c_str());
  const std::string summary = "fuzz seed " + std::to_string(seed) + ": " + std::to_string(failed) +
                              " of " + std::to_string(options.fuzzCount) + " cases failed, " +
                              std::to_string(called) + " reached the plugin";
  Say((failed == 0 && called > 0 && session.diagnostics.empty() ? "PASS " : "FAIL ") + summary);
  return FinishRunReport(called == 0, summary);
}
