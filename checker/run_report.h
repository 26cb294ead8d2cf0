// What a checker run found, gathered case by case, and written at the end (or when the watchdog
// stops a hung run) as the JSON report on the standard output and the JUnit file.
#pragma once

#include <string>
#include <vector>

#include "checker/checker_bench.h"
#include "checker/options.h"

// One request run, as the report shows it: what it reported, the lines that showed (rendered from
// the events), and what it amounts to.
struct RunRecord {
  RequestInputs inputs;
  std::vector<RunEvent> events;
  std::vector<std::string> lines;
  RequestOutcome outcome;
};

// The record of a run from its inputs and the events it reported.
RunRecord MakeRunRecord(const RequestInputs& inputs, const std::vector<RunEvent>& events);

// RunOneRequest, kept as a record. The bench is visible to the hang handler while it runs.
RunRecord RunAndRecord(const RequestInputs& inputs, const std::string& what);

// One case: a request (manual mode), an export and its inputs (check mode), a test vector, a
// fuzz case, an export measured for leaks. Its name, failures, errors, warnings and replay command
// are the checker's UTF-8 text. A failure is a wrong answer; an error is a call that faulted or
// hung, so that the case has no answer at all.
struct CaseReport {
  std::string name;
  std::vector<RunRecord> runs;
  std::vector<std::string> failures;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;  // failures only under --strict
  bool hasExpected = false;
  std::vector<std::string> expected;  // a test vector's lines (Shift-JIS)
  std::vector<std::string> difference;  // the "- " and "+ " lines under the first failure (UTF-8)
  std::string replay;                 // the command that replays a fuzz case
  std::string skipped;                // why the case did not run; empty for one that ran
  double seconds = 0;                 // set when the case is added
};

// The warning for a run whose text ends with half a double-byte character (the window shows "・"
// for it), naming the buffer that cut it; empty for any other run.
std::string CutCharacterWarning(const RunRecord& run);

// Starts the report of a run in the given mode ("manual", "check", "expect", "fuzz").
void BeginRunReport(const CheckerOptions& options, const char* mode);

// The plugin's load: the loader's lines, and the checker's explanations (UTF-8) of what stops the
// host from using the plugin (each a failure).
void ReportLoad(bool loaded, const std::vector<std::string>& lines,
                const std::vector<std::string>& diagnostics);

// Run by the hang handler, on the watchdog's thread, before it writes the reports: what the mode
// keeps of the case that hung (the fuzz mode saves it). Null for nothing.
void SetHangFollowUp(void (*followUp)());

// Adds a finished case; the case under way is shown by the hang handler if a call hangs. A case's
// time runs from the end of the one before it (of the load, for the first).
void AddCase(const CaseReport& report);
void SetCaseUnderWay(const std::string& name);
// Adds a case that did not run, and why ("not exported by the plugin").
void AddSkippedCase(const std::string& name, const std::string& why);

// Whether the standard output carries the JSON report (and nothing else).
bool JsonOutput();
// Prints a line of the checker's UTF-8 text, or a Shift-JIS report line, on the standard output
// unless it carries the JSON report.
void Say(const std::string& text);
void SayLine(const std::string& line);
// Says a warning (UTF-8) as "WARN …", or as "FAIL (--strict) …" when warnings fail.
void SayWarning(const std::string& text);

// Failures found so far (errors and load diagnostics included); with --strict, warnings as well.
size_t FailureCount();

// Ends the run: says the summary line ("3 passed, 1 failed, 2 skipped", with `detail` after it
// in brackets), writes the JSON report and the JUnit file, and returns the exit code: 1 when any
// case failed or none ran at all. A plugin whose load the checker faults counts as one more failed
// case. A JUnit file that cannot be written is said on the standard error and makes the exit
// code 2.
int FinishRunReport(const std::string& detail);
