// Endurance: many requests in a row in the real window, driven from this process through window
// messages, with the process's handles, windows and private memory compared after the first 100
// requests and after the last.
#include <cstdio>

#include "bench/harness.h"
#include "bench/list_box_cost.h"
#include "checker/process_probe.h"
#include "drive/bench_driver.h"
#include "win/scoped_win.h"

namespace {

constexpr int kBaselineRequests = 100;
constexpr int kBatch = 50;  // clicks posted before waiting for them

// One request as the user sets it up; clicked many times over.
struct RequestSetup {
  const char* request;
  int keyTypeIndex;
  const char* key;
  const char* requestedLength;
};

// Every call pattern, all four key types, found and missing keys, a date warning and the
// requested-length override (smaller and larger than the text, and beyond 16 bits).
const RequestSetup kSetups[] = {
    {"GetTitle", 1, "0BADF00D", ""},
    {"GetYear", 0, "1A2B", ""},
    {"GetSaleDate", 2, "yume", ""},
    {"GetMaker", 3, "kaze.ZIP", ""},
    {"GetTitle", 1, "0BADF00D", "5"},
    {"GetPrice", 1, "FFFFFFFF", ""},
    {"GetPluginInfo", 1, "", ""},
    {"GetPluginVersion", 1, "", ""},
    {"GetImgNum", 2, "hoshi_no_umi", ""},
    {"GetMemo", 1, "1234abcd", "70000"},
};
constexpr int kSetupCount = sizeof kSetups / sizeof kSetups[0];

struct Snapshot {
  int handles = 0;
  int windows = 0;
  size_t privateBytes = 0;
  int lines = 0;
};

Snapshot Take(DWORD processId, HANDLE process, HWND resultList) {
  Snapshot snapshot;
  snapshot.handles = CountProcessHandles(processId);
  snapshot.windows = CountProcessWindows(processId);
  snapshot.privateBytes = PrivateBytes(process);
  DWORD_PTR lines = 0;
  SendMessageTimeoutA(resultList, LB_GETCOUNT, 0, 0, SMTO_NORMAL, e2e::kStepTimeoutMs, &lines);
  snapshot.lines = static_cast<int>(lines);
  return snapshot;
}

bool Configure(e2e::BenchProcess& bench, const RequestSetup& setup) {
  return bench.SelectText(RequestCombo, setup.request) &&
         bench.SelectIndex(KeyTypeCombo, setup.keyTypeIndex) && bench.SetText(TestKeyEdit, setup.key) &&
         bench.SetText(ReqLenEdit, setup.requestedLength);
}

// The UTF-16 lengths of the lines from `first` up to `end`.
std::vector<int> LineLengths(HWND resultList, int first, int end) {
  std::vector<int> lengths;
  for (int i = first; i < end; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(resultList, LB_GETTEXTLEN, i, 0, SMTO_NORMAL, e2e::kStepTimeoutMs, &length);
    lengths.push_back(static_cast<int>(length));
  }
  return lengths;
}

// The clicks of the round that starts after `done` requests: the first 100 in small rounds so
// that every setup runs before the baseline, then batches.
int ClicksInRound(int done, int requests) {
  const int clicks = done < kBaselineRequests ? kBaselineRequests / kSetupCount : kBatch;
  return clicks < requests - done ? clicks : requests - done;
}

// Clicks RunButton `clicks` times, then waits until every click has been handled.
bool ClickRun(e2e::BenchProcess& bench, int clicks) {
  const LPARAM button = reinterpret_cast<LPARAM>(bench.Control(RunButton));
  for (int i = 0; i < clicks; ++i) {
    if (!PostMessageA(bench.Window(), WM_COMMAND, MAKEWPARAM(RunButton, BN_CLICKED), button)) {
      return false;
    }
  }
  // A notification other than a click is ignored by the bench; the driver returns once it and
  // everything posted before it have been handled.
  return bench.Notify(RunButton, EN_CHANGE);
}

}  // namespace

