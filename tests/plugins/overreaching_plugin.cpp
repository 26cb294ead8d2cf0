// A plugin that reaches past its calls into the host: exports that end the process, one way each;
// GetModel, whose first call clicks the host's buttons and runs the host's messages itself; and
// CallsBack, which runs the host's code inside a call. GetTitle answers as a plugin should.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "shell/controls.h"

#define SIZED_TEXT(name)                                 \
  extern "C" __declspec(dllexport) short __stdcall name( \
      const char*, const char*, short, [[maybe_unused]] char** buffer, unsigned short)

namespace {

short Answer(const char* text, char** buffer) {
  if (*buffer == nullptr) return static_cast<short>(std::strlen(text) + 1);
  std::strcpy(*buffer, text);
  return 1;
}

bool Pumped = false;

}  // namespace

SIZED_TEXT(GetTitle) { return Answer("well behaved", buffer); }

// Only the first call of all: clicks the buttons, then dispatches the clicks itself. (Only the
// clicks: a test driver's own posted messages still mark the end of the action.)
SIZED_TEXT(GetModel) {
  HWND host = FindWindowA("NORMAL0", nullptr);
  for (int button : {RunButton, LoadButton, BrowseButton}) {
    if (!Pumped) PostMessageA(host, WM_COMMAND, button, (LPARAM)GetDlgItem(host, button));
  }
  Pumped = true;
  MSG message;
  while (PeekMessageA(&message, host, WM_COMMAND, WM_COMMAND, PM_REMOVE))
    DispatchMessageA(&message);
  return Answer("pumped", buffer);
}

SIZED_TEXT(GetMaker) { ExitProcess(0); }
SIZED_TEXT(GetPrice) { return TerminateProcess(GetCurrentProcess(), 0); }
SIZED_TEXT(GetCountry) {
  return TerminateProcess(OpenProcess(PROCESS_TERMINATE, FALSE, GetCurrentProcessId()), 3);
}
SIZED_TEXT(GetGenre) { std::exit(0); }
SIZED_TEXT(GetCreator) { _exit(5); }
SIZED_TEXT(GetMediaInfo) {  // looked up rather than imported
  auto exitProcess =
      (void(WINAPI*)(UINT))(void*)GetProcAddress(GetModuleHandleA("kernel32"), "ExitProcess");
  exitProcess(0);
  return 1;
}

// Runs callback(context), the host's code, inside the call; returns 7.
extern "C" __declspec(dllexport) short __stdcall CallsBack(void (*callback)(void*), void* context,
                                                           short, char**, unsigned short) {
  callback(context);
  return 7;
}
