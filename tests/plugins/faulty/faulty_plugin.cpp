// A plugin whose exports misbehave, one way each. Every export takes the parameters of the sized
// text pattern (list data, key, key type, buffer reference, size) unless its name says otherwise.
// The faults are written in assembly so that the instruction that faults is known exactly: the
// <name>Site label marks it.
#include <windows.h>

#include <cstring>
#include <stdexcept>

asm(".text\n"
    ".globl _NullWrite@20, _NullWriteSite, _CallNull@20, _CallNullSite, _WriteListData@20\n"
    ".globl _WriteListDataSite, _WriteKey@20, _WriteKeySite, _WritePastBuffer@20\n"
    ".globl _WritePastBufferSite, _ReadPastBuffer@20, _ReadPastBufferSite, _DivideByZero@20\n"
    ".globl _DivideByZeroSite, _RecurseForever@20, _RecurseForeverSite, _IllegalInstruction@20\n"
    ".globl _Breakpoint@20, _RaiseCode@4, _RaiseCodeSite, _StrcpyIntoKey@20\n"
    ".globl _StrcpyIntoKeySite, _FpuStackThenFault@20, _FpuStackThenFaultSite, "
    "_DisturbControlState@20\n"
    ".globl _CdeclExport, _FourParams@16, _SixParams@24, _ClobberRegisters@20\n"
    ".globl _ClobberFramePointer@20, _LeavesHandlerLinked@20\n"
    // A write through a null pointer.
    "_NullWrite@20:\n"
    "_NullWriteSite:\n"
    "  movb $1, 0\n"
    "  xorl %eax, %eax\n"
    "  ret $20\n"
    // A call through a null function pointer: the fault is at address 0 itself, and the site is
    // the return address that the call pushed.
    "_CallNull@20:\n"
    "  xorl %eax, %eax\n"
    "  call *%eax\n"
    "_CallNullSite:\n"
    "  ret $20\n"
    "_WriteListData@20:\n"
    "  movl 4(%esp), %eax\n"
    "_WriteListDataSite:\n"
    "  movb $0x78, (%eax)\n"
    "  xorl %eax, %eax\n"
    "  ret $20\n"
    "_WriteKey@20:\n"
    "  movl 8(%esp), %eax\n"
    "_WriteKeySite:\n"
    "  movb $0x78, (%eax)\n"
    "  xorl %eax, %eax\n"
    "  ret $20\n"
    // Writes (*buffer)[size]: one byte past the end of the buffer it was given.
    "_WritePastBuffer@20:\n"
    "  movl 16(%esp), %eax\n"
    "  movl (%eax), %eax\n"
    "  movzwl 20(%esp), %ecx\n"
    "_WritePastBufferSite:\n"
    "  movb $0x78, (%eax,%ecx)\n"
    "  movl $1, %eax\n"
    "  ret $20\n"
    // Reads (*buffer)[size].
    "_ReadPastBuffer@20:\n"
    "  movl 16(%esp), %eax\n"
    "  movl (%eax), %eax\n"
    "  movzwl 20(%esp), %ecx\n"
    "_ReadPastBufferSite:\n"
    "  movzbl (%eax,%ecx), %eax\n"
    "  ret $20\n"
    "_DivideByZero@20:\n"
    "  xorl %ecx, %ecx\n"
    "  xorl %edx, %edx\n"
    "  movl $1, %eax\n"
    "_DivideByZeroSite:\n"
    "  divl %ecx\n"
    "  ret $20\n"
    // 256 bytes of stack a level; the return address that the call pushes is what touches each
    // new page, so the overflow is raised at the call.
    "_RecurseForever@20:\n"
    "  subl $252, %esp\n"
    "_RecurseForeverSite:\n"
    "  call _RecurseForever@20\n"
    "  ret $20\n"
    "_IllegalInstruction@20:\n"
    "  ud2\n"
    "  ret $20\n"
    "_Breakpoint@20:\n"
    "  int3\n"
    "  xorl %eax, %eax\n"
    "  ret $20\n"
    // RaiseCode(code): RaiseException(code, EXCEPTION_NONCONTINUABLE, 0, NULL), raised inside the
    // system library; the site is the return address of that call.
    "_RaiseCode@4:\n"
    "  pushl $0\n"
    "  pushl $0\n"
    "  pushl $1\n"
    "  pushl 16(%esp)\n"
    "  call *__imp__RaiseException@16\n"
    "_RaiseCodeSite:\n"
    "  xorl %eax, %eax\n"
    "  ret $4\n"
    // strcpy(key, \"x\"): the C runtime faults on the plugin's behalf.
    "_StrcpyIntoKey@20:\n"
    "  pushl $1f\n"
    "  pushl 12(%esp)\n"
    "  call *__imp__strcpy\n"
    "_StrcpyIntoKeySite:\n"
    "  addl $8, %esp\n"
    "  xorl %eax, %eax\n"
    "  ret $20\n"
    // Leaves three values on the x87 stack, then faults.
    "_FpuStackThenFault@20:\n"
    "  fld1\n"
    "  fld1\n"
    "  fld1\n"
    "_FpuStackThenFaultSite:\n"
    "  ud2\n"
    "  ret $20\n"
    // Returns normally, having set the x87 and SSE rounding to truncation and the direction flag.
    "_DisturbControlState@20:\n"
    "  subl $4, %esp\n"
    "  movl $0x0F7F, (%esp)\n"
    "  fldcw (%esp)\n"
    "  stmxcsr (%esp)\n"
    "  orl $0x6000, (%esp)\n"
    "  ldmxcsr (%esp)\n"
    "  addl $4, %esp\n"
    "  std\n"
    "  movl $13, %eax\n"
    "  ret $20\n"
    // Five parameters, cdecl: leaves them to the caller.
    "_CdeclExport:\n"
    "  movl $7, %eax\n"
    "  ret\n"
    // stdcall with a parameter too few, and one too many.
    "_FourParams@16:\n"
    "  movl $9, %eax\n"
    "  ret $16\n"
    "_SixParams@24:\n"
    "  movl $10, %eax\n"
    "  ret $24\n"
    "_ClobberRegisters@20:\n"
    "  movl $0x0BADF00D, %ebx\n"
    "  movl $0x0BADF00D, %esi\n"
    "  movl $0x0BADF00D, %edi\n"
    "  movl $11, %eax\n"
    "  ret $20\n"
    // Links an exception registration record of its own and returns without unlinking it.
    "_LeavesHandlerLinked@20:\n"
    "  pushl $0\n"
    "  pushl %fs:0\n"
    "  movl %esp, %fs:0\n"
    "  addl $8, %esp\n"
    "  movl $14, %eax\n"
    "  ret $20\n"
    "_ClobberFramePointer@20:\n"
    "  movl $0x0BADF00D, %ebp\n"
    "  movl $12, %eax\n"
    "  ret $20\n"
    ".section .rdata\n"
    "1:\n"
    "  .asciz \"x\"\n"
    ".text\n");

