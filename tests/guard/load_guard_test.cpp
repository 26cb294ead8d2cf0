// Loading a library whose start-up code faults: the load fails as before, and the fault line says
// where the start-up code faulted.
#include <gtest/gtest.h>

#include <cstdio>

#include "plugin/guarded_load.h"
#include "tests/guard/guard_fixture.h"
#include "tests/guard/process_usage.h"

namespace {

// "faultinit.dll+0x14B7" for the instruction at which faultinit.dll's start-up code faults, found
// by mapping the library without running that code.
std::string InitFaultPlace() {
  const LibraryModule mapped(
      LoadLibraryExA("faultinit.dll", nullptr, DONT_RESOLVE_DLL_REFERENCES));
  const auto site = reinterpret_cast<uintptr_t>(GetProcAddress(mapped.get(), "InitFaultSite"));
  char place[64];
  std::snprintf(place, sizeof place, "faultinit.dll+0x%X",
                static_cast<unsigned>(site - reinterpret_cast<uintptr_t>(mapped.get())));
  return place;
}

TEST(GuardedLoad, FaultingStartUpIsNamedAfterTheFailedLoad) {
  const PlatformFault platform = ProbePlatform("NullWrite", "NullWriteSite");
  LoadFault fault;
  EXPECT_EQ(GuardedLoadLibrary("faultinit.dll", fault), nullptr);
  ASSERT_TRUE(fault.happened);
  EXPECT_EQ(ReportLine(StartupFaulted{&fault}),
            "エラー：DLL の初期化中に例外 " + NamedCode(platform.code) + " が発生しました (" +
                InitFaultPlace() + ")" +
                (platform.hasAccess ? "：ヌルポインタ付近のアドレス 0x00000000 に書き込みました"
                                    : ""));
}

TEST(GuardedLoad, LoadsThatDidNotFaultAddNothing) {
  const struct {
    const char* path;
    bool loads;
    DWORD error;
  } loads[] = {
      {"faulty.dll", true, 0},                           // start-up handles an exception and loads
      {"refuseinit.dll", false, ERROR_DLL_INIT_FAILED},  // handles one and refuses
      {"no-such-plugin.dll", false, ERROR_MOD_NOT_FOUND},
  };
  for (const auto& l : loads) {
    SCOPED_TRACE(l.path);
    LoadFault fault;
    const LibraryModule module(GuardedLoadLibrary(l.path, fault));
    const DWORD error = GetLastError();
    EXPECT_EQ(module.IsValid(), l.loads);
    if (!l.loads) {
      EXPECT_EQ(error, l.error);
    }
    EXPECT_FALSE(fault.happened);
  }
}

TEST(GuardedLoad, RepeatedFaultingLoadsLeakNothing) {
  LoadFault fault;
  GuardedLoadLibrary("faultinit.dll", fault);
  const int handles = CountProcessHandles();
  for (int round = 0; round < 50; ++round) {
    ASSERT_EQ(GuardedLoadLibrary("faultinit.dll", fault), nullptr);
    ASSERT_TRUE(fault.happened);
  }
  EXPECT_EQ(CountProcessHandles(), handles);
  // The watch ends with the load: a fault of a later guarded call is reported by the call alone.
  BenchRegions regions;
  RecordedLines sink;
  int16_t result;
  fault.happened = false;
  EXPECT_FALSE(
      CallThroughGuard(FaultyExport("NullWrite"), sink, regions.SizedTextSlots(0, 1), result));
  EXPECT_FALSE(fault.happened);
}

}  // namespace
