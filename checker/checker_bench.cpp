#include "checker/checker_bench.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "checker/command_line.h"
#include "checker/file_bytes.h"
#include "checker/text_encoding.h"
#include "checker/watchdog.h"
#include "plugin/contract.h"
#include "request/run_request.h"

namespace {

bool StartsWith(const std::string& line, const char* prefix) {
  return line.compare(0, std::strlen(prefix), prefix) == 0;
}

// The warning lines that the bench adds to a request's lines.
bool IsBenchWarning(const std::string& line) {
  return StartsWith(line, "警告：") || StartsWith(line, "[警告]");
}

bool IsTextPattern(CallPattern pattern) {
  return pattern == CallPattern::PluginText || pattern == CallPattern::SizedText;
}

std::vector<std::string> Slice(const std::vector<std::string>& lines, size_t begin, size_t end) {
  begin = std::min(begin, lines.size());
  end = std::min(std::max(begin, end), lines.size());
  return std::vector<std::string>(lines.begin() + begin, lines.begin() + end);
}

// The lines after a text request's second call, from `at`: its status message, the bench's
// warnings, and the returned text last (not shown when empty), as the runner told it.
void ExamineAnswerLines(const CheckerBench& bench, size_t at, RequestOutcome& outcome) {
  const std::vector<std::string>& lines = bench.lines();
  const char* message = StatusMessage(outcome.answer);
  if (message != nullptr && at < lines.size() && lines[at] == message) {
    if (IsBenchWarning(lines[at])) outcome.warnings.push_back(lines[at]);
    ++at;
  }
  size_t textAt = lines.size();
  if (bench.hasText()) {
    textAt = bench.textLine();
    outcome.hasText = !bench.text().empty();
    outcome.text = bench.text();
  }
  for (; at < textAt && at < lines.size(); ++at) outcome.warnings.push_back(lines[at]);
}

}  // namespace

void CopyBoxText(const std::string& text, char* into, int limit) {
  if (limit <= 0) return;
  size_t length = 0;
  const size_t room = static_cast<size_t>(limit) - 1;
  while (length < text.size()) {
    const bool lead = IsDBCSLeadByteEx(932, static_cast<BYTE>(text[length])) &&
                      length + 1 < text.size();
    const size_t width = lead ? 2 : 1;
    if (length + width > room) break;
    length += width;
  }
  std::memcpy(into, text.data(), length);
  into[length] = '\0';
}

void CheckerBench::AppendLine(const char* line) {
  if (line == nullptr || line[0] == '\0') return;
  // The bench's line about a call that faulted is appended while the call is watched.
  const HangReportGuard guard;
  lines_.push_back(line);
}

void CheckerBench::ReadRequestName(char* name, int capacity) {
  if (inputs_.request < 0) return;
  const char* text = kExports[inputs_.request].name;
  // As the window's list: a name that does not fit stays empty.
  if (static_cast<int>(std::strlen(text)) >= capacity) return;
  std::strcpy(name, text);
}

void CheckerBench::ReadTestKey(char* text, int limit) { CopyBoxText(inputs_.key, text, limit); }

void CheckerBench::ReadRequestedLength(char* text, int limit) {
  CopyBoxText(inputs_.requestedLength, text, limit);
}

HANDLE CheckerBench::OpenListDataFile() {
  return CreateFileW(WidePath(inputs_.listPath).c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

void CheckerBench::PluginCallBegins(int) {
  callStarts_.push_back(lines_.size());
  WatchCall(what_);
}

void CheckerBench::PluginCallEnds() { EndWatch(); }

void CheckerBench::PluginReturned(int exportIndex, int32_t bufferSize, int16_t result) {
  calls_.push_back({exportIndex, bufferSize, result, lines_.size()});
}

void CheckerBench::ReturnedText(const char* text) {
  hasText_ = true;
  text_ = text;
  textLine_ = lines_.size();
}

bool IsBenchFinding(const std::string& warning) {
  return StartsWith(warning, "警告：") && warning != StatusMessage(0);
}

RequestOutcome ExamineRun(const CheckerBench& bench) {
  RequestOutcome outcome;
  const int request = bench.inputs().request;
  const std::vector<std::string>& lines = bench.lines();
  const std::vector<size_t>& starts = bench.callStarts();
  const std::vector<CallRecord>& calls = bench.calls();
  if (request < 0 || starts.empty()) return outcome;
  outcome.called = true;
  const CallPattern pattern = kExports[request].pattern;

  // Lines between a call's start and its return are what the bench said about the call's
  // conventions; lines after a start without a return, about a call that did not come back.
  for (size_t i = 0; i < starts.size(); ++i) {
    if (i >= calls.size()) {
      outcome.completed = false;
      outcome.failureLines = Slice(lines, starts[i], lines.size());
      return outcome;
    }
    const std::vector<std::string> said = Slice(lines, starts[i], calls[i].lineCount);
    outcome.conventionLines.insert(outcome.conventionLines.end(), said.begin(), said.end());
    if (i == 0 && IsTextPattern(pattern)) {
      outcome.hasProbe = true;
      outcome.probe = calls[0].result;
    }
  }
  if (IsTextPattern(pattern) && calls.size() == 1) {  // the probe ended the request
    for (const std::string& line : Slice(lines, calls[0].lineCount, lines.size())) {
      if (IsBenchWarning(line)) outcome.warnings.push_back(line);
    }
    return outcome;
  }
  const CallRecord& last = calls.back();
  outcome.hasAnswer = true;
  outcome.answer = last.result;
  outcome.bufferSize = last.bufferSize;
  if (IsTextPattern(pattern)) ExamineAnswerLines(bench, last.lineCount, outcome);
  return outcome;
}

void RunOneRequest(CheckerBench& bench, const std::string& what) {
  bench.DescribeCallsAs(what);
  RunRequest(bench);
}

std::string DescribeInputs(const RequestInputs& inputs) {
  std::string text = inputs.request >= 0 ? kExports[inputs.request].name : "(no request)";
  const CallPattern pattern = inputs.request >= 0 ? kExports[inputs.request].pattern : CallPattern::SizedText;
  if (pattern == CallPattern::SizedText || pattern == CallPattern::Numeric) {
    text += " key=" + QuoteArgument(SjisToUtf8(inputs.key)) +
            " key-type=" + KeyTypeOptionName(inputs.keyTypeIndex);
  }
  if (!inputs.requestedLength.empty()) {
    text += " req-len=" + QuoteArgument(SjisToUtf8(inputs.requestedLength));
  }
  return text;
}
