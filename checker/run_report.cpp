#include "checker/run_report.h"

#include "checker/command_line.h"
#include "checker/console.h"
#include "checker/file_bytes.h"
#include "checker/reports.h"
#include "checker/watchdog.h"
#include "plugin/contract.h"

namespace {

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
void (*HangFollowUp)() = nullptr;

size_t CaseFailures(const CaseReport& report) {
  return report.failures.size() + (Options.strict ? report.warnings.size() : 0);
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
    json.Bool(CaseFailures(report) == 0);
    json.Key("failures");
    json.Utf8StringArray(report.failures);
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
  CaseResult load{"load " + Options.pluginPath, LoadDiagnostics, LoadLines};
  results.push_back(load);
  for (const CaseReport& report : Cases) {
    CaseResult result{report.name, report.failures, {}};
    if (Options.strict) {
      result.failures.insert(result.failures.end(), report.warnings.begin(), report.warnings.end());
    }
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
  hung.failures.push_back("HANG: " + what + " did not return in time");
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
  if (JsonOutput()) PrintUtf8(JsonReport(kExitFailed, "a plugin call hung"));
  WriteJunit();
}

}  // namespace

RunRecord RunAndRecord(const RequestInputs& inputs, const std::string& what) {
  CheckerBench bench(inputs);
  BenchUnderWay = &bench;
  RunOneRequest(bench, what);
  BenchUnderWay = nullptr;
  return RunRecord{inputs, bench.events(), ReportLines(bench.events()), ExamineRun(bench)};
}

void BeginRunReport(const CheckerOptions& options, const char* mode) {
  Options = options;
  ModeName = mode;
  SetHangHandler(OnHang);
}

void ReportLoad(bool loaded, const std::vector<std::string>& lines,
                const std::vector<std::string>& diagnostics) {
  Loaded = loaded;
  LoadLines = lines;
  LoadDiagnostics = diagnostics;
}

void SetHangFollowUp(void (*followUp)()) { HangFollowUp = followUp; }

void AddCase(const CaseReport& report) {
  Cases.push_back(report);
  CaseUnderWay.clear();
}

void SetCaseUnderWay(const std::string& name) { CaseUnderWay = name; }

bool JsonOutput() { return Options.json; }

void Say(const std::string& text) {
  if (!Options.json) PrintText(text);
}

void SayLine(const std::string& line) {
  if (!Options.json) PrintLine(line);
}

size_t FailureCount() {
  size_t count = LoadDiagnostics.size();
  for (const CaseReport& report : Cases) count += CaseFailures(report);
  return count;
}

int FinishRunReport(bool nothingTested, const std::string& summary) {
  int exitCode = (FailureCount() > 0 || nothingTested) ? kExitFailed : kExitClean;
  if (!WriteJunit()) exitCode = kExitUsage;
  if (JsonOutput()) PrintUtf8(JsonReport(exitCode, summary));
  return exitCode;
}
