#include "checker/watchdog.h"

#include <windows.h>

#include <cstdio>

#include "checker/console.h"
#include "checker/options.h"
#include "win/scoped_win.h"

namespace {

// The time the reports may take once a hang is found. The suspended thread may hold a lock that
// writing them needs (the heap's, inside the plugin): the process then ends without them.
constexpr DWORD kReportGraceMs = 15000;

// Shared with the watchdog thread under WatchLock.
CRITICAL_SECTION WatchLock;
HANDLE WatchWake = nullptr;
HANDLE WatchedThread = nullptr;
HANDLE ReportDeadline = nullptr;
DWORD AllowedMs = 0;
bool Watching = false;
DWORD WatchStart = 0;
std::string WatchedCall;
// The hang line, ready to write with no conversion or allocation, whatever the plugin holds.
std::string HangLineBytes;
HangHandler OnHang = nullptr;

// Reports the hang; called with WatchLock held. Never returns.
void StopForHang() {
  SetEvent(ReportDeadline);
  WriteError(HangLineBytes);
  SuspendThread(WatchedThread);
  // A suspension takes effect asynchronously; asking for the thread's registers waits for it.
  CONTEXT registers = {};
  registers.ContextFlags = CONTEXT_CONTROL;
  GetThreadContext(WatchedThread, &registers);
  if (OnHang != nullptr) OnHang(WatchedCall);
  // The plugin is stopped on the watched thread: end at once, with no DLL detach code.
  TerminateProcess(GetCurrentProcess(), kExitFailed);
}

DWORD WINAPI WatchdogThread(void*) {
  for (;;) {
    DWORD wait = INFINITE;
    EnterCriticalSection(&WatchLock);
    if (Watching) {
      const DWORD elapsed = GetTickCount() - WatchStart;
      if (elapsed >= AllowedMs) StopForHang();
      wait = AllowedMs - elapsed;
    }
    LeaveCriticalSection(&WatchLock);
    WaitForSingleObject(WatchWake, wait);
  }
}

DWORD WINAPI DeadlineThread(void*) {
  WaitForSingleObject(ReportDeadline, INFINITE);
  Sleep(kReportGraceMs);
  TerminateProcess(GetCurrentProcess(), kExitFailed);
  return 0;
}

// The watchdog's threads live as long as the process; their handles are not needed.
void StartThread(LPTHREAD_START_ROUTINE routine) {
  const KernelHandle thread(CreateThread(nullptr, 0, routine, nullptr, 0, nullptr));
}

}  // namespace

uint32_t AllowedCallMs(double seconds) {
  if (seconds <= 0) return 0;
  const uint32_t ms = static_cast<uint32_t>(seconds * 1000 + 0.5);
  return ms == 0 ? 1 : ms;
}

std::string NotReturnedWithin(uint32_t allowedMs) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", allowedMs / 1000.0);
  return std::string("did not return within ") + text + (allowedMs == 1000 ? " second" : " seconds");
}

void StartWatchdog(double seconds) {
  if (seconds <= 0 || WatchWake != nullptr) return;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &WatchedThread,
                       THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, 0)) {
    return;
  }
  InitializeCriticalSection(&WatchLock);
  AllowedMs = AllowedCallMs(seconds);
  ReportDeadline = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  WatchWake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  StartThread(DeadlineThread);
  StartThread(WatchdogThread);
}

void WatchCall(const std::string& what) {
  if (WatchWake == nullptr) return;
  const std::string line = MessageBytes("HANG: " + what + " " + NotReturnedWithin(AllowedMs) +
                                        "; the check stops here (exit code 1)");
  EnterCriticalSection(&WatchLock);
  WatchedCall = what;
  HangLineBytes = line;
  Watching = true;
  WatchStart = GetTickCount();
  LeaveCriticalSection(&WatchLock);
  SetEvent(WatchWake);
}

void EndWatch() {
  if (WatchWake == nullptr) return;
  EnterCriticalSection(&WatchLock);
  Watching = false;
  LeaveCriticalSection(&WatchLock);
}

HangReportGuard::HangReportGuard() {
  if (WatchWake != nullptr) EnterCriticalSection(&WatchLock);
}

HangReportGuard::~HangReportGuard() {
  if (WatchWake != nullptr) LeaveCriticalSection(&WatchLock);
}

void SetHangHandler(HangHandler handler) { OnHang = handler; }
