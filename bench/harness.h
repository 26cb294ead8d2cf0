// The measuring harness: each measurement is one procedure that runs both sides alternated and
// returns its rows for the printed table.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "bench/statistics.h"

// Where the programs under test and the data live, as Windows paths.
struct BenchPaths {
  std::string benchProgram;    // QB2LPT.exe
  std::string checkerProgram;  // QB2LPTCheck.exe
  std::string minimalProgram;  // the minimal window program
  std::string bareReader;      // the bare reader program
  std::string harness;         // this program, started again for single measurements
  std::string nullPlugin;      // the plugin that does no work
  std::string samplePlugin;    // plugins/sample
  std::string sampleList;      // the sample list the sample plugin reads
  std::string dataFolder;      // list files and start-up folders made for the measurements
};

// How long a child started for one measurement may take.
constexpr DWORD kChildTimeoutMs = 300000;

// The seconds on a monotonic clock.
double Now();

// A path built at compile time on the build machine, as a Windows path (a Unix path is reached
// through wine's Z: drive).
std::string WindowsPath(const char* buildPath);

// A fresh folder under dataFolder (files left in it stay).
std::string DataFolder(const BenchPaths& paths, const char* name);

// The list-data files timed, by size in MiB.
std::string ListFilePath(const BenchPaths& paths, int mebibytes);

// Runs a program with `arguments` and waits for it; its exit code, or STILL_ACTIVE when it could
// not be started or did not end within `timeoutMs`.
DWORD RunProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs);

std::vector<TableRow> MeasureStartUp(const BenchPaths& paths, int pairs);
std::vector<TableRow> MeasureRequestCost(const BenchPaths& paths, int pairs);
std::vector<TableRow> MeasurePeakMemory(const BenchPaths& paths, int pairs);
std::vector<TableRow> MeasureEndurance(const BenchPaths& paths, int requests);
std::vector<TableRow> MeasureListGrowth(const BenchPaths& paths, int pairs);
std::vector<TableRow> MeasureScan(const BenchPaths& paths, int pairs);
std::vector<TableRow> MeasureIsolation(const BenchPaths& paths, int pairs);

// Run in a child process: the growth of the peak working set, in KiB, over one request for the
// list file through the bench's request runner with the null plugin (the process's exit code).
DWORD RequestPeakGrowthKiB(const BenchPaths& paths, const std::string& listFile);

// Run in a child process: what a list box filled as the lines file says grows private memory, in
// KiB (the process's exit code; STILL_ACTIVE when it could not be measured).
DWORD ListBoxCostKiB(const std::string& linesFile);
