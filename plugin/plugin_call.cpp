#include "plugin/plugin_call.h"

#include <signal.h>
#include <stdlib.h>
#include <windows.h>

#include <cstddef>
#include <cstdio>

#include "plugin/fault_report.h"

// How a guarded call works
//
// GuardedInvoke (assembly, below) links a GuardFrame into the thread's chain of exception
// handlers at fs:[0], saves the callee-saved registers, ESP, the x87 control word and MXCSR, pushes
// the slots and calls the entry point. When the call returns, it records EAX, ESP and the
// callee-saved registers as the plugin left them, puts everything back and unlinks the frame.
//
// An exception that the plugin leaves unhandled reaches GuardHandler, the frame's handler. It
// records the exception and jumps to the recovery point of its own frame (the one that caught the
// exception, not whichever call is the latest), which restores the state saved before the call
// exactly as the normal path does. It jumps rather than asking for the faulting
// code to be resumed elsewhere: a non-continuable exception (a Visual C++ throw) cannot be resumed
// at all. The plugin's own unwind code is not run: after a fault its state is not trusted.
//
// A frame handler, unlike a vectored one, sees only what the plugin leaves unhandled, so a plugin
// that raises and catches exceptions of its own still works.
//
// A g++ exception that leaves a plugin raises no exception at all: the plugin's runtime finds no
// handler and calls abort(), which raises SIGABRT in the C runtime that the bench and the plugin
// share. A SIGABRT handler, installed for the length of each call, jumps to the same recovery
// point. While it is installed the runtime's error mode is "to stderr": in a GUI program, the
// system's msvcrt abort() would otherwise show a message box and wait before raising the signal.
//
// Guarded calls nest: a plugin that runs a message loop while it is called can let the bench make
// another guarded call before the first one returns. Each call keeps the frame that was active
// before it and puts it back when it ends, whichever way it ends, so the outer call finds its own
// frame again.

namespace {

// Offsets of the GuardFrame members that the assembly uses.
#define GUARD_ENTRY 8
#define GUARD_SLOTS 12
#define GUARD_SLOT_COUNT 16
#define GUARD_BEFORE 20
#define GUARD_AFTER 40
#define GUARD_EAX 60
#define GUARD_MXCSR 64
#define GUARD_FPU_CONTROL 68
#define GUARD_TEXT(x) #x
#define GUARD_OFFSET(x) GUARD_TEXT(x)

// The registers compared around a call, in the order in which they are kept.
enum SavedRegister { kEbx, kEsi, kEdi, kEbp, kEsp, kSavedRegisterCount };

struct GuardFrame {
  // An exception registration record: the next one in the chain, then the handler.
  GuardFrame* next;
  void* handler;
  void* entry;
  const uint32_t* slots;
  int32_t slotCount;
  uint32_t before[kSavedRegisterCount];  // ESP with no slot pushed yet
  uint32_t after[kSavedRegisterCount];   // as the plugin returned
  uint32_t eax;
  uint32_t mxcsr;
  uint16_t fpuControl;
  // The thread that makes the call, and the plugin's module (for FindCallSite).
  DWORD thread;
  uintptr_t moduleBegin, moduleEnd;
  // A plugin call, or the system's work on the plugin's behalf (see CallUnwindingOnFault).
  bool pluginCall;
  // How the call ended when it did not return: an abort, a request to end the process (what the
  // plugin called, e.g. "ExitProcess(0)"), or else an exception.
  bool aborted;
  char processEndRequest[kProcessEndRequestSize];
  FaultRecord fault;
};

static_assert(offsetof(GuardFrame, next) == 0 && offsetof(GuardFrame, handler) == 4);
static_assert(offsetof(GuardFrame, entry) == GUARD_ENTRY);
static_assert(offsetof(GuardFrame, slots) == GUARD_SLOTS);
static_assert(offsetof(GuardFrame, slotCount) == GUARD_SLOT_COUNT);
static_assert(offsetof(GuardFrame, before) == GUARD_BEFORE);
static_assert(offsetof(GuardFrame, after) == GUARD_AFTER);
static_assert(offsetof(GuardFrame, eax) == GUARD_EAX);
static_assert(offsetof(GuardFrame, mxcsr) == GUARD_MXCSR);
static_assert(offsetof(GuardFrame, fpuControl) == GUARD_FPU_CONTROL);

}  // namespace

