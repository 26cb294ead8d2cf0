#include "plugin/plugin_call.h"

namespace {

// Pushes the slots right to left and calls; a stdcall callee removes them itself. The stack
// pointer is kept in EDI (callee-saved) and restored after the call in any case.
uint32_t CallWithSlots(void* entry, const uint32_t* slots, int slotCount) {
  uint32_t eax;
  asm volatile(
      "mov %%esp, %%edi\n\t"
      "1:\n\t"
      "test %%ecx, %%ecx\n\t"
      "jz 2f\n\t"
      "dec %%ecx\n\t"
      "pushl (%%edx,%%ecx,4)\n\t"
      "jmp 1b\n\t"
      "2:\n\t"
      "call *%%esi\n\t"
      "mov %%edi, %%esp\n\t"
      : "=a"(eax), "+c"(slotCount), "+d"(slots)
      : "S"(entry)
      : "edi", "memory", "cc");
  return eax;
}

}  // namespace

bool CallPlugin(ReportSink&, int exportIndex, const uint32_t* slots, int slotCount,
                int16_t& result) {
  result = static_cast<int16_t>(CallWithSlots(PluginTable[exportIndex], slots, slotCount) & 0xFFFF);
  return true;
}