namespace {

[[gnu::noinline]] void Throw(int value) { throw value; }

}  // namespace

extern "C" {

// The probe asks for strlen(list data) + strlen(key) + 1 bytes; the second call copies the key
// into the buffer and returns the key type: every parameter shows in what comes back.
short __stdcall WellBehaved(const char* listData, const char* key, short keyType, char** buffer,
                            unsigned short size) {
  const size_t keyBytes = std::strlen(key) + 1;
  if (size == 0) return static_cast<short>(std::strlen(listData) + keyBytes);
  if (size < keyBytes) return 0;
  std::memcpy(*buffer, key, keyBytes);
  return keyType;
}

// A C++ exception thrown and caught inside the plugin: no fault.
short __stdcall CatchesOwnThrow(const char*, const char*, short, char**, unsigned short) {
  try {
    Throw(5);
  } catch (int value) {
    return static_cast<short>(value);
  }
  return 0;
}

// Debug output is raised and handled by the system as an exception: no fault.
short __stdcall PrintsDebugString(const char*, const char*, short, char**, unsigned short) {
  OutputDebugStringA("faulty plugin\n");
  return 3;
}

// A g++ exception that leaves the plugin: its runtime calls std::terminate.
short __stdcall ThrowCpp(const char*, const char*, short, char**, unsigned short) {
  throw std::runtime_error("ThrowCpp");
}

}  // extern "C"

// Start-up code that raises and handles an exception of its own, and loads.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) IsBadReadPtr(nullptr, 1);
  return TRUE;
}
