// A request's cost as the list data grows, its peak memory, and the sample plugin's scan. The
// request runs in this process through the runner's bench seam (RunRequest with a bench that has
// no window), loaded with the real loader.
#include <cstdio>
#include <cstring>

#include "bench/bare_read.h"
#include "bench/harness.h"
#include "bench/list_file.h"
#include "checker/process_probe.h"
#include "plugin/loader.h"
#include "request/report_lines.h"
#include "request/run_request.h"
#include "win/scoped_win.h"

namespace {

constexpr int kTimedSizesMiB[] = {1, 64, 256};

// The inputs of one GetTitle request for a key that no list holds; the report lines are rendered,
// as the window renders them, and counted. A load's steps are not.
class QuietBench final : public RequestBench, public LoadReport {
 public:
  explicit QuietBench(const std::string& listDataFile) : listDataFile_(listDataFile) {}

  void Report(const RunEvent& event) override { lines += !ReportLine(event).empty(); }
  void Report(const LoadEvent&) override {}
  std::optional<KeyType> SelectedKeyType() override { return KeyType::Crc32; }
  void ReadRequestName(char* name, int capacity) override { Copy("GetTitle", name, capacity); }
  void ReadListDataFilePath(char* text, int limit) override {
    Copy(listDataFile_.c_str(), text, limit);
  }
  void ReadTestKey(char* text, int limit) override { Copy(kAbsentCrc32Key, text, limit); }
  void ReadRequestedLength(char* text, int limit) override { Copy("", text, limit); }

  int lines = 0;

 private:
  static void Copy(const char* from, char* to, int limit) { lstrcpynA(to, from, limit); }
  std::string listDataFile_;
};

double TimeRequest(const std::string& listDataFile) {
  QuietBench bench(listDataFile);
  const double start = Now();
  RunRequest(bench);
  return Now() - start;
}

double TimeBareRead(const std::string& listDataFile) {
  const double start = Now();
  { BareRead read(listDataFile.c_str()); }
  return Now() - start;
}

bool LoadQuietly(const std::string& plugin) {
  QuietBench sink("");
  return LoadPluginLibrary(sink, plugin.c_str());
}

using SizedText = short(__stdcall*)(const char*, const char*, short, char**, unsigned short);

}  // namespace

std::vector<TableRow> MeasureRequestCost(const BenchPaths& paths, int pairs) {
  std::vector<TableRow> rows;
  if (!LoadQuietly(paths.nullPlugin)) {
    std::fprintf(stderr, "the null plugin did not load: %s\n", paths.nullPlugin.c_str());
    return rows;
  }
  for (int mebibytes : kTimedSizesMiB) {
    const std::string listDataFile = ListFilePath(paths, mebibytes);
    TimeRequest(listDataFile);  // brings the file into the cache
    const Comparison comparison = Alternate(pairs, [&] { return TimeRequest(listDataFile); },
                                            [&] { return TimeBareRead(listDataFile); });
    TableRow row;
    row.what = "One request, " + std::to_string(mebibytes) + " MiB list (in-process, null plugin)";
    row.sides = "RunRequest / bare open+size+pages+read";
    row.figures = FormatComparison(comparison, 1000, "ms");
    row.goal = mebibytes >= 64 ? "<= 1.10" : "(none)";
    row.met = mebibytes < 64 || comparison.ratio <= 1.10;
    rows.push_back(row);
  }
  ReleasePlugin();
  return rows;
}

DWORD RequestPeakGrowthKiB(const BenchPaths& paths, const std::string& listDataFile) {
  if (!LoadQuietly(paths.nullPlugin)) return STILL_ACTIVE;
  const size_t before = PeakWorkingSet(GetCurrentProcess());
  QuietBench bench(listDataFile);
  RunRequest(bench);
  const size_t after = PeakWorkingSet(GetCurrentProcess());
  ReleasePlugin();
  return bench.lines > 0 ? static_cast<DWORD>((after - before) / 1024) : STILL_ACTIVE;
}

std::vector<TableRow> MeasurePeakMemory(const BenchPaths& paths, int pairs) {
  const std::string listDataFile = "\"" + ListFilePath(paths, 256) + "\"";
  std::vector<double> bench, bare;
  bool failed = false;
  for (int pair = 0; pair < pairs; ++pair) {
    for (int side = 0; side < 2; ++side) {
      const bool benchSide = (side == 0) == RunsAFirst(pair);
      const DWORD kib = benchSide ? RunProgram(paths.harness, "--peak-request " + listDataFile, kChildTimeoutMs)
                                  : RunProgram(paths.bareReader, listDataFile, kChildTimeoutMs);
      failed |= kib >= 0x80000000u || kib == STILL_ACTIVE;
      (benchSide ? bench : bare).push_back(kib);
    }
  }
  const Comparison comparison = Compare(bench, bare);
  char figures[200];
  std::snprintf(figures, sizeof figures,
                "%+.0f KiB (A %.0f [%.0f..%.0f] KiB, B %.0f [%.0f..%.0f] KiB)",
                comparison.a.median - comparison.b.median, comparison.a.median, comparison.a.min,
                comparison.a.max, comparison.b.median, comparison.b.min, comparison.b.max);
  TableRow row;
  row.what = "Peak working set growth, one request on 256 MiB (" + std::to_string(pairs) +
             " pairs, one process each)";
  row.sides = "RunRequest / bare reader";
  row.figures = figures;
  row.goal = "A - B <= 1024 KiB";
  row.met = !failed && comparison.a.median - comparison.b.median <= 1024;
  return {row};
}

std::vector<TableRow> MeasureScan(const BenchPaths& paths, int pairs) {
  std::vector<TableRow> rows;
  const BareRead list(ListFilePath(paths, 256).c_str());
  const LibraryModule plugin(LoadLibraryA(paths.samplePlugin.c_str()));
  const auto getTitle = plugin.IsValid() ? reinterpret_cast<SizedText>(reinterpret_cast<void*>(
                                               GetProcAddress(plugin.get(), "GetTitle")))
                                         : nullptr;
  if (!list.data() || !getTitle) {
    std::fprintf(stderr, "no 256 MiB list in memory, or no sample plugin\n");
    return rows;
  }
  bool wrong = false;
  const Comparison comparison = Alternate(
      pairs,
      [&] {
        char* variable = nullptr;
        const double start = Now();
        wrong |= getTitle(list.data(), kAbsentCrc32Key, QB2LPT_KEY_CRC32, &variable, 0) !=
                 QB2LPT_KEY_NOT_FOUND;
        return Now() - start;
      },
      [&] {
        const double start = Now();
        wrong |= std::memchr(list.data(), '\x01', list.size()) != nullptr;
        return Now() - start;
      });
  TableRow row;
  row.what = "Sample plugin scan of a 256 MiB list (absent key)";
  row.sides = "GetTitle / memchr";
  row.figures = FormatComparison(comparison, 1000, "ms") + (wrong ? " WRONG ANSWERS" : "");
  row.goal = "<= 2.00";
  row.met = !wrong && comparison.ratio <= 2.0;
  rows.push_back(row);
  return rows;
}