extern "C" {
// The frame of the innermost call under way, or null. After the plugin returns, every register
// but ESP is the plugin's, so the assembly finds the frame here.
GuardFrame* ActiveGuardFrame = nullptr;
// Returns 0 when the call returned, 1 when it was abandoned after a fault.
int GuardedInvoke(GuardFrame* frame);
// Abandons the call of `frame`: continues at GuardedInvoke's recovery point, which returns 1.
[[noreturn]] void ResumeAfterFault(GuardFrame* frame);
}

asm(".text\n"
    ".globl _GuardedInvoke\n"
    ".def _GuardedInvoke; .scl 2; .type 32; .endef\n"
    "_GuardedInvoke:\n"
    "  pushl %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 20(%esp), %eax\n"  // the frame
    "  movl %eax, _ActiveGuardFrame\n"
    // Link the frame in front of the thread's handler chain.
    "  movl %fs:0, %ecx\n"
    "  movl %ecx, (%eax)\n"
    "  movl %eax, %fs:0\n"
    "  movl %ebx, " GUARD_OFFSET(GUARD_BEFORE) "+0(%eax)\n"
    "  movl %esi, " GUARD_OFFSET(GUARD_BEFORE) "+4(%eax)\n"
    "  movl %edi, " GUARD_OFFSET(GUARD_BEFORE) "+8(%eax)\n"
    "  movl %ebp, " GUARD_OFFSET(GUARD_BEFORE) "+12(%eax)\n"
    "  movl %esp, " GUARD_OFFSET(GUARD_BEFORE) "+16(%eax)\n"
    "  fnstcw " GUARD_OFFSET(GUARD_FPU_CONTROL) "(%eax)\n"
    "  stmxcsr " GUARD_OFFSET(GUARD_MXCSR) "(%eax)\n"
    // Push the slots right to left and call.
    "  movl " GUARD_OFFSET(GUARD_SLOTS) "(%eax), %edx\n"
    "  movl " GUARD_OFFSET(GUARD_SLOT_COUNT) "(%eax), %ecx\n"
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  decl %ecx\n"
    "  pushl (%edx,%ecx,4)\n"
    "  jmp 1b\n"
    "2:\n"
    "  call *" GUARD_OFFSET(GUARD_ENTRY) "(%eax)\n"
    // Returned: record what the plugin left.
    "  movl _ActiveGuardFrame, %ecx\n"
    "  movl %eax, " GUARD_OFFSET(GUARD_EAX) "(%ecx)\n"
    "  movl %ebx, " GUARD_OFFSET(GUARD_AFTER) "+0(%ecx)\n"
    "  movl %esi, " GUARD_OFFSET(GUARD_AFTER) "+4(%ecx)\n"
    "  movl %edi, " GUARD_OFFSET(GUARD_AFTER) "+8(%ecx)\n"
    "  movl %ebp, " GUARD_OFFSET(GUARD_AFTER) "+12(%ecx)\n"
    "  movl %esp, " GUARD_OFFSET(GUARD_AFTER) "+16(%ecx)\n"
    "  xorl %eax, %eax\n"
    "  jmp 3f\n"
    ".globl _ResumeAfterFault\n"
    ".def _ResumeAfterFault; .scl 2; .type 32; .endef\n"
    "_ResumeAfterFault:\n"
    "  movl 4(%esp), %ecx\n"
    "  fninit\n"  // empty the x87 stack that the plugin may have left loaded
    "  movl $1, %eax\n"
    // Both paths: the stack, the saved registers, the floating-point controls and the direction
    // flag as they were before the call, and the frame unlinked whatever the plugin left linked.
    "3:\n"
    "  movl " GUARD_OFFSET(GUARD_BEFORE) "+16(%ecx), %esp\n"
    "  fldcw " GUARD_OFFSET(GUARD_FPU_CONTROL) "(%ecx)\n"
    "  ldmxcsr " GUARD_OFFSET(GUARD_MXCSR) "(%ecx)\n"
    "  cld\n"
    "  movl (%ecx), %edx\n"
    "  movl %edx, %fs:0\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");

