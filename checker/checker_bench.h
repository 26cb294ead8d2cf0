// The checker's side of the request runner's seam: a bench whose inputs are given up front and
// whose report lines are collected, together with what the runner told about each plugin call,
// so that a run can be examined afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "request/request_bench.h"

// What the window's controls would hold for one run. The key and the requested length are
// Shift-JIS, the list-data path UTF-8 (the file is opened by its Unicode name).
struct RequestInputs {
  int request = -1;         // an export index; -1 selects nothing
  std::string listPath;
  std::string key;
  int keyTypeIndex = 1;     // a KeyTypeCombo index; -1 for no selection
  std::string requestedLength;  // the requested-length box; empty for none
};

// One plugin call that came back.
struct CallRecord {
  int exportIndex;
  int32_t bufferSize;  // 0 for a call without a buffer (a probe, a number, the version)
  int16_t result;
  size_t lineCount;    // report lines appended before it returned
};

class CheckerBench final : public RequestBench {
 public:
  explicit CheckerBench(const RequestInputs& inputs) : inputs_(inputs) {}

  void AppendLine(const char* line) override;
  int KeyTypeIndex() override { return inputs_.keyTypeIndex; }
  void ReadRequestName(char* name, int capacity) override;
  void ReadTestKey(char* text, int limit) override;
  void ReadRequestedLength(char* text, int limit) override;
  HANDLE OpenListDataFile() override;
  void PluginCallBegins(int exportIndex) override;
  void PluginCallEnds() override;
  void PluginReturned(int exportIndex, int32_t bufferSize, int16_t result) override;
  void ReturnedText(const char* text) override;

  // How the hang watchdog names this run's calls (UTF-8).
  void DescribeCallsAs(const std::string& what) { what_ = what; }

  const RequestInputs& inputs() const { return inputs_; }
  const std::vector<std::string>& lines() const { return lines_; }
  // Report lines appended before each call began, in call order.
  const std::vector<size_t>& callStarts() const { return callStarts_; }
  const std::vector<CallRecord>& calls() const { return calls_; }
  // The text that the second call of a text request returned, and the line it is shown at (when
  // not empty); hasText() is false when none was shown.
  bool hasText() const { return hasText_; }
  const std::string& text() const { return text_; }
  size_t textLine() const { return textLine_; }

 private:
  RequestInputs inputs_;
  std::string what_;
  std::vector<std::string> lines_;
  std::vector<size_t> callStarts_;
  std::vector<CallRecord> calls_;
  bool hasText_ = false;
  std::string text_;
  size_t textLine_ = 0;
};

// Copies `text` into a box's buffer as a read limited to `limit` bytes (terminator included)
// would: at most limit - 1 bytes, never half of a double-byte character, then a zero.
void CopyBoxText(const std::string& text, char* into, int limit);

// What one request run amounts to. Texts are the bench's Shift-JIS.
struct RequestOutcome {
  bool called = false;     // the plugin was called at least once
  bool completed = true;   // every call that was made came back
  std::vector<std::string> failureLines;     // what the bench said about a call that did not
  std::vector<std::string> conventionLines;  // calling-convention breaches, put right by the bench
  // The bench's lines about the answer ("警告：", "[警告]": a status warning, its findings about the
  // buffer, the date form); never the plugin's own text, whatever that says.
  std::vector<std::string> warnings;
  bool hasProbe = false;   // a text request's probe came back
  int16_t probe = 0;
  bool hasAnswer = false;  // the last call came back: a number, the version or a second call
  int32_t bufferSize = 0;  // the buffer of the second call
  int16_t answer = 0;
  bool hasText = false;    // the second call's text, when it showed one
  std::string text;
};

// Whether a warning of RequestOutcome::warnings is the bench's finding about the buffer (a text
// left unterminated, a buffer variable changed) rather than about the plugin's own answer (a date
// form warning, the zero-size status).
bool IsBenchFinding(const std::string& warning);

// Reads a finished run of `bench`.
RequestOutcome ExamineRun(const CheckerBench& bench);

// Runs one request on the loaded plugin with the runner; each plugin call is under the hang
// watchdog, described by `what` (UTF-8) if it fires.
void RunOneRequest(CheckerBench& bench, const std::string& what);

// "GetTitle key=\"A B\" key-type=crc32 req-len=12": the inputs of a run for messages (UTF-8).
std::string DescribeInputs(const RequestInputs& inputs);
