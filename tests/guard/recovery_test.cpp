// The bench goes on after faults: a well-behaved plugin sees no difference, every fault is
// recovered from however often it comes, and nothing leaks.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <cstring>

#include "plugin/plugin_call.h"
#include "tests/guard/guard_fixture.h"
#include "tests/guard/process_usage.h"

namespace {

using SignalHandler = void(__cdecl*)(int);
using SizedText = short(__stdcall*)(const char*, const char*, short, char**, unsigned short);

TEST(Recovery, WellBehavedCallAnswersAsWhenCalledDirectly) {
  BenchRegions regions;
  auto direct = reinterpret_cast<SizedText>(FaultyExport("WellBehaved"));
  char* buffer = regions.Buffer();
  for (int16_t keyType : {0, 16, 100, 101, -1, -32768}) {
    SCOPED_TRACE(keyType);
    RecordedLines sink;
    int16_t guarded = 0;
    std::memset(buffer, 0, BenchRegions::kBufferSize);
    ASSERT_TRUE(CallThroughGuard(FaultyExport("WellBehaved"), sink,
                                 regions.SizedTextSlots(keyType, BenchRegions::kBufferSize),
                                 guarded));
    const std::string guardedText = buffer;
    std::memset(buffer, 0, BenchRegions::kBufferSize);
    EXPECT_EQ(guarded, direct(BenchRegions::kListText, BenchRegions::kKeyText, keyType, &buffer,
                              BenchRegions::kBufferSize));
    EXPECT_EQ(guardedText, buffer);
    EXPECT_TRUE(sink.lines.empty());
  }
}

TEST(Recovery, ExceptionsThePluginHandlesItselfAreNoFault) {
  BenchRegions regions;
  const struct {
    const char* name;
    int16_t result;
  } handled[] = {{"CatchesOwnThrow", 5}, {"PrintsDebugString", 3}};
  for (const auto& h : handled) {
    SCOPED_TRACE(h.name);
    RecordedLines sink;
    int16_t result = 0;
    EXPECT_TRUE(CallThroughGuard(FaultyExport(h.name), sink, regions.SizedTextSlots(0, 1), result));
    EXPECT_EQ(result, h.result);
    EXPECT_TRUE(sink.lines.empty());
  }
}

TEST(Recovery, StackOverflowsInARowAreEachSurvived) {
  BenchRegions regions;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    RecordedLines sink;
    int16_t result;
    EXPECT_FALSE(CallThroughGuard(FaultyExport("RecurseForever"), sink,
                                  regions.SizedTextSlots(0, 1), result));
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_NE(sink.lines[0].find("C00000FD"), std::string::npos) << sink.lines[0];
  }
  ExpectWellBehavedAnswers(regions);
}

// One round of every kind of fault, each expected to be abandoned with one line.
void FaultOnceOfEachKind(BenchRegions& regions) {
  static const char* const kFaulting[] = {
      "NullWrite",      "CallNull",     "WriteListData",      "WriteKey",   "WritePastBuffer",
      "ReadPastBuffer", "DivideByZero", "IllegalInstruction", "Breakpoint", "FpuStackThenFault",
      "StrcpyIntoKey",  "ThrowCpp",     "RecurseForever"};
  for (const char* name : kFaulting) {
    RecordedLines sink;
    int16_t result;
    ASSERT_FALSE(CallThroughGuard(FaultyExport(name), sink,
                                  regions.SizedTextSlots(0, BenchRegions::kBufferSize), result))
        << name;
    ASSERT_EQ(sink.lines.size(), 1u) << name;
  }
  RecordedLines sink;
  int16_t result;
  ASSERT_FALSE(CallThroughGuard(FaultyExport("RaiseCode"), sink, {0xE06D7363}, result));
  ASSERT_EQ(sink.lines.size(), 1u);
}

TEST(Recovery, RepeatedFaultsRecoverEveryTimeAndLeakNothing) {
  BenchRegions regions;
  // The first round commits the stack that the overflow reaches and lets every library settle.
  FaultOnceOfEachKind(regions);
  const int handles = CountProcessHandles();
  const size_t memory = PrivateBytes();
  ASSERT_GT(handles, 0);
  ASSERT_GT(memory, 0u);

  for (int round = 0; round < 200; ++round) {
    RecordedLines sink;
    int16_t result;
    ASSERT_FALSE(
        CallThroughGuard(FaultyExport("NullWrite"), sink, regions.SizedTextSlots(0, 1), result))
        << round;
    ASSERT_EQ(sink.lines.size(), 1u) << round;
  }
  for (int round = 0; round < 15; ++round) FaultOnceOfEachKind(regions);
  ExpectWellBehavedAnswers(regions);

  EXPECT_EQ(CountProcessHandles(), handles);
  // Each uncaught g++ throw leaves its exception object behind in the plugin's heap (a few
  // hundred bytes); anything near a page per fault would be a leak of the guard itself.
  EXPECT_LT(PrivateBytes(), memory + 256 * 1024) << "grew by " << PrivateBytes() - memory;
}

void __cdecl TestAbortHandler(int) {}

TEST(Recovery, CallerAbortHandlingAndErrorModeAreKept) {
  BenchRegions regions;
  const SignalHandler outer = signal(SIGABRT, TestAbortHandler);
  const int errorMode = _set_error_mode(_REPORT_ERRMODE);
  for (const char* name : {"ThrowCpp", "WellBehaved"}) {
    SCOPED_TRACE(name);
    RecordedLines sink;
    int16_t result;
    CallThroughGuard(FaultyExport(name), sink, regions.SizedTextSlots(0, 1), result);
    EXPECT_EQ(signal(SIGABRT, TestAbortHandler), TestAbortHandler);
    EXPECT_EQ(_set_error_mode(_REPORT_ERRMODE), errorMode);
  }
  signal(SIGABRT, outer);
}

struct ControlState {
  uint16_t fpuControl;
  uint32_t mxcsr;
  uint32_t flags;
};

ControlState ReadControlState() {
  ControlState state;
  asm volatile("fnstcw %0\n\tstmxcsr %1\n\tpushfl\n\tpopl %2"
               : "=m"(state.fpuControl), "=m"(state.mxcsr), "=r"(state.flags));
  return state;
}

constexpr uint32_t kDirectionFlag = 0x400;

TEST(Recovery, FloatingPointControlsAndDirectionFlagAreKept) {
  BenchRegions regions;
  const ControlState before = ReadControlState();
  RecordedLines sink;
  int16_t result;
  EXPECT_TRUE(CallThroughGuard(FaultyExport("DisturbControlState"), sink,
                               regions.SizedTextSlots(0, 1), result));
  const ControlState after = ReadControlState();
  EXPECT_EQ(result, 13);
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_EQ(after.fpuControl, before.fpuControl);
  EXPECT_EQ(after.mxcsr, before.mxcsr);
  EXPECT_EQ(after.flags & kDirectionFlag, 0u);
}

TEST(Recovery, FaultLeavesTheX87StackEmpty) {
  BenchRegions regions;
  RecordedLines sink;
  int16_t result;
  EXPECT_FALSE(CallThroughGuard(FaultyExport("FpuStackThenFault"), sink,
                                regions.SizedTextSlots(0, 1), result));
  uint16_t environment[14];  // control, status, tag words and the rest, 32-bit protected form
  asm volatile("fnstenv %0\n\tfldenv %0" : "=m"(environment));
  EXPECT_EQ(environment[4], 0xFFFF);  // every register tagged empty
}

}  // namespace