namespace {

// Whether the bytes before `returnAddress` end in a call instruction: a direct call, or an
// indirect one (FF /2) through a register, [register + disp8] or [disp32].
bool FollowsCall(uintptr_t returnAddress) {
  const auto* code = reinterpret_cast<const BYTE*>(returnAddress);
  if (code[-5] == 0xE8) return true;
  for (int length : {2, 3, 6}) {
    if (code[-length] == 0xFF && ((code[-length + 1] >> 3) & 7) == 2) return true;
  }
  return false;
}

// For an exception raised outside the plugin (in a system library that it called, such as
// RaiseException or strcpy), the innermost return address into the plugin: the place in the
// plugin that led to it. Reads only the thread's stack between the fault and the call.
uintptr_t FindCallSite(const GuardFrame& frame, uintptr_t faultEsp) {
  uintptr_t stackLimit;  // StackLimit of the NT_TIB at fs:0: the lowest usable stack address
  asm("movl %%fs:8, %0" : "=r"(stackLimit));
  if (frame.moduleBegin == 0 || faultEsp < stackLimit || faultEsp > frame.before[kEsp]) return 0;
  const auto* slot = reinterpret_cast<const uintptr_t*>(faultEsp);
  const auto* top = reinterpret_cast<const uintptr_t*>(frame.before[kEsp]);
  for (; slot < top; ++slot) {
    const uintptr_t value = *slot;
    if (value >= frame.moduleBegin + 6 && value < frame.moduleEnd && FollowsCall(value)) {
      return value;
    }
  }
  return 0;
}

// The frame's handler: records the exception and abandons the call of the frame that caught it.
// Runs on what is left of the stack after an overflow, so for a plugin call it stays small and
// calls no system function. The system's work on the plugin's behalf is unwound first instead:
// the system's own clean-up (a lock that the loader holds) must run before it is left.
EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                           CONTEXT* context, void*) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) {
    return ExceptionContinueSearch;
  }
  GuardFrame& frame = *static_cast<GuardFrame*>(establisherFrame);
  FaultRecord& fault = frame.fault;
  fault = RecordException(*record);
  if (fault.address - frame.moduleBegin >= frame.moduleEnd - frame.moduleBegin) {
    fault.callSite = FindCallSite(frame, context->Esp);
  }
  if (!frame.pluginCall) RtlUnwind(&frame, nullptr, record, nullptr);
  ResumeAfterFault(&frame);
}

void __cdecl AbortDuringCall(int) {
  GuardFrame* frame = ActiveGuardFrame;
  if (frame && frame->thread == GetCurrentThreadId()) {
    frame->aborted = true;
    ResumeAfterFault(frame);
  }
  _exit(3);  // another thread aborted: end the process as abort() would have
}

// GuardedInvoke, with the frame of the call that was under way before it put back afterwards.
int InvokeNested(GuardFrame& frame) {
  GuardFrame* const outer = ActiveGuardFrame;
  const int abandoned = GuardedInvoke(&frame);
  ActiveGuardFrame = outer;
  return abandoned;
}

// Puts back the guard page that a stack overflow used up, as the thread had it at its start: the
// lowest usable page of the stack becomes a guard page and the stack limit sits on top of it, so
// that the next overflow is caught too. (The C runtime's _resetstkoflw guards the page under the
// current stack pointer and relies on the system to move that guard down on the next touch; under
// the emulation that the bench is tested in, that touch is not recognised and ends the process.)
void RearmStackGuard() {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const SIZE_T pageSize = system.dwPageSize;
  MEMORY_BASIC_INFORMATION region;
  VirtualQuery(&region, &region, sizeof region);
  char* const inUse = reinterpret_cast<char*>(&region);
  char* lowest = static_cast<char*>(region.AllocationBase);
  for (;;) {
    if (!VirtualQuery(lowest, &region, sizeof region) || lowest >= inUse) return;
    if (region.Protect & PAGE_GUARD) return;  // still armed
    if (region.State == MEM_COMMIT && !(region.Protect & PAGE_NOACCESS)) break;
    lowest = static_cast<char*>(region.BaseAddress) + region.RegionSize;
  }
  if (lowest + 16 * pageSize > inUse) return;  // no room left below the frames in use
  DWORD old;
  if (VirtualProtect(lowest, pageSize, PAGE_READWRITE | PAGE_GUARD, &old)) {
    // The thread's stack limit: StackLimit of the NT_TIB at fs:0.
    asm volatile("movl %0, %%fs:8" : : "r"(lowest + pageSize) : "memory");
  }
}

