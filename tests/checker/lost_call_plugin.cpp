// A plugin whose GetMaker never comes back: built once to hang in it (LOST_BY_HANG), once to end
// its process there through the system's lowest layer, which no guard of the checker sees
// (LOST_BY_END), and twice with every export well behaved, the second time with another title
// (ANOTHER_TITLE), as two builds of one plugin.
#include <windows.h>

#include "tests/checker/answer_text.h"

#if defined(LOST_BY_END)
extern "C" __declspec(dllimport) LONG __stdcall NtTerminateProcess(HANDLE process, LONG status);
#endif

extern "C" {

__declspec(dllexport) short __stdcall GetPluginVersion() { return 100; }

__declspec(dllexport) short __stdcall GetTitle(const char*, const char*, short, char** buffer,
                                              unsigned short size) {
#if defined(ANOTHER_TITLE)
  return AnswerText("Second build", buffer, size);
#else
  return AnswerText("First build", buffer, size);
#endif
}

__declspec(dllexport) short __stdcall GetMaker(const char*, const char*, short, char** buffer,
                                              unsigned short size) {
#if defined(LOST_BY_HANG)
  Sleep(INFINITE);
#elif defined(LOST_BY_END)
  NtTerminateProcess(GetCurrentProcess(), 0x2A);
#endif
  return AnswerText("Maker", buffer, size);
}

__declspec(dllexport) short __stdcall GetCountry(const char*, const char*, short, char** buffer,
                                                unsigned short size) {
  return AnswerText("Country", buffer, size);
}

__declspec(dllexport) short __stdcall GetYear(const char*, const char*, short) { return 1999; }

}  // extern "C"
