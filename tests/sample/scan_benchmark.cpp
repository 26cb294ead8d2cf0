// Not a test: times the sample plugin's scan of a 256 MiB list for a key that is absent against a
// plain memchr over the same bytes, the two alternating, and prints the ratio of their medians.
// Run it from the build's tests folder: wine sample_scan_benchmark.exe [repetitions]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sdk/qb2lpt_plugin.h"
#include "win/scoped_win.h"

namespace {

constexpr size_t kListSize = size_t{256} << 20;

void PutHex(char* at, unsigned value, int digits) {
  for (int i = digits - 1; i >= 0; --i, value >>= 4) at[i] = "0123456789ABCDEF"[value & 15];
}

// Rows shaped like the sample list's, with made-up CRCs below 80000000 and numbered names, so that
// the key FFFFFFFF is absent while its last byte turns up everywhere.
void FillList(char* list) {
  const char header[] = "crc16\tcrc32\tbody\tfile\ttitle\tmaker\tyear\tsaledate\r\n";
  const char row[] =
      "0000\t00000000\tgame0000000\tgame0000000.zip\t星の海の冒険\t青空ソフト\t2013\t"
      "2013-03-08\r\n";
  const size_t rowLength = sizeof row - 1;
  std::memcpy(list, header, sizeof header - 1);
  size_t at = sizeof header - 1;
  unsigned seed = 12345;
  for (unsigned number = 0; at + rowLength <= kListSize; ++number, at += rowLength) {
    char* r = list + at;
    std::memcpy(r, row, rowLength);
    seed = seed * 1103515245u + 12345u;
    PutHex(r, seed >> 16, 4);
    PutHex(r + 5, seed & 0x7FFFFFFFu, 8);
    PutHex(r + 18, number, 7);
    PutHex(r + 30, number, 7);
  }
  std::memset(list + at, '\n', kListSize - at);
  list[kListSize] = '\0';
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

void Summarise(const char* what, std::vector<double> times, double* median) {
  std::sort(times.begin(), times.end());
  *median = times[times.size() / 2];
  std::printf("%-12s median %8.1f ms  min %8.1f ms  max %8.1f ms  (%.0f MiB/s)\n", what,
              *median * 1000, times.front() * 1000, times.back() * 1000, 256 / *median);
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const LibraryModule plugin(LoadLibraryA("..\\plugins\\sample.dll"));
  if (!plugin.IsValid()) {
    std::fprintf(stderr, "..\\plugins\\sample.dll did not load\n");
    return 1;
  }
  const auto getTitle = reinterpret_cast<Qb2lptSizedTextFn>(
      reinterpret_cast<void*>(GetProcAddress(plugin.get(), "GetTitle")));
  const PageReservation pages(VirtualAlloc(nullptr, kListSize + 1, MEM_COMMIT, PAGE_READWRITE));
  char* const list = static_cast<char*>(pages.get());
  if (getTitle == nullptr || list == nullptr) {
    std::fprintf(stderr, "no GetTitle, or no memory for the list\n");
    return 1;
  }
  FillList(list);
  DWORD previous;
  VirtualProtect(list, kListSize + 1, PAGE_READONLY, &previous);

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> scans, memchrs;
  int failures = 0;
  for (int i = 0; i < 2 * repetitions; ++i) {
    const bool scanFirst = i % 4 == 0 || i % 4 == 3;  // A B B A ...
    char* variable = nullptr;
    QueryPerformanceCounter(&start);
    if (scanFirst) {
      failures +=
          getTitle(list, "FFFFFFFF", QB2LPT_KEY_CRC32, &variable, 0) != QB2LPT_KEY_NOT_FOUND;
    } else {
      failures += std::memchr(list, '\x01', kListSize) != nullptr;
    }
    QueryPerformanceCounter(&end);
    (scanFirst ? scans : memchrs).push_back(Seconds(start, end, frequency));
  }
  double scanMedian, memchrMedian;
  Summarise("plugin scan", scans, &scanMedian);
  Summarise("memchr", memchrs, &memchrMedian);
  std::printf("scan / memchr = %.2f over %d repetitions each%s\n", scanMedian / memchrMedian,
              repetitions, failures != 0 ? " (WRONG ANSWERS SEEN)" : "");
  return failures != 0;
}
