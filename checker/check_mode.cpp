// The check mode: every chosen export over every key type and several buffer sizes, and what a
// well-behaved plugin must do with each.
#include <optional>
#include <set>

#include "checker/console.h"
#include "checker/import_check.h"
#include "checker/modes.h"
#include "checker/run_report.h"
#include "checker/text_encoding.h"
#include "plugin/contract.h"

namespace {

// The largest buffer whose size a 16-bit size slot still carries.
constexpr int32_t kLargeBuffer = 65535;

// A Shift-JIS text of the run, quoted, in the checker's UTF-8.
std::string Quoted(const std::string& sjis) { return "\"" + SjisToUtf8(sjis) + "\""; }

std::string SizeName(int32_t size, int32_t asked) {
  if (size == 0) return "the probe";
  if (size == asked) return "the size asked for";
  if (size == asked - 1) return "one byte less";
  if (size == 1) return "one byte";
  return "a large buffer";
}

// " buffer=22 (one byte less)": the buffer of a text run's last call, which showed what the run
// found; nothing for a run that handed the plugin no buffer at all (a number) or made no call.
std::string BufferNamed(const RunRecord& run, int32_t asked) {
  if (!IsTextPattern(kExports[run.inputs.request].pattern)) return "";
  std::optional<int32_t> size;
  for (const RunEvent& event : run.events) {
    if (const auto* call = std::get_if<CallStarted>(&event)) size = call->bufferSize;
  }
  if (!size) return "";
  return " buffer=" + std::to_string(*size) + " (" + SizeName(*size, asked) + ")";
}

// Gathers the failures, errors and warnings of one case, each said on one line (UTF-8).
class CaseChecker {
 public:
  explicit CaseChecker(CaseReport& report) : report_(report) {}

  // A finding is said once per case, at the first run that shows it.
  void Fail(const std::string& where, const std::string& what) {
    if (!said_.insert(what).second) return;
    report_.failures.push_back(where + ": " + what);
    Say("FAIL " + report_.failures.back());
  }
  void Error(const std::string& where, const std::string& what) {
    if (!said_.insert(what).second) return;
    report_.errors.push_back(where + ": " + what);
    Say("FAIL " + report_.errors.back());
  }
  void Warn(const std::string& where, const std::string& what) {
    if (!said_.insert(what).second) return;
    report_.warnings.push_back(where + ": " + what);
    SayWarning(report_.warnings.back());
  }

  // The checks that every run must pass; false when the run could not be examined further. The
  // plugin's own warnings (a date form, the zero-size status) are said for the first run only:
  // a cut text or a repetition says nothing new. A text run's findings name the buffer of the
  // call that showed them, the probe's (none: size 0) included.
  bool CheckRun(const RunRecord& run, const std::string& name, bool firstRun) {
    const RequestOutcome& outcome = run.outcome;
    const std::string where = name + BufferNamed(run, outcome.probe);
    if (!outcome.called) {
      const std::string said = JoinAsUtf8(run.lines, " ");
      Fail(where, "the plugin was not called (is the list data empty?)" + (said.empty() ? "" : " " + said));
      return false;
    }
    for (const std::string& line : ReportLines(outcome.breaches)) Fail(where, SjisToUtf8(line));
    if (!outcome.completed) {
      Error(where, "the call did not come back: " + JoinAsUtf8(FailureLines(outcome), " / "));
      return false;
    }
    if (outcome.hasProbe && outcome.probe <= 0 && !IsStatusCode(outcome.probe)) {
      Fail(name + " buffer=0 (the probe)", "the probe answered " + std::to_string(outcome.probe) +
                      ", neither a positive size nor a known status code");
    }
    if (outcome.hasAnswer && outcome.answer < 0 && !IsStatusCode(outcome.answer)) {
      Fail(where, "the plugin answered " + std::to_string(outcome.answer) +
                      ", which is no known status code");
    }
    for (const RunEvent& warning : outcome.warnings) {
      if (IsBenchFinding(warning)) {
        Fail(where, SjisToUtf8(ReportLine(warning)));
      } else if (firstRun) {
        Warn(where, SjisToUtf8(ReportLine(warning)));
      }
    }
    const std::string cut = CutCharacterWarning(run);
    if (!cut.empty()) Warn(where, cut);
    return true;
  }

  void CheckRepeated(const RunRecord& first, const RunRecord& again, const std::string& where) {
    const std::vector<std::string>& a = first.lines;
    const std::vector<std::string>& b = again.lines;
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
      if (i < a.size() && i < b.size() && a[i] == b[i]) continue;
      const std::string left = i < a.size() ? Quoted(a[i]) : "no line";
      const std::string right = i < b.size() ? Quoted(b[i]) : "no line";
      Fail(where, "the answer changed when repeated: line " + std::to_string(i + 1) + " was " +
                      left + ", then " + right);
      return;
    }
  }

 private:
  CaseReport& report_;
  std::set<std::string> said_;
};

