#include "checker/checker_bench.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "checker/options.h"
#include "checker/watchdog.h"
#include "plugin/contract.h"
#include "request/run_request.h"

namespace {

bool StartsWith(const std::string& line, const char* prefix) {
  return line.compare(0, std::strlen(prefix), prefix) == 0;
}

// Lines that the bench itself adds to a request's lines: warnings and errors.
bool IsBenchWarning(const std::string& line) {
  return StartsWith(line, "警告：") || StartsWith(line, "[警告]");
}
bool IsBenchDiagnostic(const std::string& line) {
  return IsBenchWarning(line) || StartsWith(line, "エラー：");
}

bool IsTextPattern(CallPattern pattern) {
  return pattern == CallPattern::PluginText || pattern == CallPattern::SizedText;
}

std::vector<std::string> Slice(const std::vector<std::string>& lines, size_t begin, size_t end) {
  begin = std::min(begin, lines.size());
  end = std::min(std::max(begin, end), lines.size());
  return std::vector<std::string>(lines.begin() + begin, lines.begin() + end);
}

// The lines after a text request's second call: its status message, the bench's warnings, and
// the returned text last (not shown when empty).
void ExamineAnswerLines(const std::vector<std::string>& tail, RequestOutcome& outcome) {
  size_t at = 0;
  const char* message = StatusMessage(outcome.answer);
  if (message != nullptr && at < tail.size() && tail[at] == message) {
    if (IsBenchWarning(tail[at])) outcome.warnings.push_back(tail[at]);
    ++at;
  }
  size_t textAt = tail.size();
  if (at < tail.size() && !IsBenchDiagnostic(tail.back())) {
    textAt = tail.size() - 1;
    outcome.hasText = true;
    outcome.text = tail.back();
  }
  for (; at < textAt; ++at) outcome.warnings.push_back(tail[at]);
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
  if (line != nullptr && line[0] != '\0') lines_.push_back(line);
}

void CheckerBench::ReadRequestName(char* name, int capacity) {
  if (inputs_.request < 0) return;
  const char* text = kExports[inputs_.request].name;
  // As the window's list: a name that does not fit stays empty.
  if (static_cast<int>(std::strlen(text)) >= capacity) return;
  std::strcpy(name, text);
}

void CheckerBench::ReadDatFilePath(char* text, int limit) { CopyBoxText(inputs_.listPath, text, limit); }

void CheckerBench::ReadTestKey(char* text, int limit) { CopyBoxText(inputs_.key, text, limit); }

void CheckerBench::ReadRequestedLength(char* text, int limit) {
  lengthReadAt_ = static_cast<long>(lines_.size());
  CopyBoxText(inputs_.requestedLength, text, limit);
  RestartWatch();  // the second call gets the full time of its own
}

void CheckerBench::PluginReturned(int exportIndex, int32_t bufferSize, int16_t result) {
  calls_.push_back({exportIndex, bufferSize, result, lines_.size()});
  RestartWatch();
}

bool IsBenchFinding(const std::string& warning) {
  return StartsWith(warning, "警告：") && warning != StatusMessage(0);
}

RequestOutcome ExamineRun(const CheckerBench& bench) {
  RequestOutcome outcome;
  const int request = bench.inputs().request;
  const std::vector<std::string>& lines = bench.lines();
  const std::vector<CallRecord>& calls = bench.calls();
  if (request < 0 || lines.empty() || lines[0] != kExports[request].label) return outcome;
  outcome.called = true;
  const CallPattern pattern = kExports[request].pattern;

  // Where each call began: after the label, and for a second call after the requested length was
  // read and its line (if any) appended. Lines between a call's start and its return are what
  // the bench said about the call's conventions; lines after a start without a return, about a
  // call that did not come back.
  std::vector<size_t> starts = {1};
  if (IsTextPattern(pattern) && bench.lengthReadAt() >= 0) {
    size_t start = static_cast<size_t>(bench.lengthReadAt());
    if (start < lines.size() && StartsWith(lines[start], "バイト数 : ")) ++start;
    starts.push_back(start);
  }
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

  const CallRecord& last = calls[starts.size() - 1];
  const std::vector<std::string> tail = Slice(lines, last.lineCount, lines.size());
  if (IsTextPattern(pattern)) {
    if (starts.size() == 1) {  // the probe ended the request
      for (const std::string& line : tail) {
        if (IsBenchWarning(line)) outcome.warnings.push_back(line);
      }
      return outcome;
    }
  }
  outcome.hasAnswer = true;
  outcome.answer = last.result;
  outcome.bufferSize = last.bufferSize;
  if (IsTextPattern(pattern)) ExamineAnswerLines(tail, outcome);
  return outcome;
}

void RunOneRequest(CheckerBench& bench, const std::string& what) {
  WatchCall(what);
  RunRequest(bench);
  EndWatch();
}

std::string DescribeInputs(const RequestInputs& inputs) {
  std::string text = inputs.request >= 0 ? kExports[inputs.request].name : "(no request)";
  const CallPattern pattern = inputs.request >= 0 ? kExports[inputs.request].pattern : CallPattern::SizedText;
  if (pattern == CallPattern::SizedText || pattern == CallPattern::Numeric) {
    text += " key=" + QuoteArgument(inputs.key) + " key-type=" + KeyTypeOptionName(inputs.keyTypeIndex);
  }
  if (!inputs.requestedLength.empty()) text += " req-len=" + QuoteArgument(inputs.requestedLength);
  return text;
}
