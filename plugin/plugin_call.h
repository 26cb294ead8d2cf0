// The one way into a plugin: every export is called through CallPlugin.
#pragma once

#include <cstdint>

#include "plugin/contract.h"
#include "plugin/fault_report.h"

// Calls a stdcall entry point with `slotCount` 32-bit stack slots (slots[0] is the first, leftmost
// parameter). Returns true when the call came back normally, with `result` set to the low 16 bits
// of the returned value, sign-extended. Returns false when the call could not be completed; a line
// saying why has then been appended to `sink`, and the caller abandons the request.
//
// A call that faults (an exception of any kind, or an abort of the plugin's runtime, such as a C++
// exception that leaves the plugin) returns false with one "エラー：" line naming the exception and
// where it happened. A call that returns with the stack or the callee-saved registers out of place
// (a cdecl export, a wrong parameter list, a register not preserved) has them put back, one
// "エラー：" line per kind of breach, and still returns true with its result.
bool CallPlugin(ReportSink& sink, int exportIndex, const uint32_t* slots, int slotCount,
                int16_t& result);

// Room for how a plugin asked to end the process, e.g. "TerminateProcess(自プロセス, 1)".
constexpr size_t kProcessEndRequestSize = 64;

// Called when the plugin asks to end the process (`request` says how, e.g. "ExitProcess(0)"):
// abandons the plugin call under way on this thread, which then fails with one "エラー：" line
// naming the export. Returns only when no plugin call is under way on this thread.
void AbandonCallForProcessEnd(const char* request);

// Runs `function(argument)`, a stdcall function of one parameter that is the system's own work on
// the plugin's behalf (FreeLibrary, which runs the plugin's detach code), guarded like a plugin
// call. An exception that leaves it ends it and comes back as false with `fault` set; the frames
// between are unwound first, so that the system's own clean-up runs.
bool CallUnwindingOnFault(void* function, uint32_t argument, FaultRecord& fault);

// Slot values as the contract passes them: sizes zero-extended, key type codes sign-extended.
inline uint32_t SizeSlot(int32_t size) { return static_cast<uint16_t>(size); }
inline uint32_t KeyTypeSlot(int16_t code) {
  return static_cast<uint32_t>(static_cast<int32_t>(code));
}
inline uint32_t PointerSlot(const void* p) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}
