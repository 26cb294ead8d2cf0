// What the checker and its worker process hand each other through the memory they share: the
// parent a case (a request's inputs and how the call is described), the worker the run's events
// when the run is done, and those so far whenever a plugin call starts, for the parent to report
// if the worker never comes back. Pure: no Windows header, so that the reading of frames can be
// fuzzed natively.
//
// A frame is its payload's length (4 bytes, little-endian) and the payload; the payload's first
// byte says what it holds. Numbers are little-endian, texts their length (4 bytes) and bytes.
#pragma once

#include <string>
#include <vector>

#include "checker/request_inputs.h"
#include "request/run_event.h"

// Appends a frame to `out`.
void AppendCaseFrame(const RequestInputs& inputs, const std::string& what, std::string& out);
void AppendEventsFrame(const std::vector<RunEvent>& events, bool runDone, std::string& out);

enum class FrameState { Whole, Partial, Malformed };
// Moves the first frame's payload off the front of `stream`: Partial (and nothing moved) while the
// frame is not all there; Malformed for a length that no frame has.
FrameState TakeFrame(std::string& stream, std::string& payload);

// Reads a payload; false when it is not of that kind or not well formed (every field whole and in
// range, nothing left over).
bool ReadCaseFrame(const std::string& payload, RequestInputs& inputs, std::string& what);
// Appends the events to `events`.
bool ReadEventsFrame(const std::string& payload, std::vector<RunEvent>& events, bool& runDone);
