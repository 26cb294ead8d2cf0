// A plugin whose requests leave things behind: GetTitle an event handle, GetMaker 8 KiB of heap
// memory, at each request's second call. It also imports MessageBoxA and ExitProcess, which it
// never calls. GetPluginVersion is well behaved.
#include <windows.h>

#include <cstring>

#include "tests/checker/answer_text.h"

// Kept so that the imports stay: the checker reads them from the file.
extern "C" __declspec(dllexport) void* const NeverCalled[] = {reinterpret_cast<void*>(&MessageBoxA),
                                                              reinterpret_cast<void*>(&ExitProcess)};

extern "C" {

__declspec(dllexport) short __stdcall GetPluginVersion() { return 100; }

__declspec(dllexport) short __stdcall GetTitle(const char*, const char*, short, char** buffer,
                                              unsigned short size) {
  if (*buffer != nullptr) CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return AnswerText("Leaks a handle", buffer, size);
}

__declspec(dllexport) short __stdcall GetMaker(const char*, const char*, short, char** buffer,
                                              unsigned short size) {
  if (*buffer != nullptr) {
    const size_t kLeaked = 8 * 1024;
    std::memset(HeapAlloc(GetProcessHeap(), 0, kLeaked), 1, kLeaked);
  }
  return AnswerText("Leaks memory", buffer, size);
}

}  // extern "C"
