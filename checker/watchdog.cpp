#include "checker/watchdog.h"

#include <windows.h>

#include <cstdio>

#include "checker/console.h"
#include "checker/options.h"

namespace {

// Shared with the watchdog thread under WatchLock.
CRITICAL_SECTION WatchLock;
HANDLE WatchWake = nullptr;
DWORD AllowedMs = 0;
bool Watching = false;
DWORD WatchStart = 0;
std::string WatchedCall;
HangHandler OnHang = nullptr;

std::string SecondsText(DWORD ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", ms / 1000.0);
  return text;
}

DWORD WINAPI WatchdogThread(void*) {
  for (;;) {
    DWORD wait = INFINITE;
    EnterCriticalSection(&WatchLock);
    if (Watching) {
      const DWORD elapsed = GetTickCount() - WatchStart;
      if (elapsed >= AllowedMs) {
        const std::string what = WatchedCall;
        LeaveCriticalSection(&WatchLock);
        PrintMessage("HANG: " + what + " did not return within " + SecondsText(AllowedMs) +
                     " seconds; the check stops here (exit code 1)");
        if (OnHang != nullptr) OnHang(what);
        // The plugin still runs on the main thread: end at once, with no DLL detach code.
        TerminateProcess(GetCurrentProcess(), kExitFailed);
        return 0;
      }
      wait = AllowedMs - elapsed;
    }
    LeaveCriticalSection(&WatchLock);
    WaitForSingleObject(WatchWake, wait);
  }
}

}  // namespace

void StartWatchdog(double seconds) {
  if (seconds <= 0 || WatchWake != nullptr) return;
  InitializeCriticalSection(&WatchLock);
  AllowedMs = static_cast<DWORD>(seconds * 1000 + 0.5);
  if (AllowedMs == 0) AllowedMs = 1;
  WatchWake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  // The thread lives as long as the process; its handle is not needed.
  const HANDLE thread = CreateThread(nullptr, 0, WatchdogThread, nullptr, 0, nullptr);
  if (thread != nullptr) CloseHandle(thread);
}

void WatchCall(const std::string& what) {
  if (WatchWake == nullptr) return;
  EnterCriticalSection(&WatchLock);
  WatchedCall = what;
  Watching = true;
  WatchStart = GetTickCount();
  LeaveCriticalSection(&WatchLock);
  SetEvent(WatchWake);
}

void RestartWatch() {
  if (WatchWake == nullptr) return;
  EnterCriticalSection(&WatchLock);
  WatchStart = GetTickCount();
  LeaveCriticalSection(&WatchLock);
}

void EndWatch() {
  if (WatchWake == nullptr) return;
  EnterCriticalSection(&WatchLock);
  Watching = false;
  LeaveCriticalSection(&WatchLock);
}

void SetHangHandler(HangHandler handler) { OnHang = handler; }
