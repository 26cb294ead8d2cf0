// What a request run reports, one event per step, in the order the steps happen. Each event is a
// value that stays valid after the run: a fault's place is named when it happens. The report
// lines are rendered from events (request/report_lines.h); the checker reads them directly.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "plugin/fault_report.h"
#include "request/sale_date_check.h"

// The request's label, just before its first call.
struct RequestLabel {
  int exportIndex;
};

// Why the bench ended a run without calling the plugin (further).
enum class RunStop {
  ListDataFileNotOpened,
  ListDataFileSizeUnknown,
  ListDataFileTooLarge,  // with the zero byte after it, the file does not fit a 32-bit size
  NoRoomForListData,  // the list data's region could not be committed
  NoRoomForKey,
  NoRoomForBuffer,    // the second call's result buffer could not be allocated
};
struct RunStopped {
  RunStop reason;
};

// A plugin call begins: nothing but the call lies between this and the CallReturned or
// CallAbandoned that ends it. `bufferSize` is the size of the buffer it is handed (0 for none).
struct CallStarted {
  int exportIndex;
  int32_t bufferSize;
};
// The call came back with its 16-bit result; its breaches of the calling convention follow.
struct CallReturned {
  int exportIndex;
  int32_t bufferSize;
  int16_t result;
};
struct ConventionBroken {
  int exportIndex;
  ConventionBreach breach;
};
// The call did not come back; the run ends here.
struct CallAbandoned {
  int exportIndex;
  CallFault fault;
};

// A result that is no size, text or number: a probe at or below 0, a second call's result, a
// negative number. Only the known status codes show a line.
struct StatusAnswered {
  int16_t code;
};
// The probe's positive answer: the size the plugin asks for.
struct SizeRequired {
  int16_t size;
};
// The requested-length box overrides the size asked for.
struct LengthRequested {
  int32_t length;
};

// What the bench found about the buffer after the second call: the plugin broke the contract.
enum class BufferFinding {
  TextNotTerminated,  // no zero within the buffer
  TextLongerThanAsked,  // longer than the size that the probe asked for
  VariableReplaced,   // the buffer variable holds another address; the buffer is not read
};
struct BufferChecked {
  BufferFinding finding;
};
// A returned sale date lacks the form it was taken for.
struct SaleDateMisformed {
  DateForm expected;
};
// The text that a text request's second call left in the buffer, up to its first zero (or the
// buffer's end): the plugin's answer, whatever it says.
struct ReturnedText {
  std::string text;
};
// A number shown as the answer: a numeric request's value, or the plugin version (the result
// divided by 100).
struct NumberAnswer {
  double value;
};

using RunEvent =
    std::variant<RequestLabel, RunStopped, CallStarted, CallReturned, ConventionBroken,
                 CallAbandoned, StatusAnswered, SizeRequired, LengthRequested, BufferChecked,
                 SaleDateMisformed, ReturnedText, NumberAnswer>;

// Where a run reports its events: the window, which shows each one's line as it comes, or the
// checker, which keeps them.
class RunReport {
 public:
  virtual void Report(const RunEvent& event) = 0;

 protected:
  ~RunReport() = default;
};