using SignalHandler = void(__cdecl*)(int);

// Turns the plugin runtime's abort() into a recoverable return for the length of one call.
class AbortInterception {
 public:
  AbortInterception()
      : outerHandler_(signal(SIGABRT, AbortDuringCall)),
        outerErrorMode_(_set_error_mode(_OUT_TO_STDERR)) {}
  ~AbortInterception() {
    signal(SIGABRT, outerHandler_);
    _set_error_mode(outerErrorMode_);
  }
  AbortInterception(const AbortInterception&) = delete;
  AbortInterception& operator=(const AbortInterception&) = delete;

 private:
  SignalHandler outerHandler_;
  int outerErrorMode_;
};

// How the abandoned call of `frame` ended, named now: the plugin's module is still loaded.
CallFault AbandonmentOf(const GuardFrame& frame) {
  if (frame.processEndRequest[0] != '\0') return ProcessEndFault(frame.processEndRequest);
  if (frame.aborted) return AbortFault(reinterpret_cast<uintptr_t>(frame.entry));
  return ExceptionFault(frame.fault);
}

// What the plugin left out of place, as the stack pointer and the callee-saved registers were
// after the call; they have been put back already.
std::vector<ConventionBreach> BreachesOf(const GuardFrame& frame) {
  const int32_t drift = static_cast<int32_t>(frame.after[kEsp] - frame.before[kEsp]);
  uint8_t unsaved = 0;
  for (int reg = kEbx; reg < kEsp; ++reg) {
    if (frame.after[reg] != frame.before[reg]) unsaved |= 1u << (reg - kEbx);
  }
  return NameBreaches(drift, frame.slotCount, unsaved);
}

}  // namespace

CallOutcome CallPlugin(int exportIndex, const uint32_t* slots, int slotCount) {
  GuardFrame frame{};
  frame.handler = reinterpret_cast<void*>(&GuardHandler);
  frame.entry = PluginTable[exportIndex];
  frame.slots = slots;
  frame.slotCount = slotCount;
  frame.thread = GetCurrentThreadId();
  frame.pluginCall = true;
  FindImage(reinterpret_cast<uintptr_t>(frame.entry), frame.moduleBegin, frame.moduleEnd);

  int abandoned;
  {
    AbortInterception abortInterception;
    abandoned = InvokeNested(frame);
  }
  CallOutcome outcome;
  if (abandoned) {
    // Without a new guard page the next overflow would end the process.
    if (frame.fault.code == EXCEPTION_STACK_OVERFLOW) RearmStackGuard();
    outcome.fault = AbandonmentOf(frame);
    return outcome;
  }
  outcome.returned = true;
  outcome.result = static_cast<int16_t>(frame.eax & 0xFFFF);
  outcome.breaches = BreachesOf(frame);
  return outcome;
}

void AbandonCallForProcessEnd(const char* request) {
  GuardFrame* const frame = ActiveGuardFrame;
  if (frame == nullptr || !frame->pluginCall || frame->thread != GetCurrentThreadId()) return;
  std::snprintf(frame->processEndRequest, sizeof frame->processEndRequest, "%s", request);
  ResumeAfterFault(frame);
}

bool CallUnwindingOnFault(void* function, uint32_t argument, FaultRecord& fault) {
  // No plugin module: the place is where the exception was raised, with no call site.
  GuardFrame frame{};
  frame.handler = reinterpret_cast<void*>(&GuardHandler);
  frame.entry = function;
  frame.slots = &argument;
  frame.slotCount = 1;
  frame.thread = GetCurrentThreadId();
  if (!InvokeNested(frame)) return true;
  if (frame.fault.code == EXCEPTION_STACK_OVERFLOW) RearmStackGuard();
  fault = frame.fault;
  return false;
}
