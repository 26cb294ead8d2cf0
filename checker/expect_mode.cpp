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

}  // namespace

int RunExpectMode(const CheckerOptions& options, const PluginSession& session) {
  std::string text, error;
  std::vector<TestVector> vectors;
  if (!ReadWholeFile(options.expectPath, text)) {
    PrintMessage("cannot read the test-vector file \"" + options.expectPath + "\"");
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

  size_t failed = 0;
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
    // A fault, a breach or a misused buffer fails the case even where its lines were expected.
    for (const RunEvent& finding : RunFindings(run.outcome)) {
      report.failures.push_back(where + ": " + DescribeFinding(finding));
      Say("FAIL " + report.failures.back());
    }
    if (shown != c.expected) {
      report.failures.push_back(where + ": the lines differ from those expected");
      Say("FAIL " + where + ": the lines differ (- expected, + shown)");
      for (const std::string& line : LineDifference(c.expected, shown)) Say("    " + SjisToUtf8(line));
    }
    if (report.failures.empty()) Say("PASS " + where);
    failed += report.failures.empty() ? 0 : 1;
    AddCase(report);
  }
  const std::string summary = std::to_string(cases.size() - failed) + " of " +
                              std::to_string(cases.size()) + " cases passed";
  Say((failed == 0 && session.diagnostics.empty() ? "PASS " : "FAIL ") + summary);
  return FinishRunReport(false, summary);
}
