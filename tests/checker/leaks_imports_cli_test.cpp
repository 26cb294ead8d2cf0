// What a plugin leaves behind over many requests, and the imported functions it must never call.
#include <gtest/gtest.h>

#include "tests/checker/checker_process.h"

namespace {

std::vector<std::string> LeakyArgs(std::vector<std::string> more) {
  std::vector<std::string> args = {"--plugin", TestPath("leaky_plugin.dll"), "--list",
                                   ScratchFile("leaky-list.txt", "list data\n"), "--key", "k"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(LeaksCli, EachLeakIsNamedWithItsExportAndGrowthPerRequest) {
  const CheckerResult run = RunChecker(LeakyArgs({"--leaks", "100", "--request", "GetTitle",
                                                  "--request", "GetMaker", "--request",
                                                  "GetPluginVersion"}));
  EXPECT_EQ(run.exitCode, 1u) << run.out << run.err;
  const std::vector<std::string> lines = run.OutLines();
  EXPECT_TRUE(AnyLineHas(lines, {"FAIL GetTitle key=k key-type=crc32: leaks 1.00 handle per request "
                                 "(90 requests measured: handles +90,"}))
      << run.out;
  // 8 KiB a request, as the heap commits it: in steps of whole pages.
  EXPECT_TRUE(AnyLineHas(lines, {"FAIL GetMaker key=k key-type=crc32: leaks ", " KiB of private "
                                 "memory per request (90 requests measured: handles +0,"}))
      << run.out;
  EXPECT_TRUE(AnyLineHas(lines, {"PASS GetPluginVersion: no leak (90 requests measured: handles +0"}))
      << run.out;
  EXPECT_EQ(lines.back(), "FAIL 1 passed, 2 failed (300 requests)");
}

TEST(LeaksCli, TheSamplePluginLeavesNothingAndUnmeasuredCountersAreNamed) {
  const CheckerResult run = RunChecker({"--leaks", "100", "--plugin", "..\\plugins\\sample.dll",
                                        "--list", "..\\run\\sample-list.txt", "--key", "1A2B"});
  EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(run.OutLines().back(), "PASS 24 passed, 0 failed (2400 requests)");
  // Wine counts neither kind of object; Windows does.
  SetLastError(ERROR_SUCCESS);
  const bool counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0 ||
                       GetLastError() == ERROR_SUCCESS;
  EXPECT_EQ(run.OutLines().front() ==
                "note: GDI objects and USER objects could not be measured on this platform",
            !counted)
      << run.out;
}

TEST(ImportsCli, WindowAndProcessEndImportsWarnAndFailUnderStrict) {
  const CheckerResult warned = RunChecker(LeakyArgs({"--check", "--request", "GetPluginVersion"}));
  EXPECT_EQ(warned.exitCode, 0u) << warned.out;
  const std::vector<std::string> expected = {
      "USER32.dll!MessageBoxA shows a message box; a plugin runs inside a batch renamer and must "
      "never show a window",
      "KERNEL32.dll!ExitProcess ends the process; a plugin runs inside a batch renamer, whose whole "
      "run this would end: return an error code instead"};
  for (const std::string& finding : expected) {
    EXPECT_TRUE(AnyLineHas(warned.OutLines(), {"WARN imports: " + finding})) << warned.out;
  }
  // The C runtime's own abort, in every plugin that MinGW-w64 builds, is not the plugin's doing.
  EXPECT_FALSE(AnyLineHas(warned.OutLines(), {"abort"})) << warned.out;

  const CheckerResult strict =
      RunChecker(LeakyArgs({"--check", "--strict", "--request", "GetPluginVersion"}));
  EXPECT_EQ(strict.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(strict.OutLines(), {"FAIL (--strict) imports: " + expected[0]})) << strict.out;

  const CheckerResult sample = RunChecker({"--check", "--strict", "--plugin",
                                           "..\\plugins\\sample.dll", "--request", "GetPluginVersion"});
  EXPECT_EQ(sample.exitCode, 0u) << sample.out;
  EXPECT_FALSE(AnyLineHas(sample.OutLines(), {"imports"})) << sample.out;
}

}  // namespace
