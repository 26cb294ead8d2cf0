#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "plugin/fault_report.h"
#include "plugin/plugin_call.h"
#include "request/observed_call.h"
#include "request/result_buffer.h"
#include "request/run_request.h"
#include "request/sale_date_check.h"
#include "request/size_negotiation.h"
#include "text/number_text.h"

namespace {

constexpr int kMaxSlots = 5;

// The length typed in the requested-length box, truncated toward zero; -1 when the box is empty,
// and when the value lies beyond a signed 32-bit integer (which counts as no length).
int32_t ReadRequestedLength(RequestBench& bench) {
  char text[261] = {};
  bench.ReadRequestedLength(text, 260);
  if (text[0] == '\0') return -1;
  const double length = std::trunc(TextToNumber(text));
  if (!(length >= INT32_MIN && length <= INT32_MAX)) return -1;
  return static_cast<int32_t>(length);
}

// Reports what the plugin left in the buffer, reading nothing beyond the buffer's last byte.
void ReportReturnedText(RequestBench& bench, const ResultBuffer& buffer, int16_t requiredSize,
                      ReturnedTextCheck check) {
  const size_t size = static_cast<size_t>(buffer.size());
  const size_t length = std::find(buffer.data(), buffer.data() + size, '\0') - buffer.data();
  if (length == size) bench.Report(BufferChecked{BufferFinding::TextNotTerminated});
  if (length > static_cast<size_t>(requiredSize)) {
    bench.Report(BufferChecked{BufferFinding::TextLongerThanAsked});
  }
  ReturnedText returned{std::string(buffer.data(), length)};
  if (check) check(bench, returned.text.c_str());
  bench.Report(std::move(returned));
}

void CheckSaleDateForm(RunReport& report, const char* text) {
  if (const std::optional<DateForm> missed = MissedDateForm(text)) {
    report.Report(SaleDateMisformed{*missed});
  }
}

bool ShouldRun(const char* listData, int exportIndex) {
  return listData[0] != '\0' && PluginTable[exportIndex] != nullptr;
}

void RequestNegotiatedText(RequestBench& bench, const char* listData, const char* key,
                           int16_t keyType, int exportIndex, ReturnedTextCheck check) {
  if (!ShouldRun(listData, exportIndex)) return;
  bench.Report(RequestLabel{exportIndex});
  const uint32_t leading[3] = {PointerSlot(listData), PointerSlot(key), KeyTypeSlot(keyType)};
  NegotiateText(bench, exportIndex, leading, 3, check);
}

}  // namespace

bool CallPluginFor(RunReport& report, int exportIndex, const uint32_t* slots, int slotCount,
                   int32_t bufferSize, int16_t& result) {
  report.Report(CallStarted{exportIndex, bufferSize});
  CallOutcome outcome = CallPlugin(exportIndex, slots, slotCount);
  if (!outcome.returned) {
    report.Report(CallAbandoned{exportIndex, std::move(outcome.fault)});
    return false;
  }
  result = outcome.result;
  report.Report(CallReturned{exportIndex, bufferSize, result});
  for (const ConventionBreach& breach : outcome.breaches) {
    report.Report(ConventionBroken{exportIndex, breach});
  }
  return true;
}

void NegotiateText(RequestBench& bench, int exportIndex, const uint32_t* leadingSlots,
                   int leadingCount, ReturnedTextCheck check) {
  char* bufferVariable = nullptr;  // the plugin receives this variable's address
  uint32_t slots[kMaxSlots] = {};
  std::copy(leadingSlots, leadingSlots + leadingCount, slots);
  const int slotCount = leadingCount + 2;
  uint32_t& referenceSlot = slots[leadingCount];
  uint32_t& sizeSlot = slots[leadingCount + 1];

  referenceSlot = PointerSlot(&bufferVariable);
  sizeSlot = SizeSlot(0);
  int16_t requiredSize = 0;
  if (!CallPluginFor(bench, exportIndex, slots, slotCount, 0, requiredSize)) return;
  if (requiredSize <= 0) {
    bench.Report(StatusAnswered{requiredSize});
    return;
  }
  bench.Report(SizeRequired{requiredSize});

  int32_t bufferSize = requiredSize;
  const int32_t requestedLength = ReadRequestedLength(bench);
  if (requestedLength > 0) {
    bench.Report(LengthRequested{requestedLength});
    bufferSize = requestedLength;
  }

  ResultBuffer buffer(bufferSize);
  if (!buffer.data()) {
    bench.Report(RunStopped{RunStop::NoRoomForBuffer});
    return;
  }
  bufferVariable = buffer.data();
  sizeSlot = SizeSlot(bufferSize);
  // A write past the size given faults on the no-access page behind the buffer, named as an overrun.
  const LabelledRegion bufferEndLabel(FaultRegion::BufferEnd, buffer.data() + buffer.size(), 4096);
  int16_t status = 0;
  if (!CallPluginFor(bench, exportIndex, slots, slotCount, bufferSize, status)) return;
  bench.Report(StatusAnswered{status});
  // Another address in the variable is not ours: it is neither read nor freed.
  if (bufferVariable != buffer.data()) {
    bench.Report(BufferChecked{BufferFinding::VariableReplaced});
    return;
  }
  ReportReturnedText(bench, buffer, requiredSize, check);
}

void RequestSizedText(RequestBench& bench, const char* listData, const char* key, int16_t keyType,
                      int exportIndex) {
  RequestNegotiatedText(bench, listData, key, keyType, exportIndex, nullptr);
}

void RequestSaleDate(RequestBench& bench, const char* listData, const char* key, int16_t keyType) {
  RequestNegotiatedText(bench, listData, key, keyType, kGetSaleDate, CheckSaleDateForm);
}

void RequestNumber(RequestBench& bench, const char* listData, const char* key, int16_t keyType,
                   int exportIndex) {
  if (!ShouldRun(listData, exportIndex)) return;
  bench.Report(RequestLabel{exportIndex});
  const uint32_t slots[3] = {PointerSlot(listData), PointerSlot(key), KeyTypeSlot(keyType)};
  int16_t value = 0;
  if (!CallPluginFor(bench, exportIndex, slots, 3, 0, value)) return;
  if (value < 0) {
    bench.Report(StatusAnswered{value});
  } else {
    bench.Report(NumberAnswer{static_cast<double>(value)});
  }
}
