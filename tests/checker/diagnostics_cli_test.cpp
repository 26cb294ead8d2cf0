// What the checker says about a plugin that the host cannot use, and about bad usage: one line
// with the fix, and the documented exit code.
#include <gtest/gtest.h>

#include "tests/checker/checker_process.h"

namespace {

std::string AnyList() { return ScratchFile("any.txt", "any list\n"); }

TEST(DiagnosticsCli, DecoratedExportNamesAreNamedWithTheFix) {
  const CheckerResult run =
      RunChecker({"--plugin", TestPath("decorated_plugin.dll"), "--list", AnyList(), "--key", "k"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"decorated_plugin.dll exports", "GetTitle@20",
                                          "GetPluginVersion@0", ".def", "-Wl,--kill-at"}))
      << run.err;
  // The cdecl export keeps its plain name and still runs.
  EXPECT_TRUE(AnyLineHas(run.OutLines(), {"...GetImgNum -> OK"}));
}

TEST(DiagnosticsCli, WrongLetterCaseIsNamed) {
  const CheckerResult run =
      RunChecker({"--plugin", TestPath("no_exports_plugin.dll"), "--list", AnyList(), "--key", "k"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"getyear", "case-sensitive", "GetYear"})) << run.err;
}

TEST(DiagnosticsCli, UnusablePluginFilesAreBadInput) {
  const struct {
    std::string plugin;
    std::vector<std::string> said;
  } kCases[] = {
      {TestPath("plugin64.dll"), {"plugin64.dll is built for x64", "32-bit x86"}},
      {TestPath("not_a_library.qbd"), {"not_a_library.qbd is not a Windows DLL"}},
      {"..\\QB2LPT.exe", {"QB2LPT.exe is a program, not a DLL", "-shared"}},
  };
  for (const auto& c : kCases) {
    const CheckerResult run = RunChecker({"--plugin", c.plugin, "--list", AnyList(), "--key", "k"});
    EXPECT_EQ(run.exitCode, 2u) << c.plugin;
    EXPECT_TRUE(AnyLineHas(run.ErrLines(), c.said)) << run.err;
    EXPECT_TRUE(run.out.empty()) << c.plugin;
  }
}

TEST(DiagnosticsCli, AMissingDependencyIsNamedWithTheFix) {
  const CheckerResult run = RunChecker({"--plugin", TestPath("needs_missing_dll.dll"), "--list",
                                        AnyList(), "--key", "k", "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.OutLines(), (std::vector<std::string>{"DLL解放", "DLLロード -> NG"}));
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"needs missing_helper.dll", "cannot be found", "-static"}))
      << run.err;
}

TEST(DiagnosticsCli, UsageErrorsExitTwoWithAClearMessage) {
  const std::string list = AnyList();
  const std::string plugin = "..\\plugins\\sample.dll";
  const struct {
    std::vector<std::string> args;
    const char* said;
  } kCases[] = {
      {{}, "--plugin FILE is required"},
      {{"--plugin", plugin, "--key", "k"}, "--list FILE is required"},
      {{"--plugin", plugin, "--list", list}, "--key TEXT is required"},
      {{"--plugin", plugin, "--list", list, "--key", "k", "--colour"}, "unknown option \"--colour\""},
      {{"--plugin", plugin, "--list", list, "--key"}, "--key needs a value"},
      {{"--plugin", plugin, "--list", list, "--key", "k", "--key-type", "md5"}, "unknown key type \"md5\""},
      {{"--plugin", plugin, "--list", list, "--key", "k", "--request", "GetName"}, "\"GetName\" is not one of the 24"},
      {{"--plugin", plugin, "--list", list, "--key", "k", "--fuzz", "0"}, "--fuzz needs a count"},
      {{"--plugin", plugin, "--list", list, "--key", "k", "--timeout", "soon"}, "--timeout needs a number"},
      {{"--plugin", plugin, "--list", list, "--key", "k", "--check", "--fuzz", "3"}, "cannot be combined"},
      {{"--plugin", "no_such.dll", "--list", list, "--key", "k"}, "\"no_such.dll\" does not exist"},
      {{"--plugin", plugin, "--list", "no_such.txt", "--key", "k"}, "\"no_such.txt\" does not exist"},
      {{"--plugin", plugin, "--expect", "no_such.vectors"}, "\"no_such.vectors\" does not exist"},
  };
  for (const auto& c : kCases) {
    const CheckerResult run = RunChecker(c.args);
    EXPECT_EQ(run.exitCode, 2u) << c.said;
    EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"QB2LPTCheck: ", c.said})) << c.said << "\n" << run.err;
    EXPECT_TRUE(run.out.empty()) << c.said;
  }
}

TEST(DiagnosticsCli, HelpPrintsTheUsageAndExitsZero) {
  const CheckerResult run = RunChecker({"--help"});
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(AnyLineHas(run.OutLines(), {"Usage: QB2LPTCheck --plugin FILE"}));
}

}  // namespace
