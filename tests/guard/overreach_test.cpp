// A plugin that reaches past its call: a request to end the process fails only the call that made
// it, calls nest however they end, and a release survives detach code that faults.
#include <gtest/gtest.h>

#include "plugin/guarded_load.h"
#include "plugin/plugin_call.h"
#include "tests/guard/guard_fixture.h"

namespace {

// Loaded as the bench loads a plugin, so that its ways out are intercepted.
void* OverreachingExport(const char* name) {
  static LoadFault fault;
  static HMODULE module = GuardedLoadLibrary("overreaching.dll", fault);
  return reinterpret_cast<void*>(GetProcAddress(module, name));
}

TEST(ProcessEnd, EachWayOutFailsOnlyTheCallThatTookIt) {
  BenchRegions regions;
  const struct {
    int exportIndex;
    const char* request;
  } kWaysOut[] = {{kGetMaker, "ExitProcess(0)"},
                  {kGetPrice, "TerminateProcess(自プロセス, 0)"},
                  {kGetCountry, "TerminateProcess(自プロセス, 3)"},
                  {kGetGenre, "exit(0)"},
                  {kGetCreator, "_exit(5)"},
                  {kGetMediaInfo, "ExitProcess(0)"}};
  for (const auto& way : kWaysOut) {
    const std::string name = kExports[way.exportIndex].name;
    RecordedLines sink;
    int16_t result;
    EXPECT_FALSE(CallThroughGuard(OverreachingExport(name.c_str()), sink,
                                  regions.SizedTextSlots(0, 0), result, way.exportIndex));
    EXPECT_EQ(sink.lines,
              std::vector<std::string>{
                  std::string("エラー：プラグインの呼び出し中にプロセスの終了 (") + way.request +
                  ") が要求されました (" + name + ")：終了させずに呼び出しを打ち切りました"});
    ExpectWellBehavedAnswers(regions);
  }
}

// A call made from inside another (the plugin runs the bench's code), and whether it came back.
struct InnerCall {
  void* entry;
  BenchRegions* regions;
  bool returned;
  bool raiseAfter;  // then raise an exception in the outer call
};

void MakeInnerCall(void* context) {
  InnerCall& inner = *static_cast<InnerCall*>(context);
  RecordedLines sink;
  int16_t result;
  inner.returned =
      CallThroughGuard(inner.entry, sink, inner.regions->SizedTextSlots(0, 1), result, kGetMaker);
  EXPECT_EQ(sink.lines.size(), inner.returned ? 0u : 1u);
  if (inner.raiseAfter) RaiseException(0xE0000001, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

TEST(NestedCalls, EachCallEndsWithItsOwnFrameHoweverTheOtherEnds) {
  BenchRegions regions;
  const struct {
    void* inner;
    bool innerReturns;
    bool raiseAfter;
  } kCases[] = {
      {FaultyExport("WellBehaved"), true, false}, {FaultyExport("NullWrite"), false, false},
      {FaultyExport("ThrowCpp"), false, false},   {OverreachingExport("GetMaker"), false, false},
      {FaultyExport("WellBehaved"), true, true},  {FaultyExport("NullWrite"), false, true}};
  for (const auto& c : kCases) {
    InnerCall inner{c.inner, &regions, !c.innerReturns, c.raiseAfter};
    RecordedLines sink;
    int16_t result = 0;
    const bool returned = CallThroughGuard(
        OverreachingExport("CallsBack"), sink,
        {PointerSlot(reinterpret_cast<void*>(&MakeInnerCall)), PointerSlot(&inner), 0, 0, 0},
        result);
    EXPECT_EQ(inner.returned, c.innerReturns);
    EXPECT_EQ(returned, !c.raiseAfter);
    EXPECT_EQ(result, c.raiseAfter ? 0 : 7);
    EXPECT_EQ(sink.lines.size(), c.raiseAfter ? 1u : 0u);
  }
  ExpectWellBehavedAnswers(regions);
}

TEST(GuardedRelease, DetachCodeThatFaultsAndExceptionsThatLeaveTheSystemEndOnlyTheRelease) {
  LoadFault fault;
  HMODULE module = GuardedLoadLibrary("faultdetach.dll", fault);
  ASSERT_NE(module, nullptr);
  GuardedFreeLibrary(module, fault);  // the system may handle the fault itself, as while loading
  // What the system lets out ends its work: the handler chain is as before.
  void* chain[2];
  asm volatile("movl %%fs:0, %0" : "=r"(chain[0]));
  FaultRecord raised;
  EXPECT_FALSE(CallUnwindingOnFault(FaultyExport("RaiseCode"), 0xE0000002, raised));
  asm volatile("movl %%fs:0, %0" : "=r"(chain[1]));
  EXPECT_EQ(raised.code, 0xE0000002u);
  EXPECT_EQ(chain[1], chain[0]);
  BenchRegions regions;
  ExpectWellBehavedAnswers(regions);
}

}  // namespace
