// Calling-convention breaches: the call counts as returned, its result is used, one line says
// what was out of place, and the caller gets its stack and registers back.
#include <gtest/gtest.h>

#include <string>

#include "plugin/plugin_call.h"
#include "request/observed_call.h"
#include "tests/guard/guard_fixture.h"

namespace {

struct GuardedCall {
  RecordedLines* sink;
  int exportIndex;
  const uint32_t* slots;
  int slotCount;
  int16_t* result;
};

}  // namespace

extern "C" {
uint32_t MarkedEsp;
bool MarkedCallReturned;

bool MakeGuardedCall(const GuardedCall* call) {
  return CallPluginFor(*call->sink, call->exportIndex, call->slots, call->slotCount, 0,
                       *call->result);
}

// Calls MakeGuardedCall with EBX, ESI, EDI and EBP holding marks, and returns which of them, and
// ESP, differ afterwards: bits 1, 2, 4, 8 and 16.
uint32_t CallWithMarkedRegisters(const GuardedCall* call);
}

asm(".text\n"
    ".globl _CallWithMarkedRegisters\n"
    "_CallWithMarkedRegisters:\n"
    "  pushl %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 20(%esp), %eax\n"
    "  movl $0x1B1B1B1B, %ebx\n"
    "  movl $0x51515151, %esi\n"
    "  movl $0xD1D1D1D1, %edi\n"
    "  movl $0xB9B9B9B9, %ebp\n"
    "  movl %esp, _MarkedEsp\n"
    "  pushl %eax\n"
    "  call _MakeGuardedCall\n"
    "  addl $4, %esp\n"
    "  movb %al, _MarkedCallReturned\n"
    "  xorl %eax, %eax\n"
    "  cmpl $0x1B1B1B1B, %ebx\n"
    "  je 1f\n"
    "  orl $1, %eax\n"
    "1:\n"
    "  cmpl $0x51515151, %esi\n"
    "  je 2f\n"
    "  orl $2, %eax\n"
    "2:\n"
    "  cmpl $0xD1D1D1D1, %edi\n"
    "  je 3f\n"
    "  orl $4, %eax\n"
    "3:\n"
    "  cmpl $0xB9B9B9B9, %ebp\n"
    "  je 4f\n"
    "  orl $8, %eax\n"
    "4:\n"
    "  cmpl _MarkedEsp, %esp\n"
    "  je 5f\n"
    "  orl $16, %eax\n"
    "5:\n"
    "  movl _MarkedEsp, %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");

namespace {

// The head of the thread's chain of exception registration records.
uint32_t HandlerChain() {
  uint32_t head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

// Calls `entry` as the export at `exportIndex`; expects the caller's registers and the thread's
// handler chain intact.
bool CallKeepingRegisters(void* entry, RecordedLines& sink, const std::vector<uint32_t>& slots,
                          int16_t& result, int exportIndex = kGetTitle) {
  void* const kept = PluginTable[exportIndex];
  PluginTable[exportIndex] = entry;
  const GuardedCall call{&sink, exportIndex, slots.data(), static_cast<int>(slots.size()), &result};
  const uint32_t chain = HandlerChain();
  EXPECT_EQ(CallWithMarkedRegisters(&call), 0u);
  EXPECT_EQ(HandlerChain(), chain);
  PluginTable[exportIndex] = kept;
  return MarkedCallReturned;
}

struct Breach {
  const char* exportName;
  int16_t result;
  const char* line;
};

const Breach kBreaches[] = {
    {"CdeclExport", 7,
     "エラー：呼び出し規約違反：GetTitle は cdecl "
     "でエクスポートされています。スタックを元に戻しました"},
    {"FourParams", 9,
     "エラー：呼び出し規約違反：GetTitle の引数の数が違います (呼び出し後のスタックのずれ -4 "
     "バイト)。スタックを元に戻しました"},
    {"SixParams", 10,
     "エラー：呼び出し規約違反：GetTitle の引数の数が違います (呼び出し後のスタックのずれ +4 "
     "バイト)。スタックを元に戻しました"},
    {"ClobberRegisters", 11,
     "エラー：呼び出し規約違反：GetTitle がレジスタ EBX ESI EDI "
     "を保存していません。レジスタを元に戻しました"},
    {"ClobberFramePointer", 12,
     "エラー：呼び出し規約違反：GetTitle がレジスタ EBP "
     "を保存していません。レジスタを元に戻しました"},
};

TEST(Convention, BreachIsReportedRepairedAndItsResultUsed) {
  BenchRegions regions;
  for (const Breach& b : kBreaches) {
    SCOPED_TRACE(b.exportName);
    RecordedLines sink;
    int16_t result = 0;
    EXPECT_TRUE(CallKeepingRegisters(FaultyExport(b.exportName), sink, regions.SizedTextSlots(0, 1),
                                     result));
    EXPECT_EQ(result, b.result);
    EXPECT_EQ(sink.lines, std::vector<std::string>{b.line});
    ExpectWellBehavedAnswers(regions);
  }
}

TEST(Convention, LineNamesTheExportCalled) {
  BenchRegions regions;
  RecordedLines sink;
  int16_t result;
  EXPECT_TRUE(CallKeepingRegisters(FaultyExport("FourParams"), sink, {1, 2, 3}, result, kGetYear));
  EXPECT_EQ(sink.lines,
            std::vector<std::string>{
                "エラー：呼び出し規約違反：GetYear の引数の数が違います (呼び出し後のスタックの"
                "ずれ +4 バイト)。スタックを元に戻しました"});
}

TEST(Convention, WithoutParametersCdeclCannotBeTold) {
  RecordedLines sink;
  int16_t result;
  EXPECT_TRUE(
      CallKeepingRegisters(FaultyExport("CdeclExport"), sink, {}, result, kGetPluginVersion));
  EXPECT_EQ(result, 7);
  EXPECT_TRUE(sink.lines.empty());
}

TEST(Convention, WellBehavedCallAddsNothingAndKeepsRegisters) {
  BenchRegions regions;
  RecordedLines sink;
  int16_t result;
  EXPECT_TRUE(CallKeepingRegisters(FaultyExport("WellBehaved"), sink,
                                   regions.SizedTextSlots(100, 0), result));
  EXPECT_EQ(result, 16);
  EXPECT_TRUE(sink.lines.empty());
}

TEST(Convention, HandlerLeftLinkedByThePluginIsUnlinked) {
  BenchRegions regions;
  RecordedLines sink;
  int16_t result;
  EXPECT_TRUE(CallKeepingRegisters(FaultyExport("LeavesHandlerLinked"), sink,
                                   regions.SizedTextSlots(0, 1), result));
  EXPECT_EQ(result, 14);
  EXPECT_TRUE(sink.lines.empty());
  ExpectWellBehavedAnswers(regions);
}

TEST(Convention, FaultRecoveryKeepsRegisters) {
  BenchRegions regions;
  for (const char* name : {"NullWrite", "ThrowCpp", "RecurseForever"}) {
    SCOPED_TRACE(name);
    RecordedLines sink;
    int16_t result;
    EXPECT_FALSE(
        CallKeepingRegisters(FaultyExport(name), sink, regions.SizedTextSlots(0, 1), result));
    EXPECT_EQ(sink.lines.size(), 1u);
  }
}

}  // namespace
