// Endurance: many requests in a row in the real window, driven from this process through window
// messages, with the process's handles, windows and private memory compared after the first 100
// requests and after the last.
#include <cstdio>

#include "bench/harness.h"
#include "bench/process_probe.h"
#include "tests/e2e/bench_driver.h"

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

// The bytes the list box keeps for the last `count` lines: their UTF-16 text and terminator.
size_t HeldBytesOfLastLines(HWND resultList, int total, int count) {
  size_t bytes = 0;
  for (int i = total - count; i < total; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(resultList, LB_GETTEXTLEN, i, 0, SMTO_NORMAL, e2e::kStepTimeoutMs, &length);
    bytes += (length + 1) * sizeof(wchar_t);
  }
  return bytes;
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
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, bench.ProcessId());
  HWND resultList = bench.Control(ResultList);

  // Lines per click of each setup, learnt on the first round, to tell the report's own growth.
  size_t heldBytesPerClick[kSetupCount] = {};
  int done = 0;
  bool ok = true;
  Snapshot baseline;
  const double start = Now();
  double baselineTime = 0;
  for (int round = 0; ok && done < requests; ++round) {
    const int setup = round % kSetupCount;
    const int clicks = done < kBaselineRequests ? kBaselineRequests / kSetupCount : kBatch;
    const int count = clicks < requests - done ? clicks : requests - done;
    ok = Configure(bench, kSetups[setup]);
    const int linesBefore = ok ? Take(bench.ProcessId(), process, resultList).lines : 0;
    ok = ok && ClickRun(bench, count);
    if (ok && round < kSetupCount) {
      const int added = Take(bench.ProcessId(), process, resultList).lines - linesBefore;
      heldBytesPerClick[setup] = HeldBytesOfLastLines(resultList, linesBefore + added, added) / count;
    }
    done += count;
    if (done == kBaselineRequests) {
      baseline = Take(bench.ProcessId(), process, resultList);
      baselineTime = Now() - start;
    }
  }
  const double elapsed = Now() - start;
  const Snapshot last = Take(bench.ProcessId(), process, resultList);
  size_t reportBytes = 0;
  for (int round = 0, counted = 0; counted < requests; ++round) {
    const int clicks = counted < kBaselineRequests ? kBaselineRequests / kSetupCount : kBatch;
    const int count = clicks < requests - counted ? clicks : requests - counted;
    if (counted >= kBaselineRequests) reportBytes += heldBytesPerClick[round % kSetupCount] * count;
    counted += count;
  }
  const DWORD exitCode = bench.Close();
  if (process) CloseHandle(process);

  char figures[300];
  const double growthKiB = (double(last.privateBytes) - double(baseline.privateBytes)) / 1024;
  const double reportKiB = double(reportBytes) / 1024;
  std::snprintf(figures, sizeof figures,
                "handles %d -> %d, windows %d -> %d, private %+.0f KiB of which report lines "
                "%.0f KiB (%d -> %d lines): %+.0f KiB; %.1f s for 100, %.0f s in all%s",
                baseline.handles, last.handles, baseline.windows, last.windows, growthKiB,
                reportKiB, baseline.lines, last.lines, growthKiB - reportKiB, baselineTime, elapsed,
                ok && exitCode == 0 ? "" : " RUN FAILED");
  TableRow row;
  row.what = std::to_string(requests) + " requests in the hidden window (sample plugin, driven by messages)";
  row.sides = "after " + std::to_string(requests) + " / after 100";
  row.figures = figures;
  row.goal = "no handle or window growth; private growth less report lines <= 1024 KiB";
  row.met = ok && exitCode == 0 && last.handles >= 0 && last.handles <= baseline.handles &&
            last.windows <= baseline.windows && growthKiB - reportKiB <= 1024;
  rows.push_back(row);
  return rows;
}
