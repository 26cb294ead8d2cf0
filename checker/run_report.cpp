#include "checker/run_report.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>

#include "checker/command_line.h"
#include "checker/console.h"
#include "checker/file_bytes.h"
#include "checker/reports.h"
#include "checker/text_encoding.h"
#include "checker/watchdog.h"
#include "checker/worker.h"
#include "plugin/contract.h"
#include "text/sjis_path.h"

#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

// The run's report; the hang handler reads it from the watchdog's thread once the main thread has
// been suspended inside a plugin call (the bench's lines change only under HangReportGuard).
CheckerOptions Options;
std::string ModeName;
bool Loaded = false;
std::vector<std::string> LoadLines;
std::vector<std::string> LoadDiagnostics;
std::vector<CaseReport> Cases;
std::string CaseUnderWay;
const CheckerBench* BenchUnderWay = nullptr;
Clock::time_point LastCaseEnd;
double LoadSeconds = 0;
// Where the cases run when they run in a worker process; null when they run in this one.
std::unique_ptr<CaseWorker> Worker;
void (*HangFollowUp)() = nullptr;

size_t CaseFailures(const CaseReport& report) {
  return report.failures.size() + report.errors.size() +
         (Options.strict ? report.warnings.size() : 0);
}

double SecondsSince(Clock::time_point& mark) {
  const Clock::time_point now = Clock::now();
  const double seconds = std::chrono::duration<double>(now - mark).count();
  mark = now;
  return seconds;
}

// The cases that passed, failed and did not run; a load that the checker faults is one more
// failed case.
struct Tally {
  size_t passed = 0, failed = 0, skipped = 0;
};

Tally CountCases() {
  Tally tally;
  tally.failed = LoadDiagnostics.empty() ? 0 : 1;
  for (const CaseReport& report : Cases) {
    if (CaseFailures(report) > 0) {
      ++tally.failed;
    } else if (!report.skipped.empty()) {
      ++tally.skipped;
    } else {
      ++tally.passed;
    }
  }
  return tally;
}

std::string SummaryLine(const Tally& tally, const std::string& detail) {
  const bool nothingRan = tally.passed + tally.failed == 0;
  std::string line = tally.failed == 0 && !nothingRan ? "PASS " : "FAIL ";
  line += std::to_string(tally.passed) + " passed, " + std::to_string(tally.failed) + " failed";
  if (tally.skipped > 0) line += ", " + std::to_string(tally.skipped) + " skipped";
  if (!detail.empty()) line += " (" + detail + ")";
  if (nothingRan) line += ": nothing was tested";
  return line;
}

// The manual mode's standard output holds the window's lines only.
void SaySummary(const std::string& line) {
  if (ModeName == "manual") {
    PrintMessage(line);
  } else {
    Say(line);
  }
}

