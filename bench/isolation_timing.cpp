// The cost of running the check mode's cases in a worker process: the same --check run of the
// sample plugin (two keys over every key type, as a build's check step would give), isolated (the
// default) and --in-process, alternated.
#include <cstdio>

#include "bench/harness.h"
#include "win/scoped_win.h"

namespace {

// Runs the checker with its output thrown away; its wall time in seconds, or a negative time when
// it did not pass.
double TimedCheck(const BenchPaths& paths, const std::string& extra) {
  std::string commandLine = "\"" + paths.checkerProgram + "\" --check --plugin \"" + paths.samplePlugin +
                            "\" --list \"" + paths.sampleList + "\" --key 0BADF00D --key hoshi_no_umi.zip" + extra;
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  const FileHandle nul(CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                   OPEN_EXISTING, 0, nullptr));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = nul.get();
  startup.hStdError = nul.get();
  PROCESS_INFORMATION started = {};
  const double start = Now();
  const bool created = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &started);
  if (!created) return -1;
  const KernelHandle process(started.hProcess), thread(started.hThread);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process.get(), kChildTimeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.get(), &code);
  } else {
    TerminateProcess(process.get(), STILL_ACTIVE);
    WaitForSingleObject(process.get(), INFINITE);
  }
  const double elapsed = Now() - start;
  return code == 0 ? elapsed : -1;
}

}  // namespace

std::vector<TableRow> MeasureIsolation(const BenchPaths& paths, int pairs) {
  bool failed = false;
  auto side = [&](const char* extra) {
    return [&, extra] {
      const double seconds = TimedCheck(paths, extra);
      failed |= seconds < 0;
      return seconds < 0 ? 0 : seconds;
    };
  };
  const Comparison comparison = Alternate(pairs, side(""), side(" --in-process"));
  TableRow row;
  row.what = "Checker --check of the sample plugin, cases in a worker";
  row.sides = "isolated / --in-process";
  row.figures = FormatComparison(comparison, 1000, "ms") + (failed ? " A RUN FAILED" : "");
  row.goal = "< 1.50";
  row.met = !failed && comparison.ratio < 1.5;
  return {row};
}