std::vector<TableRow> MeasureEndurance(const BenchPaths& paths, int requests) {
  std::vector<TableRow> rows;
  e2e::BenchProcess bench;
  const std::string folder = DataFolder(paths, "endurance");
  DeleteFileA((folder + "\\QB2LPT.ini").c_str());
  if (!bench.Start(folder) || !bench.SetText(DatFileEdit, paths.sampleList) ||
      !bench.ClickThroughFileDialog(LoadButton, paths.samplePlugin).actionEnded) {
    std::fprintf(stderr, "the bench did not start or did not load the sample plugin\n");
    return rows;
  }
  // Hidden, a line costs the list box microseconds instead of a repaint each; the handles, windows
  // and memory that requests leave behind are the same.
  ShowWindow(bench.Window(), SW_HIDE);
  const KernelHandle process(
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, bench.ProcessId()));
  HWND resultList = bench.Control(ResultList);

  // The lengths of the lines one click of each setup adds, learnt on the first round; with the
  // lines held at the baseline they let a fresh process fill a list box the same way.
  std::vector<int> clickLengths[kSetupCount];
  HeldLines held;
  held.style = static_cast<DWORD>(GetWindowLongA(resultList, GWL_STYLE));
  int done = 0;
  bool ok = true;
  Snapshot baseline;
  const double start = Now();
  double baselineTime = 0;
  for (int round = 0; ok && done < requests; ++round) {
    const int setup = round % kSetupCount;
    const int count = ClicksInRound(done, requests);
    ok = Configure(bench, kSetups[setup]);
    const int linesBefore = ok ? Take(bench.ProcessId(), process.get(), resultList).lines : 0;
    ok = ok && ClickRun(bench, count);
    if (ok && round < kSetupCount) {
      const int linesAfter = Take(bench.ProcessId(), process.get(), resultList).lines;
      const int linesPerClick = (linesAfter - linesBefore) / count;
      clickLengths[setup] = LineLengths(resultList, linesAfter - linesPerClick, linesAfter);
    }
    done += count;
    if (ok && done == kBaselineRequests) {
      baseline = Take(bench.ProcessId(), process.get(), resultList);
      held.before = LineLengths(resultList, 0, baseline.lines);
      baselineTime = Now() - start;
    }
  }
  const double elapsed = Now() - start;
  const Snapshot last = Take(bench.ProcessId(), process.get(), resultList);
  for (int round = 0, counted = 0; counted < requests; ++round) {
    const int count = ClicksInRound(counted, requests);
    for (int click = 0; counted >= kBaselineRequests && click < count; ++click) {
      const std::vector<int>& lengths = clickLengths[round % kSetupCount];
      held.added.insert(held.added.end(), lengths.begin(), lengths.end());
    }
    counted += count;
  }
  const DWORD exitCode = bench.Close();

  // Replayed lines that do not add up to the list's real growth would make the share a guess.
  const bool linesMatch = int(held.before.size()) == baseline.lines &&
                          int(held.before.size() + held.added.size()) == last.lines;
  const std::string linesFile = folder + "\\list-box-lines.txt";
  const DWORD listBoxKiB =
      ok && linesMatch && WriteHeldLines(linesFile, held)
          ? RunProgram(paths.harness, "--list-box-cost \"" + linesFile + "\"", kChildTimeoutMs)
          : STILL_ACTIVE;
  const bool measured = listBoxKiB != STILL_ACTIVE;

  char figures[400];
  const double growthKiB = (double(last.privateBytes) - double(baseline.privateBytes)) / 1024;
  const double listBoxShareKiB = measured ? double(listBoxKiB) : 0;
  std::snprintf(figures, sizeof figures,
                "handles %d -> %d, windows %d -> %d, private %+.0f KiB raw, of which the list box "
                "holding the report lines %.0f KiB (measured with the same %d -> %d lines in a "
                "fresh process; their text alone %.0f KiB): %+.0f KiB; %.1f s for 100, %.0f s in all%s%s",
                baseline.handles, last.handles, baseline.windows, last.windows, growthKiB,
                listBoxShareKiB, baseline.lines, last.lines, double(TextBytes(held.added)) / 1024,
                growthKiB - listBoxShareKiB, baselineTime, elapsed,
                ok && exitCode == 0 ? "" : " RUN FAILED", measured ? "" : " LIST BOX NOT MEASURED");
  TableRow row;
  row.what = std::to_string(requests) + " requests in the hidden window (sample plugin, driven by messages)";
  row.sides = "after " + std::to_string(requests) + " / after 100";
  row.figures = figures;
  row.goal = "no handle or window growth; private growth less report lines <= 1024 KiB";
  row.met = ok && exitCode == 0 && measured && last.handles >= 0 &&
            last.handles <= baseline.handles && last.windows <= baseline.windows &&
            growthKiB - listBoxShareKiB <= 1024;
  rows.push_back(row);
  return rows;
}

DWORD ListBoxCostKiB(const std::string& linesFile) {
  HeldLines lines;
  if (!ReadHeldLines(linesFile, lines)) return STILL_ACTIVE;
  const long long growth = ListBoxGrowthBytes(lines);
  if (growth == -1) return STILL_ACTIVE;
  // Memory given back while lines were added subtracts nothing.
  return growth < 0 ? 0 : static_cast<DWORD>(growth / 1024);
}