// Per export that ran: the key types and the sizes of the buffers it was handed.
void WriteExportsRun(JsonWriter& json) {
  struct Ran {
    std::vector<std::string> keyTypes;
    std::set<int32_t> bufferSizes;
  };
  std::vector<Ran> ran(kExportCount);
  std::vector<bool> any(kExportCount, false);
  for (const CaseReport& report : Cases) {
    for (const RunRecord& run : report.runs) {
      const int request = run.inputs.request;
      if (request < 0 || !run.outcome.called) continue;
      any[request] = true;
      if (TakesListDataAndKey(kExports[request].pattern)) {
        const std::string keyType = KeyTypeOptionName(run.inputs.keyType);
        std::vector<std::string>& types = ran[request].keyTypes;
        if (std::find(types.begin(), types.end(), keyType) == types.end()) types.push_back(keyType);
      }
      for (const RunEvent& event : run.events) {
        const auto* call = std::get_if<CallStarted>(&event);
        if (call != nullptr && call->bufferSize > 0) ran[request].bufferSizes.insert(call->bufferSize);
      }
    }
  }
  json.Key("exports");
  json.BeginArray();
  for (int i = 0; i < kExportCount; ++i) {
    if (!any[i]) continue;
    json.BeginObject();
    json.Key("name");
    json.String(kExports[i].name);
    json.Key("keyTypes");
    json.StringArray(ran[i].keyTypes);
    json.Key("bufferSizes");
    json.BeginArray();
    for (int32_t size : ran[i].bufferSizes) json.Number(size);
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
}

void WriteRun(JsonWriter& json, const RunRecord& run) {
  const RequestInputs& in = run.inputs;
  const RequestOutcome& out = run.outcome;
  json.BeginObject();
  json.Key("request");
  json.String(in.request >= 0 ? kExports[in.request].name : "");
  if (in.request >= 0) {
    json.Key("label");
    json.String(ReportLine(RequestLabel{in.request}));
  }
  json.Key("listFile");
  json.Utf8String(in.listPath);
  json.Key("key");
  json.String(in.key);
  json.Key("keyType");
  json.String(KeyTypeOptionName(in.keyType));
  json.Key("keyTypeCode");
  json.Number(KeyTypeCode(in.keyType));
  json.Key("requestedLength");
  json.String(in.requestedLength);
  json.Key("lines");
  json.StringArray(run.lines);
  json.Key("calls");
  json.BeginArray();
  for (const RunEvent& event : run.events) {
    const auto* call = std::get_if<CallReturned>(&event);
    if (call == nullptr) continue;
    json.BeginObject();
    json.Key("bufferSize");
    json.Number(call->bufferSize);
    json.Key("result");
    json.Number(call->result);
    json.EndObject();
  }
  json.EndArray();
  json.Key("called");
  json.Bool(out.called);
  json.Key("completed");
  json.Bool(out.completed);
  if (out.hasProbe) {
    json.Key("requiredSize");
    json.Number(out.probe);
  }
  if (out.hasAnswer) {
    if (out.bufferSize > 0) {
      json.Key("bufferSize");
      json.Number(out.bufferSize);
    }
    json.Key("result");
    json.Number(out.answer);
  }
  if (out.hasText) {
    json.Key("text");
    json.String(out.text);
  }
  json.Key("faultLines");
  json.StringArray(FailureLines(out));
  json.Key("conventionLines");
  json.StringArray(ReportLines(out.breaches));
  json.Key("warnings");
  json.StringArray(ReportLines(out.warnings));
  json.EndObject();
}

std::string JsonReport(int exitCode, const std::string& summary) {
  JsonWriter json;
  json.BeginObject();
  json.Key("mode");
  json.Utf8String(ModeName);
  json.Key("plugin");
  json.Utf8String(Options.pluginPath);
  json.Key("load");
  json.BeginObject();
  json.Key("loaded");
  json.Bool(Loaded);
  json.Key("lines");
  json.StringArray(LoadLines);
  json.Key("diagnostics");
  json.Utf8StringArray(LoadDiagnostics);
  json.EndObject();
  json.Key("cases");
  json.BeginArray();
  for (const CaseReport& report : Cases) {
    json.BeginObject();
    json.Key("name");
    json.Utf8String(report.name);
    json.Key("passed");
    json.Bool(CaseFailures(report) == 0 && report.skipped.empty());
    if (!report.skipped.empty()) {
      json.Key("skipped");
      json.Utf8String(report.skipped);
    }
    json.Key("seconds");
    json.Seconds(report.seconds);
    json.Key("failures");
    json.Utf8StringArray(report.failures);
    json.Key("errors");
    json.Utf8StringArray(report.errors);
    json.Key("warnings");
    json.Utf8StringArray(report.warnings);
    if (report.hasExpected) {
      json.Key("expected");
      json.StringArray(report.expected);
    }
    if (!report.replay.empty()) {
      json.Key("replay");
      json.Utf8String(report.replay);
    }
    json.Key("runs");
    json.BeginArray();
    for (const RunRecord& run : report.runs) WriteRun(json, run);
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
  WriteExportsRun(json);
  const Tally tally = CountCases();
  json.Key("passed");
  json.Number(static_cast<int64_t>(tally.passed));
  json.Key("failed");
  json.Number(static_cast<int64_t>(tally.failed));
  json.Key("skipped");
  json.Number(static_cast<int64_t>(tally.skipped));
  json.Key("failures");
  json.Number(static_cast<int64_t>(FailureCount()));
  json.Key("summary");
  json.Utf8String(summary);
  json.Key("exitCode");
  json.Number(exitCode);
  json.EndObject();
  return json.Text();
}

bool WriteJunit() {
  if (Options.junitPath.empty()) return true;
  std::vector<CaseResult> results;
  CaseResult load;
  load.name = "load " + Options.pluginPath;
  load.failures = LoadDiagnostics;
  load.output = LoadLines;
  load.seconds = LoadSeconds;
  results.push_back(load);
  for (const CaseReport& report : Cases) {
    CaseResult result;
    result.name = report.name;
    result.failures = report.failures;
    if (Options.strict) {
      result.failures.insert(result.failures.end(), report.warnings.begin(), report.warnings.end());
    }
    result.errors = report.errors;
    result.skipped = report.skipped;
    result.seconds = report.seconds;
    result.failureDetail = report.difference;
    for (const RunRecord& run : report.runs) {
      result.output.insert(result.output.end(), run.lines.begin(), run.lines.end());
    }
    results.push_back(result);
  }
  if (WriteWholeFile(Options.junitPath, JunitReport("QB2LPTCheck." + ModeName, results))) return true;
  PrintMessage("cannot write the JUnit report \"" + Options.junitPath + "\"");
  return false;
}

void OnHang(const std::string& what) {
  if (HangFollowUp != nullptr) HangFollowUp();
  CaseReport hung;
  hung.name = CaseUnderWay.empty() ? what : CaseUnderWay;
  hung.errors.push_back("HANG: " + what + " did not return in time");
  hung.seconds = SecondsSince(LastCaseEnd);
  if (BenchUnderWay != nullptr) {
    const std::vector<RunEvent>& events = BenchUnderWay->events();
    RunRecord run{BenchUnderWay->inputs(), events, ReportLines(events), {}};
    run.outcome.called = true;
    run.outcome.completed = false;
    // The lines so far are the report's own lines: in the manual mode they belong on the output.
    if (ModeName == "manual") {
      for (const std::string& line : run.lines) SayLine(line);
    }
    hung.runs.push_back(run);
  }
  Cases.push_back(hung);
  const std::string summary = SummaryLine(CountCases(), "a plugin call hung");
  SaySummary(summary);
  if (JsonOutput()) PrintUtf8(JsonReport(kExitFailed, summary));
  WriteJunit();
}

}  // namespace

RunRecord MakeRunRecord(const RequestInputs& inputs, const std::vector<RunEvent>& events) {
  return RunRecord{inputs, events, ReportLines(events), ExamineRun(inputs, events)};
}

RunRecord RunAndRecord(const RequestInputs& inputs, const std::string& what) {
  if (Worker != nullptr) {
    std::vector<RunEvent> events;
    if (Worker->Run(inputs, what, events)) return MakeRunRecord(inputs, events);
    PrintMessage("cannot start a worker process; the cases run in this one");
    Worker.reset();
  }
  CheckerBench bench(inputs);
  BenchUnderWay = &bench;
  RunOneRequest(bench, what);
  BenchUnderWay = nullptr;
  return MakeRunRecord(inputs, bench.events());
}

std::string CutCharacterWarning(const RunRecord& run) {
  const RequestOutcome& outcome = run.outcome;
  if (!outcome.hasText || !EndsWithCutCharacter(outcome.text)) return "";
  char lead[8];
  std::snprintf(lead, sizeof lead, "%02X", static_cast<unsigned char>(outcome.text.back()));
  return "the text ends with half a double-byte character (its first byte " + std::string(lead) +
         " without the second) in a buffer of " + Counted(outcome.bufferSize, "byte", "bytes") +
         "; the window shows \"" + SjisToUtf8(AsShown(outcome.text)) + "\"";
}

void BeginRunReport(const CheckerOptions& options, const char* mode) {
  LastCaseEnd = Clock::now();
  Options = options;
  ModeName = mode;
  SetHangHandler(OnHang);
  const bool isolated = !options.inProcess && (options.mode == CheckerMode::Check ||
                                               options.mode == CheckerMode::Fuzz ||
                                               options.mode == CheckerMode::Expect);
  if (isolated) {
    Worker = std::make_unique<CaseWorker>(options.pluginPath, options.timeoutSeconds);
    Worker->Start();
  }
}

void ReportLoad(bool loaded, const std::vector<std::string>& lines,
                const std::vector<std::string>& diagnostics) {
  Loaded = loaded;
  LoadLines = lines;
  LoadDiagnostics = diagnostics;
  LoadSeconds = SecondsSince(LastCaseEnd);
}

void SetHangFollowUp(void (*followUp)()) { HangFollowUp = followUp; }

void AddCase(const CaseReport& report) {
  Cases.push_back(report);
  Cases.back().seconds = SecondsSince(LastCaseEnd);
  CaseUnderWay.clear();
}

void AddSkippedCase(const std::string& name, const std::string& why) {
  CaseReport report;
  report.name = name;
  report.skipped = why;
  AddCase(report);
}

void SetCaseUnderWay(const std::string& name) { CaseUnderWay = name; }

bool JsonOutput() { return Options.json; }

void Say(const std::string& text) {
  if (!Options.json) PrintText(text);
}

void SayLine(const std::string& line) {
  if (!Options.json) PrintLine(line);
}

void SayWarning(const std::string& text) {
  Say(std::string(Options.strict ? "FAIL (--strict) " : "WARN ") + text);
}

size_t FailureCount() {
  size_t count = LoadDiagnostics.size();
  for (const CaseReport& report : Cases) count += CaseFailures(report);
  return count;
}

int FinishRunReport(const std::string& detail) {
  Worker.reset();
  const Tally tally = CountCases();
  const std::string summary = SummaryLine(tally, detail);
  int exitCode = (FailureCount() > 0 || tally.passed + tally.failed == 0) ? kExitFailed : kExitClean;
  SaySummary(summary);
  if (!WriteJunit()) exitCode = kExitUsage;
  if (JsonOutput()) PrintUtf8(JsonReport(exitCode, summary));
  return exitCode;
}
