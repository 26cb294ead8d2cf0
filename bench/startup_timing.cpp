// Start-up: from process start until the window is ready (visible, its drop-down list filled and
// the message loop waiting), the bench against the minimal window program.
#include <cstdio>

#include "bench/harness.h"
#include "shell/controls.h"
#include "win/scoped_win.h"

namespace {

constexpr DWORD kTimeoutMs = 60000;

struct ReadyWindow {
  const char* className;
  int comboId;
  int comboEntries;
};

struct WindowSearch {
  DWORD processId;
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (owner != search->processId || lstrcmpA(name, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// The program's window once it is visible and its list holds its entries; null until then.
HWND ReadyWindowOf(DWORD processId, const ReadyWindow& ready) {
  WindowSearch search{processId, ready.className, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr || !IsWindowVisible(search.found)) return nullptr;
  DWORD_PTR entries = 0;
  if (!SendMessageTimeoutA(GetDlgItem(search.found, ready.comboId), CB_GETCOUNT, 0, 0,
                           SMTO_NORMAL, kTimeoutMs, &entries) ||
      static_cast<int>(entries) != ready.comboEntries) {
    return nullptr;
  }
  return search.found;
}

// Seconds from CreateProcess to a ready window; the program is closed again afterwards. A
// negative value when it never got ready.
double TimeStartUp(const std::string& program, const std::string& folder, const ReadyWindow& ready) {
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  const double start = Now();
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &started)) {
    return -1;
  }
  const KernelHandle thread(started.hThread);
  const KernelHandle process(started.hProcess);
  // Idle means the creation message has been handled and the loop waits for input.
  WaitForInputIdle(process.get(), kTimeoutMs);
  HWND window = nullptr;
  while ((window = ReadyWindowOf(started.dwProcessId, ready)) == nullptr &&
         WaitForSingleObject(process.get(), 1) == WAIT_TIMEOUT && Now() - start < 60) {
  }
  const double elapsed = Now() - start;
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.get(), kTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), STILL_ACTIVE);
    WaitForSingleObject(process.get(), kTimeoutMs);
  }
  return window ? elapsed : -1;
}

}  // namespace

std::vector<TableRow> MeasureStartUp(const BenchPaths& paths, int pairs) {
  const std::string folder = DataFolder(paths, "startup");
  const ReadyWindow bench{"NORMAL0", RequestCombo, 2};
  const ReadyWindow minimal{"BenchMinimalWindow", 1, 2};
  // One start first, so that the settings file exists as it does for a user, and both programs
  // are in the file cache.
  TimeStartUp(paths.benchProgram, folder, bench);
  TimeStartUp(paths.minimalProgram, folder, minimal);
  const Comparison comparison =
      Alternate(pairs, [&] { return TimeStartUp(paths.benchProgram, folder, bench); },
                [&] { return TimeStartUp(paths.minimalProgram, folder, minimal); });
  TableRow row;
  row.what = "Start-up until the window is ready";
  row.sides = "QB2LPT.exe / minimal window";
  row.figures = FormatComparison(comparison, 1000, "ms");
  row.goal = "<= 1.20";
  row.met = comparison.a.min > 0 && comparison.b.min > 0 && comparison.ratio <= 1.2;
  return {row};
}
