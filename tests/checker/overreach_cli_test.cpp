// The checker and a plugin that reaches past its calls: ending the process fails the run in every
// mode, and start-up code that faults is named as the window's loader names it.
#include <gtest/gtest.h>

#include <cstdio>

#include "plugin/guarded_load.h"
#include "tests/checker/checker_process.h"

namespace {

std::vector<std::string> Args(const char* plugin, std::vector<std::string> more = {}) {
  std::vector<std::string> args = {
      "--plugin", TestPath(plugin), "--list", ScratchFile("any.txt", "any list\n"), "--key", "k"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(OverreachCli, EndingTheProcessFailsTheRunInEveryMode) {
  for (const std::vector<std::string>& mode :
       {std::vector<std::string>{}, {"--check"}, {"--fuzz", "3", "--seed", "1"}, {"--json"}}) {
    std::vector<std::string> more = {"--request", "GetMaker"};
    more.insert(more.end(), mode.begin(), mode.end());
    const CheckerResult run = RunChecker(Args("overreaching.dll", more));
    EXPECT_EQ(run.exitCode, 1u) << run.out << run.err;
    const std::string said = run.out + run.err;  // UTF-8: only the ASCII parts are compared
    EXPECT_NE(said.find("(ExitProcess(0))"), std::string::npos) << said;
    EXPECT_NE(said.find("(GetMaker)"), std::string::npos) << said;
  }
  // From its DllMain, where no call can be abandoned, the process still ends with exit code 1.
  const CheckerResult run = RunChecker(Args("exitinit.dll"));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"exitinit.dll ended the process", "(ExitProcess(0))"}))
      << run.err;
}

TEST(OverreachCli, AFaultingDllMainIsNamedByExceptionAndPlace) {
  LoadFault fault;
  ASSERT_EQ(GuardedLoadLibrary("faultinit.dll", fault), nullptr);
  ASSERT_TRUE(fault.happened);
  char named[kPlaceSize + 40];
  std::snprintf(named, sizeof named, "faulted with exception %08X at %s",
                static_cast<unsigned>(fault.record.code), fault.place);
  const CheckerResult run = RunChecker(Args("faultinit.dll"));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"faultinit.dll cannot be loaded", named})) << run.err;
}

}  // namespace
