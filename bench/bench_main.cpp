// The bench's benchmark command: runs every measurement side by side and prints the table.
//   qb2lpt_bench.exe [--quick] [NAME...]      the named measurements, or all of them (--quick:
//                                             fewer repetitions)
//   qb2lpt_bench.exe --peak-request FILE      (child) peak working set growth of one request
//   qb2lpt_bench.exe --list-box-cost FILE     (child) private memory a list box filled with the
//                                             file's line lengths takes
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>

#include "bench/harness.h"
#include "bench/list_file.h"
#include "text/sjis_path.h"
#include "win/scoped_win.h"

#ifndef QB2LPT_EXE
#error "the paths of the programs under test come from the build"
#endif

namespace {

constexpr int kListSizesMiB[] = {1, 64, 256};

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string folder = FolderOf(path);
  return folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

BenchPaths FindPaths() {
  BenchPaths paths;
  const std::string folder = ProgramFolder();
  paths.benchProgram = WindowsPath(QB2LPT_EXE);
  paths.checkerProgram = WindowsPath(QB2LPTCHECK_EXE);
  paths.minimalProgram = WindowsPath(MINIMAL_WINDOW_EXE);
  paths.bareReader = WindowsPath(BARE_READER_EXE);
  paths.nullPlugin = WindowsPath(NULL_PLUGIN_DLL);
  paths.samplePlugin = WindowsPath(SAMPLE_PLUGIN_DLL);
  paths.sampleList = WindowsPath(SAMPLE_LIST);
  char harness[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, harness, MAX_PATH);
  paths.harness = harness;
  paths.dataFolder = folder + "\\data";
  CreateDirectoryA(paths.dataFolder.c_str(), nullptr);
  return paths;
}

bool PrepareListFiles(const BenchPaths& paths) {
  for (int mebibytes : kListSizesMiB) {
    if (!EnsureListFile(ListFilePath(paths, mebibytes), size_t(mebibytes) << 20)) {
      std::fprintf(stderr, "cannot write %s\n", ListFilePath(paths, mebibytes).c_str());
      return false;
    }
  }
  return true;
}

void Print(const std::vector<TableRow>& rows) {
  std::fputs(FormatTable(rows).c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return double(counter.QuadPart) / double(frequency.QuadPart);
}

std::string WindowsPath(const char* buildPath) {
  std::string path = buildPath;
  if (!path.empty() && path[0] == '/') {
    std::replace(path.begin(), path.end(), '/', '\\');
    path = "Z:" + path;
  }
  return path;
}

std::string DataFolder(const BenchPaths& paths, const char* name) {
  const std::string folder = paths.dataFolder + "\\" + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string ListFilePath(const BenchPaths& paths, int mebibytes) {
  return paths.dataFolder + "\\list-" + std::to_string(mebibytes) + "MiB.txt";
}

DWORD RunProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs) {
  std::string commandLine = "\"" + program + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return STILL_ACTIVE;
  }
  const KernelHandle thread(started.hThread);
  const KernelHandle process(started.hProcess);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.get(), &code);
  } else {
    TerminateProcess(process.get(), STILL_ACTIVE);
    WaitForSingleObject(process.get(), INFINITE);
  }
  return code;
}

int main(int argc, char** argv) {
  const BenchPaths paths = FindPaths();
  if (argc == 3 && std::strcmp(argv[1], "--peak-request") == 0) {
    return static_cast<int>(RequestPeakGrowthKiB(paths, argv[2]));
  }
  if (argc == 3 && std::strcmp(argv[1], "--list-box-cost") == 0) {
    return static_cast<int>(ListBoxCostKiB(argv[2]));
  }
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const std::vector<std::string> chosen(argv + 1 + quick, argv + argc);
  const int pairs = quick ? 5 : 15;
  const struct {
    const char* name;
    std::function<std::vector<TableRow>()> measure;
  } kMeasurements[] = {
      {"startup", [&] { return MeasureStartUp(paths, pairs); }},
      {"request", [&] { return MeasureRequestCost(paths, pairs); }},
      {"memory", [&] { return MeasurePeakMemory(paths, quick ? 3 : 5); }},
      {"list", [&] { return MeasureListGrowth(paths, pairs); }},
      {"scan", [&] { return MeasureScan(paths, pairs); }},
      {"isolation", [&] { return MeasureIsolation(paths, pairs); }},
      {"endurance", [&] { return MeasureEndurance(paths, quick ? 1000 : 10000); }},
  };
  for (const std::string& name : chosen) {
    if (std::none_of(std::begin(kMeasurements), std::end(kMeasurements),
                     [&](const auto& m) { return name == m.name; })) {
      std::fprintf(stderr, "usage: qb2lpt_bench.exe [--quick] [startup|request|memory|list|scan|isolation|endurance]...\n");
      return 2;
    }
  }
  if (!PrepareListFiles(paths)) return 1;

  std::vector<TableRow> rows;
  for (const auto& measurement : kMeasurements) {
    if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), measurement.name) == chosen.end()) {
      continue;
    }
    std::vector<TableRow> more = measurement.measure();
    Print(more);
    rows.insert(rows.end(), more.begin(), more.end());
  }
  std::printf("\nAll measurements (%d alternated pairs for each ratio):\n", pairs);
  Print(rows);
  const bool allMet = std::all_of(rows.begin(), rows.end(), [](const TableRow& r) { return r.met; });
  return allMet ? 0 : 3;
}
