// The regression mode: the cases of a test-vector file, each passed or failed with the difference
// between the lines expected and the lines shown.
#include "checker/console.h"
#include "checker/file_bytes.h"
#include "checker/modes.h"
#include "checker/run_findings.h"
#include "checker/run_report.h"
#include "checker/test_vectors.h"
#include "checker/text_encoding.h"
#include "plugin/contract.h"

namespace {

// The texts that the bench hands to the plugin or shows (the key, the requested length, the
// expected lines) in Shift-JIS, as the bench has them; false when one has no Shift-JIS form. The
// name and the list-data path stay UTF-8: the checker's own text, and a file opened by its
// Unicode name.
bool ToBenchText(const TestVector& utf8, TestVector& sjis) {
  sjis = utf8;
  bool ok = (utf8.keyIsBytes || Utf8ToSjis(utf8.key, sjis.key)) && Utf8ToSjis(utf8.requestedLength, sjis.requestedLength);
  for (size_t i = 0; ok && i < utf8.expected.size(); ++i) ok = Utf8ToSjis(utf8.expected[i], sjis.expected[i]);
  return ok;
}

// The number of the first line of `text` that is not UTF-8; 0 when all are.
int FirstLineNotUtf8(const std::string& text) {
  int number = 1;
  for (size_t start = 0; start <= text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (!IsUtf8(text.substr(start, end - start))) return number;
    start = end + 1;
  }
  return 0;
}

// Why a case's lines may differ that the lines do not say: its list-data file is not there.
std::string ListFileNote(const TestVector& c, const std::string& listPath) {
  if (c.list.empty()) return " (the case names no list-data file)";
  if (!FileExists(listPath)) return " (the list-data file \"" + listPath + "\" does not exist)";
  return "";
}

}  // namespace

int RunExpectMode(const CheckerOptions& options, const PluginSession& session) {
  std::string text, error;
  std::vector<TestVector> vectors;
  if (!ReadWholeFile(options.expectPath, text)) {
    PrintMessage("cannot read the test-vector file \"" + options.expectPath + "\"");
    return kExitUsage;
  }
  if (const int line = FirstLineNotUtf8(text)) {
    PrintMessage(options.expectPath + ": line " + std::to_string(line) +
                 " is not UTF-8 text (a test-vector file is written in UTF-8)");
    return kExitUsage;
  }
  if (!ParseTestVectors(text, vectors, error)) {
    PrintMessage(options.expectPath + ": " + error);
    return kExitUsage;
  }
  std::vector<TestVector> cases;
  for (const TestVector& vector : vectors) {
    cases.emplace_back();
    if (!ToBenchText(vector, cases.back())) {
      PrintMessage(options.expectPath + ": the case of line " + std::to_string(vector.line) +
                   " holds a character that has no Shift-JIS form (the bench could not show it)");
      return kExitUsage;
    }
  }
  for (const std::string& line : session.diagnostics) Say("FAIL load: " + line);

  for (const TestVector& c : cases) {
    CaseReport report;
    report.name = c.name;
    report.hasExpected = true;
    report.expected = c.expected;
    RequestInputs inputs;
    inputs.request = c.request;
    inputs.listPath = c.list.empty() || IsAbsolutePath(c.list) ? c.list : PathFolder(options.expectPath) + c.list;
    inputs.key = c.key;
    inputs.keyType = c.keyType;
    inputs.requestedLength = c.requestedLength;
    SetCaseUnderWay(c.name);
    const RunRecord run = RunAndRecord(inputs, DescribeInputs(inputs) + " (case \"" + c.name + "\")");
    report.runs.push_back(run);
    const std::string where = c.name + " (line " + std::to_string(c.line) + ")";
    std::vector<std::string> shown;
    for (const std::string& line : run.lines) shown.push_back(AsShown(line));
    // A fault, a breach or a misused buffer fails the case even where its lines were expected; a
    // call that did not come back is an error, as a hang is.
    for (const RunEvent& finding : RunFindings(run.outcome)) {
      std::vector<std::string>& found =
          std::holds_alternative<CallAbandoned>(finding) ? report.errors : report.failures;
      found.push_back(where + ": " + DescribeFinding(finding));
      Say("FAIL " + found.back());
    }
    const std::string cut = CutCharacterWarning(run);
    if (!cut.empty()) report.warnings.push_back(where + ": " + cut);
    if (shown != c.expected) {
      const std::string note = ListFileNote(c, inputs.listPath);
      report.failures.push_back(where + ": the lines differ from those expected" + note);
      Say("FAIL " + where + ": the lines differ (- expected, + shown)" + note);
      for (const std::string& line : LineDifference(c.expected, shown)) {
        report.difference.push_back(SjisToUtf8(line));
        Say("    " + report.difference.back());
      }
    }
    if (report.failures.empty() && report.errors.empty() && (!options.strict || report.warnings.empty())) {
      Say("PASS " + where);
    }
    for (const std::string& warning : report.warnings) SayWarning(warning);
    AddCase(report);
  }
  return FinishRunReport("");
}
