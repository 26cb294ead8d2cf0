// The one way into a plugin: every export is called through CallPlugin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/contract.h"
#include "plugin/fault_report.h"

// How a plugin call ended: it came back, with its result and what it broke of the calling
// convention, or it was abandoned, and why.
struct CallOutcome {
  bool returned = false;
  int16_t result = 0;  // when returned: the low 16 bits of EAX, sign-extended
  std::vector<ConventionBreach> breaches;  // when returned: one per kind, in the order of its kind
  CallFault fault;                         // when not returned
};

// Calls the stdcall entry point PluginTable[exportIndex] with `slotCount` 32-bit stack slots
// (slots[0] is the first, leftmost parameter), and tells how the call ended; the caller abandons
// the request when it did not come back.
//
// A call that faults (an exception of any kind, an abort of the plugin's runtime, such as a C++
// exception that leaves the plugin, or a request to end the process) is abandoned, with its place
// named while the plugin is loaded. A call that returns with the stack or the callee-saved
// registers out of place (a cdecl export, a wrong parameter list, a register not preserved) has
// them put back, and still comes back with its result.
CallOutcome CallPlugin(int exportIndex, const uint32_t* slots, int slotCount);

// Room for how a plugin asked to end the process, e.g. "TerminateProcess(自プロセス, 1)".
constexpr size_t kProcessEndRequestSize = 64;

// Called when the plugin asks to end the process (`request` says how, e.g. "ExitProcess(0)"):
// abandons the plugin call under way on this thread, which then ends as a process-end request.
// Returns only when no plugin call is under way on this thread.
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
