// The fuzz mode: requests on mutated list data, keys, key types and lengths, watching for faults,
// buffer overruns, calling-convention breaches and hangs. Case i of seed S has the seed S + i, so
// "--fuzz 1 --seed S+i" with the options that shape a case replays it.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "checker/command_line.h"
#include "checker/console.h"
#include "checker/file_bytes.h"
#include "checker/fuzz_cases.h"
#include "checker/modes.h"
#include "checker/run_findings.h"
#include "checker/run_report.h"
#include "checker/save_failures.h"
#include "checker/shell_command.h"
#include "checker/text_encoding.h"
#include "checker/watchdog.h"
#include "plugin/contract.h"

namespace {

// The timeout in decimal as the watchdog uses it, so that the replay reads back the same time.
std::string TimeoutText(double seconds) {
  const unsigned long ms = AllowedCallMs(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%lu.%03lu", ms / 1000, ms % 1000);
  std::string decimal = text;
  decimal.erase(decimal.find_last_not_of('0') + 1);
  if (decimal.back() == '.') decimal.pop_back();
  return decimal;
}

// Every option that shapes a case: the plugin, the list and key mutated, the key types and
// requests chosen from, the time a call may take, and the output's encoding.
std::string ReplayCommand(const CheckerOptions& options, uint32_t caseSeed) {
  std::vector<CommandWord> words = {{"--plugin"}, {options.pluginPath, true}};
  if (!options.listPath.empty()) {
    words.push_back({"--list"});
    words.push_back({options.listPath, true});
  }
  if (!options.keys.empty()) {
    words.push_back({"--key"});
    words.push_back({SjisToUtf8(options.keys[0])});
  }
  for (const std::optional<KeyType>& keyType : options.keyTypes) {
    words.push_back({"--key-type"});
    words.push_back({KeyTypeOptionName(keyType)});
  }
  for (int request : options.requests) {
    words.push_back({"--request"});
    words.push_back({kExports[request].name});
  }
  words.push_back({"--timeout"});
  words.push_back({TimeoutText(options.timeoutSeconds)});
  if (options.encoding == OutputEncoding::ShiftJis) {
    words.push_back({"--encoding"});
    words.push_back({"sjis"});
  }
  for (const char* word : {"--fuzz", "1", "--seed"}) words.push_back({word});
  words.push_back({std::to_string(caseSeed)});
  return CheckerCommand(words);
}

// The inputs without the bytes themselves, which need not be printable.
std::string DescribeFuzzCase(const FuzzCase& c) {
  return std::string(kExports[c.request].name) + " key-type=" + KeyTypeOptionName(c.keyType) +
         " key=" + Counted(c.key.size(), "byte", "bytes") +
         ", list data=" + Counted(c.listData.size(), "byte", "bytes") +
         (c.requestedLength.empty() ? "" : ", req-len=" + QuoteArgument(c.requestedLength));
}

// What the run shows that a plugin must never do, whatever its input, besides a call that does
// not come back.
std::vector<std::string> FuzzFindings(const RequestOutcome& outcome) {
  std::vector<std::string> findings;
  for (const RunEvent& finding : RunFindings(outcome)) {
    if (!std::holds_alternative<CallAbandoned>(finding)) findings.push_back(DescribeFinding(finding));
  }
  return findings;
}

// The case under way and where to keep it should its call hang.
std::string HangSaveFolder;
uint32_t HangSeed = 0;
FuzzCase HangCase;

void SaveTheHungCase() {
  std::string problem;
  if (!SaveHungCase(HangSaveFolder, HangSeed, HangCase, problem)) PrintMessage(problem);
}

// Runs the case on its list data, written to `listPath` first. False when the file cannot be
// written.
bool RunFuzzCase(const FuzzCase& c, const std::string& listPath, const std::string& what, RunRecord& run) {
  if (!WriteWholeFile(listPath, c.listData)) {
    PrintMessage("cannot write the fuzz list data \"" + listPath + "\"");
    return false;
  }
  RequestInputs inputs;
  inputs.request = c.request;
  inputs.listPath = listPath;
  inputs.key = c.key;
  inputs.keyType = c.keyType;
  inputs.requestedLength = c.requestedLength;
  run = RunAndRecord(inputs, what);
  return true;
}

// Keeps a failing case in the --save-failures folder, shrunk; says where.
void SaveFailure(const std::string& folder, uint32_t seed, const FuzzCase& c, const RunRecord& run,
                 const std::string& listPath, const std::string& what) {
  const FuzzCaseRunner rerun = [&](const FuzzCase& candidate) {
    RunRecord again;
    RunFuzzCase(candidate, listPath, what + " (shrinking)", again);
    return again;
  };
  SavedFailure saved;
  std::string problem;
  if (!SaveFailingCase(folder, seed, c, run, rerun, saved, problem)) {
    PrintMessage("the failing case of seed " + std::to_string(seed) + " was not saved: " + problem);
    return;
  }
  Say("  saved: " + saved.vectorPath + " (" + Counted(saved.listBytes, "list byte", "list bytes") + ", " +
      Counted(saved.keyBytes, "key byte", "key bytes") + ", shrunk in " + Counted(saved.reruns, "run", "runs") +
      ")");
}

std::string TemporaryListPath() {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  return WideToUtf8(folder) + "qb2lpt-fuzz-" + std::to_string(GetCurrentProcessId()) + ".dat";
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
  const std::string seedText = "seed " + std::to_string(seed);
  Say("fuzz " + seedText + ", " + Counted(options.fuzzCount, "case", "cases"));
  if (requests.empty()) {
    Say("FAIL nothing to fuzz: the plugin exports none of the requests");
    return FinishRunReport(seedText);
  }

  const std::string listPath = TemporaryListPath();
  if (!options.saveFailuresDir.empty()) {
    HangSaveFolder = options.saveFailuresDir;
    SetHangFollowUp(SaveTheHungCase);
  }
  for (uint32_t i = 0; i < options.fuzzCount; ++i) {
    const uint32_t caseSeed = seed + i;
    const FuzzCase c = MakeFuzzCase(caseSeed, requests, options.keyTypes, baseList,
                                    options.keys.empty() ? "" : options.keys[0]);
    CaseReport report;
    report.name = "fuzz case seed " + std::to_string(caseSeed);
    report.replay = ReplayCommand(options, caseSeed);
    SetCaseUnderWay(report.name);
    const std::string what = DescribeFuzzCase(c) + " (" + report.name + "; replay: " + report.replay + ")";
    if (!options.saveFailuresDir.empty()) {
      HangSeed = caseSeed;
      HangCase = c;
    }
    RunRecord run;
    if (!RunFuzzCase(c, listPath, what, run)) return kExitUsage;
    report.runs.push_back(run);
    if (!run.outcome.completed) {
      report.errors.push_back(DescribeFuzzCase(c) + ": the call did not come back: " +
                              JoinAsUtf8(FailureLines(run.outcome), " / "));
    }
    for (const std::string& finding : FuzzFindings(run.outcome)) {
      report.failures.push_back(DescribeFuzzCase(c) + ": " + finding);
    }
    const std::string cut = CutCharacterWarning(run);
    if (!cut.empty()) report.warnings.push_back(DescribeFuzzCase(c) + ": " + cut);
    for (const std::string& error : report.errors) Say("FAIL " + report.name + ": " + error);
    for (const std::string& failure : report.failures) Say("FAIL " + report.name + ": " + failure);
    for (const std::string& warning : report.warnings) {
      SayWarning(report.name + ": " + warning);
    }
    if (!report.errors.empty() || !report.failures.empty() || !report.warnings.empty()) {
      Say("  replay: " + report.replay);
      if (!options.saveFailuresDir.empty() && (!report.errors.empty() || !report.failures.empty())) {
        // A re-run that hangs leaves the case as found, saved before the first re-run.
        SetHangFollowUp(nullptr);
        SaveFailure(options.saveFailuresDir, caseSeed, c, run, listPath, what);
        SetHangFollowUp(SaveTheHungCase);
      }
    }
    if (!run.outcome.called && report.errors.empty() && report.failures.empty()) {
      report.skipped = "the case did not reach the plugin";
    }
    AddCase(report);
  }
  DeleteNamedFile(listPath);
  return FinishRunReport(seedText);
}
