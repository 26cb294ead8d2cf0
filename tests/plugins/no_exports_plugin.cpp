// A library that exports none of the 24 names exactly: only near misses that a host looking names
// up exactly and case-sensitively must not accept (stdcall names left decorated, as a plugin built
// without a .def file or --kill-at exports them, and wrong letter case).
#include <cstdint>

// Exported as GetPluginVersion@0.
extern "C" __declspec(dllexport) int16_t __stdcall GetPluginVersion() { return 100; }

// Exported as GetTitle@20.
extern "C" __declspec(dllexport) int16_t __stdcall GetTitle(const char*, const char*, int16_t,
                                                             char**, uint16_t) {
  return -512;
}

extern "C" __declspec(dllexport) int16_t getyear(const char*, const char*, int16_t) { return 0; }
