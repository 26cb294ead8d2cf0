// Any bytes as what a worker hands over: taking frames off the stream never goes wrong, and a
// payload that reads as a case or as events is written back byte for byte, so that nothing is lost
// or changed on its way between the checker and its worker. A broken property aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "checker/worker_wire.h"
#include "fuzz/require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string stream(reinterpret_cast<const char*>(data), size);
  std::string payload;
  for (;;) {
    const size_t before = stream.size();
    const FrameState state = TakeFrame(stream, payload);
    if (state != FrameState::Whole) {
      Require(stream.size() == before, "a frame that is not whole took bytes off the stream");
      break;
    }
    Require(stream.size() == before - 4 - payload.size(), "a frame took more or less than itself");
    std::string framed;
    RequestInputs inputs;
    std::string what;
    std::vector<RunEvent> events;
    bool done = false;
    if (ReadCaseFrame(payload, inputs, what)) {
      AppendCaseFrame(inputs, what, framed);
    } else if (ReadEventsFrame(payload, events, done)) {
      AppendEventsFrame(events, done, framed);
    } else {
      continue;
    }
    Require(framed.substr(4) == payload, "a payload read and written again changed");
  }
  return 0;
}
