// The checker's side of the request runner's seam: a bench whose inputs are given up front and
// whose events are kept, so that a run can be examined afterwards.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "checker/request_inputs.h"
#include "request/report_lines.h"
#include "request/request_bench.h"

class CheckerBench final : public RequestBench {
 public:
  explicit CheckerBench(const RequestInputs& inputs) : inputs_(inputs) {}

  void Report(const RunEvent& event) override;
  std::optional<KeyType> SelectedKeyType() override { return inputs_.keyType; }
  void ReadRequestName(char* name, int capacity) override;
  void ReadTestKey(char* text, int limit) override;
  void ReadRequestedLength(char* text, int limit) override;
  HANDLE OpenListDataFile() override;

  // How the hang watchdog names this run's calls (UTF-8).
  void DescribeCallsAs(const std::string& what) { what_ = what; }

  const RequestInputs& inputs() const { return inputs_; }
  // Everything the run reported so far, in order.
  const std::vector<RunEvent>& events() const { return events_; }

 private:
  RequestInputs inputs_;
  std::string what_;
  std::vector<RunEvent> events_;
};

// Copies `text` into a box's buffer as a read limited to `limit` bytes (terminator included)
// would: at most limit - 1 bytes, never half of a double-byte character, then a zero.
void CopyBoxText(const std::string& text, char* into, int limit);

// What one request run amounts to, read from its events.
struct RequestOutcome {
  bool called = false;     // the plugin was called at least once
  bool completed = true;   // every call that was made came back
  std::optional<CallAbandoned> abandoned;  // the call that did not come back
  std::vector<ConventionBroken> breaches;  // calling-convention breaches, put right by the bench
  // What the bench said about the answer, in the order said: its findings about the buffer
  // (BufferChecked) and its warnings about the plugin's own answer (a date form, the zero-size
  // status); never the plugin's text, whatever that says.
  std::vector<RunEvent> warnings;
  bool hasProbe = false;   // a text request's probe came back
  int16_t probe = 0;
  bool hasAnswer = false;  // the last call came back: a number, the version or a second call
  int32_t bufferSize = 0;  // the buffer of the second call
  int16_t answer = 0;
  bool hasText = false;    // the second call's text, when it showed one (Shift-JIS)
  std::string text;
};

// Whether a warning of RequestOutcome::warnings is the bench's finding about the buffer (a text
// left unterminated or too long, a buffer variable changed) rather than about the plugin's own
// answer (a date form, the zero-size status).
bool IsBenchFinding(const RunEvent& warning);

// Reads a finished run of `bench`, or the events of a run of `inputs`.
RequestOutcome ExamineRun(const CheckerBench& bench);
RequestOutcome ExamineRun(const RequestInputs& inputs, const std::vector<RunEvent>& events);

// The lines that the events showed, in order (Shift-JIS).
template <typename Event>
std::vector<std::string> ReportLines(const std::vector<Event>& events) {
  std::vector<std::string> lines;
  for (const Event& event : events) {
    std::string line = ReportLine(event);
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}
// The line of the call that did not come back, if one did not.
std::vector<std::string> FailureLines(const RequestOutcome& outcome);

// Runs one request on the loaded plugin with the runner; each plugin call is under the hang
// watchdog, described by `what` (UTF-8) if it fires.
void RunOneRequest(CheckerBench& bench, const std::string& what);

// "GetTitle key=\"A B\" key-type=crc32 req-len=12": the inputs of a run for messages (UTF-8).
std::string DescribeInputs(const RequestInputs& inputs);
