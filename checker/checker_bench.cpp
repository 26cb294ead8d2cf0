#include "checker/checker_bench.h"

#include <windows.h>

#include <cstring>
#include <variant>

#include "checker/command_line.h"
#include "checker/file_bytes.h"
#include "checker/text_encoding.h"
#include "checker/watchdog.h"
#include "plugin/contract.h"
#include "request/run_request.h"

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

void CheckerBench::Report(const RunEvent& event) {
  {
    const HangReportGuard guard;
    events_.push_back(event);
  }
  // Only the plugin's own time is watched: from a call's start to its end.
  if (std::holds_alternative<CallStarted>(event)) {
    WatchCall(what_);
  } else if (std::holds_alternative<CallReturned>(event) ||
             std::holds_alternative<CallAbandoned>(event)) {
    EndWatch();
  }
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

bool IsBenchFinding(const RunEvent& warning) {
  return std::holds_alternative<BufferChecked>(warning);
}

namespace {

// Reads one event of a run into the outcome; `textRequest` for the two-call text patterns.
class OutcomeReader {
 public:
  OutcomeReader(RequestOutcome& outcome, bool textRequest)
      : outcome_(outcome), textRequest_(textRequest) {}

  void operator()(const CallStarted&) { outcome_.called = true; }
  void operator()(const CallReturned& call) {
    if (textRequest_ && !outcome_.hasProbe) {
      outcome_.hasProbe = true;
      outcome_.probe = call.result;
      return;
    }
    outcome_.hasAnswer = true;
    outcome_.answer = call.result;
    outcome_.bufferSize = call.bufferSize;
  }
  void operator()(const CallAbandoned& call) {
    outcome_.completed = false;
    outcome_.abandoned = call;
  }
  void operator()(const ConventionBroken& breach) { outcome_.breaches.push_back(breach); }
  void operator()(const StatusAnswered& status) {
    if (status.code == QB2LPT_BUFFER_SIZE_ZERO) outcome_.warnings.push_back(status);
  }
  void operator()(const BufferChecked& finding) { outcome_.warnings.push_back(finding); }
  void operator()(const SaleDateMisformed& form) { outcome_.warnings.push_back(form); }
  void operator()(const ReturnedText& returned) {
    outcome_.hasText = !returned.text.empty();
    outcome_.text = returned.text;
  }
  // The label, the bench's reasons to stop, the sizes and a number say nothing more.
  template <typename Event>
  void operator()(const Event&) {}

 private:
  RequestOutcome& outcome_;
  bool textRequest_;
};

}  // namespace

RequestOutcome ExamineRun(const CheckerBench& bench) { return ExamineRun(bench.inputs(), bench.events()); }

RequestOutcome ExamineRun(const RequestInputs& inputs, const std::vector<RunEvent>& events) {
  RequestOutcome outcome;
  if (inputs.request < 0) return outcome;
  OutcomeReader reader(outcome, IsTextPattern(kExports[inputs.request].pattern));
  for (const RunEvent& event : events) std::visit(reader, event);
  return outcome;
}

std::vector<std::string> FailureLines(const RequestOutcome& outcome) {
  if (!outcome.abandoned) return {};
  return {ReportLine(*outcome.abandoned)};
}

void RunOneRequest(CheckerBench& bench, const std::string& what) {
  bench.DescribeCallsAs(what);
  RunRequest(bench);
}

std::string DescribeInputs(const RequestInputs& inputs) {
  std::string text = inputs.request >= 0 ? kExports[inputs.request].name : "(no request)";
  const CallPattern pattern = inputs.request >= 0 ? kExports[inputs.request].pattern : CallPattern::SizedText;
  if (TakesListDataAndKey(pattern)) {
    text += " key=" + QuoteArgument(SjisToUtf8(inputs.key)) +
            " key-type=" + KeyTypeOptionName(inputs.keyType);
  }
  if (!inputs.requestedLength.empty()) {
    text += " req-len=" + QuoteArgument(SjisToUtf8(inputs.requestedLength));
  }
  return text;
}
