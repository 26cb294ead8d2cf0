// The bare reader: reads one list-data file the least costly way and ends with the growth of its
// peak working set over that read, in KiB, as its exit code (STILL_ACTIVE when the read failed).
#include <windows.h>

#include "bench/bare_read.h"
#include "checker/process_probe.h"

int main(int argc, char** argv) {
  if (argc != 2) return STILL_ACTIVE;
  const size_t before = PeakWorkingSet(GetCurrentProcess());
  bool ok;
  { ok = BareRead(argv[1]).data() != nullptr; }
  const size_t after = PeakWorkingSet(GetCurrentProcess());
  return ok ? static_cast<int>((after - before) / 1024) : STILL_ACTIVE;
}