void CheckTextSizes(CaseChecker& checker, CaseReport& report, const RequestInputs& base,
                    const RunRecord& full, const std::string& name) {
  const int32_t asked = full.outcome.probe;
  const std::string& fullText = full.outcome.text;
  const std::string atAsked = name + " buffer=" + std::to_string(asked) + " (" +
                              SizeName(asked, asked) + ")";
  if (full.outcome.hasText && fullText.size() + 1 > static_cast<size_t>(asked)) {
    checker.Fail(atAsked, "the text (" + Counted(fullText.size(), "byte", "bytes") +
                              ") and its terminating zero do not fit in the " +
                              Counted(asked, "byte", "bytes") + " that the probe asked for");
  }

  std::vector<int32_t> sizes;
  if (asked - 1 >= 1) sizes.push_back(asked - 1);
  if (asked > 2) sizes.push_back(1);
  if (asked < kLargeBuffer) sizes.push_back(kLargeBuffer);
  for (int32_t size : sizes) {
    RequestInputs inputs = base;
    inputs.requestedLength = std::to_string(size);
    const std::string where = name + " buffer=" + std::to_string(size) + " (" + SizeName(size, asked) + ")";
    SetCaseUnderWay(report.name);
    const RunRecord run = RunAndRecord(inputs, DescribeInputs(inputs));
    report.runs.push_back(run);
    if (!checker.CheckRun(run, name, false)) continue;
    const RequestOutcome& outcome = run.outcome;
    if (outcome.probe != asked) {
      checker.Fail(where, "the probe asked for " + Counted(outcome.probe, "byte", "bytes") + ", " +
                              std::to_string(asked) + " before");
      continue;
    }
    if (!outcome.hasAnswer || outcome.answer <= 0) continue;  // a status code: fine
    if (size < asked) {
      if (outcome.hasText && outcome.text.size() >= static_cast<size_t>(size)) {
        checker.Fail(where, "the text (" + Counted(outcome.text.size(), "byte", "bytes") +
                                ") leaves no room for its terminating zero");
      } else if (outcome.hasText && full.outcome.hasText &&
                 fullText.compare(0, outcome.text.size(), outcome.text) != 0) {
        checker.Fail(where, "the text " + Quoted(outcome.text) + " is not the start of the full text " +
                                Quoted(fullText));
      }
    } else if (outcome.text != fullText) {
      checker.Fail(where, "the text " + Quoted(outcome.text) + " differs from the text " +
                              Quoted(fullText) + " given in the size asked for");
    }
  }
}

void CheckCase(CaseReport& report, const RequestInputs& inputs) {
  CaseChecker checker(report);
  const std::string name = DescribeInputs(inputs);
  SetCaseUnderWay(report.name);
  const RunRecord first = RunAndRecord(inputs, name);
  report.runs.push_back(first);
  if (!checker.CheckRun(first, name, true)) return;
  SetCaseUnderWay(report.name);
  const RunRecord again = RunAndRecord(inputs, name);
  report.runs.push_back(again);
  if (!checker.CheckRun(again, name + " (repeated)", false)) return;
  checker.CheckRepeated(first, again, name);

  if (IsTextPattern(kExports[inputs.request].pattern) && first.outcome.probe > 0) CheckTextSizes(checker, report, inputs, first, name);
}

}  // namespace

int RunCheckMode(const CheckerOptions& options, const PluginSession& session) {
  for (const std::string& line : session.diagnostics) Say("FAIL load: " + line);
  CheckPluginImports(options);
  std::vector<std::optional<KeyType>> keyTypes = options.keyTypes;
  if (keyTypes.empty()) keyTypes = {KeyType::Crc16, KeyType::Crc32, KeyType::Body, KeyType::BodyExt};

  size_t runs = 0;
  for (int request : ChosenRequests(options)) {
    if (!IsPresent(request)) {
      CaseReport report;
      report.name = kExports[request].name;
      report.failures.push_back(report.name + " is not exported by the plugin");
      Say("FAIL " + report.failures.back());
      AddCase(report);
      continue;
    }
    const bool usesKey = TakesListDataAndKey(kExports[request].pattern);
    const std::vector<std::string> keys = usesKey ? options.keys : std::vector<std::string>{""};
    const std::vector<std::optional<KeyType>> types =
        usesKey ? keyTypes : std::vector<std::optional<KeyType>>{KeyType::Crc32};
    for (const std::string& key : keys) {
      for (const std::optional<KeyType>& keyType : types) {
        RequestInputs inputs;
        inputs.request = request;
        inputs.listPath = options.listPath;
        inputs.key = key;
        inputs.keyType = keyType;
        CaseReport report;
        report.name = DescribeInputs(inputs);
        CheckCase(report, inputs);
        runs += report.runs.size();
        AddCase(report);
      }
    }
  }
  SkipAbsentExports(options);
  return FinishRunReport(Counted(runs, "request", "requests"));
}
