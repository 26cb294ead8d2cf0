// The manual mode: the requests run one after another as the window runs them, and the same
// report lines, the loader's first.
#include "checker/modes.h"
#include "checker/console.h"
#include "checker/record_mode.h"
#include "checker/run_report.h"
#include "checker/text_encoding.h"
#include "plugin/contract.h"

std::vector<int> ChosenRequests(const CheckerOptions& options) {
  if (!options.requests.empty()) return options.requests;
  std::vector<int> present;
  for (int i = 0; i < kExportCount; ++i) {
    if (IsPresent(i)) present.push_back(i);
  }
  return present;
}

void SkipAbsentExports(const CheckerOptions& options) {
  if (!options.requests.empty()) return;
  for (int i = 0; i < kExportCount; ++i) {
    if (!IsPresent(i)) AddSkippedCase(kExports[i].name, "not exported by the plugin");
  }
}

RequestInputs ManualModeInputs(const CheckerOptions& options, int request) {
  RequestInputs inputs;
  inputs.request = request;
  inputs.listPath = options.listPath;
  inputs.key = options.keys.empty() ? std::string() : options.keys[0];
  inputs.keyType = options.keyTypes.empty() ? KeyType::Crc32 : options.keyTypes[0];
  inputs.requestedLength = options.requestedLength;
  return inputs;
}

int RunManualMode(const CheckerOptions& options, const PluginSession& session) {
  for (const std::string& line : session.lines) SayLine(line);
  for (const std::string& line : session.diagnostics) PrintMessage(line);

  std::vector<RunRecord> runs;
  for (int request : ChosenRequests(options)) {
    CaseReport report;
    report.name = kExports[request].name;
    if (!IsPresent(request)) {
      // The window would not even offer it.
      report.failures.push_back(report.name + " is not exported by the plugin");
      PrintMessage(report.failures.back());
      AddCase(report);
      continue;
    }
    const RequestInputs inputs = ManualModeInputs(options, request);
    SetCaseUnderWay(report.name);
    const RunRecord run = RunAndRecord(inputs, DescribeInputs(inputs));
    for (const std::string& line : run.lines) SayLine(line);

    const RequestOutcome& outcome = run.outcome;
    const std::string what = DescribeInputs(inputs) + ": ";
    if (!outcome.completed) {
      report.errors.push_back(what + "the call did not complete: " +
                              JoinAsUtf8(FailureLines(outcome), " / "));
    }
    for (const std::string& line : ReportLines(outcome.breaches)) {
      report.failures.push_back(what + SjisToUtf8(line));
    }
    for (const std::string& line : ReportLines(outcome.warnings)) {
      report.warnings.push_back(what + SjisToUtf8(line));
    }
    // The window shows no line for a cut character: the checker says it.
    const std::string cut = CutCharacterWarning(run);
    if (!cut.empty()) {
      report.warnings.push_back(what + cut);
      if (!options.strict) PrintMessage("WARN " + report.warnings.back());
    }
    for (const std::string& error : report.errors) PrintMessage("FAIL " + error);
    for (const std::string& failure : report.failures) PrintMessage("FAIL " + failure);
    if (options.strict) {
      for (const std::string& warning : report.warnings) PrintMessage("FAIL (--strict) " + warning);
    }
    if (!outcome.called && report.failures.empty() && report.errors.empty()) {
      report.skipped = "the request did not reach the plugin";
    }
    report.runs.push_back(run);
    runs.push_back(run);
    AddCase(report);
  }
  SkipAbsentExports(options);
  const int exitCode = FinishRunReport("");
  return options.recordPath.empty() ? exitCode : RecordRuns(options, runs, exitCode);
}
