// The cost of a request that appends two lines to a long ResultList against a short one. The
// bench's own window code runs in this process: two main windows, one holding 100 lines and one
// holding 100,000, with Shell.mainWindow pointed at the one a request is timed in.
#include <cstdio>

#include "bench/harness.h"
#include "plugin/loader.h"
#include "shell/actions.h"
#include "shell/controls.h"
#include "shell/main_window.h"

namespace {

constexpr int kShortList = 100;
constexpr int kLongList = 100000;

class DiscardingReport final : public LoadReport {
 public:
  void Report(const LoadEvent&) override {}
};

int LineCount(HWND window) {
  return static_cast<int>(SendDlgItemMessageA(window, ResultList, LB_GETCOUNT, 0, 0));
}

// A main window with GetYear selected for a key the sample list holds (two lines a run), and
// `lines` lines in ResultList.
HWND PreparedWindow(const BenchPaths& paths, int lines) {
  HWND window = CreateMainWindow(GetModuleHandleA(nullptr));
  if (window == nullptr) return nullptr;
  ShowWindow(window, SW_HIDE);
  Shell.mainWindow = window;
  RefillRequestList();
  const LRESULT getYear = SendDlgItemMessageA(window, RequestCombo, CB_FINDSTRINGEXACT,
                                              static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>("GetYear"));
  SendDlgItemMessageA(window, RequestCombo, CB_SETCURSEL, getYear, 0);
  SendDlgItemMessageA(window, KeyTypeCombo, CB_SETCURSEL, 1, 0);
  SetControlText(DatFileEdit, paths.sampleList.c_str());
  SetControlText(TestKeyEdit, "0BADF00D");
  char line[64];
  for (int i = LineCount(window); i < lines; ++i) {
    std::snprintf(line, sizeof line, "line %d of the report list", i);
    AppendResultLine(line);
  }
  return window;
}

// Seconds for one request in `window`; sets `appended` to the lines it added.
double TimeRequestIn(HWND window, int& appended) {
  Shell.mainWindow = window;
  const int before = LineCount(window);
  const double start = Now();
  OnRunClicked();
  const double elapsed = Now() - start;
  appended = LineCount(window) - before;
  return elapsed;
}

TableRow CompareLists(HWND longList, HWND shortList, int pairs, const char* shown) {
  bool twoLines = true;
  const Comparison comparison = Alternate(
      pairs,
      [&] {
        int appended = 0;
        const double elapsed = TimeRequestIn(longList, appended);
        twoLines &= appended == 2;
        return elapsed;
      },
      [&] {
        int appended = 0;
        const double elapsed = TimeRequestIn(shortList, appended);
        twoLines &= appended == 2;
        return elapsed;
      });
  TableRow row;
  row.what = std::string("Request appending 2 lines, window ") + shown + " (in-process)";
  row.sides = "100,000 lines / 100 lines";
  row.figures = FormatComparison(comparison, 1000, "ms") + (twoLines ? "" : " NOT 2 LINES");
  row.goal = "<= 1.50";
  row.met = twoLines && comparison.ratio <= 1.5;
  return row;
}

}  // namespace

std::vector<TableRow> MeasureListGrowth(const BenchPaths& paths, int pairs) {
  std::vector<TableRow> rows;
  CreateDrawingResources();
  FixStartPaths();
  DiscardingReport sink;
  if (!RegisterMainWindowClass(GetModuleHandleA(nullptr)) ||
      !LoadPluginLibrary(sink, paths.samplePlugin.c_str())) {
    std::fprintf(stderr, "no main window class, or the sample plugin did not load\n");
    ReleasePlugin();
    ReleaseDrawingResources();
    return rows;
  }
  HWND shortList = PreparedWindow(paths, kShortList);
  HWND longList = PreparedWindow(paths, kLongList);
  if (shortList && longList) {
    rows.push_back(CompareLists(longList, shortList, pairs, "hidden"));
    ShowWindow(shortList, SW_SHOWNA);
    ShowWindow(longList, SW_SHOWNA);
    TableRow shown = CompareLists(longList, shortList, pairs, "shown");
    shown.goal = "(for reference)";
    shown.met = true;
    rows.push_back(shown);
  }
  // Destroying a main window shuts the bench down: the plugin and the drawing resources go, the
  // settings are saved in this process's folder and a quit message is posted.
  if (shortList) DestroyWindow(shortList);
  if (longList) DestroyWindow(longList);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
  return rows;
}
