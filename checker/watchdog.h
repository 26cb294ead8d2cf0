// The hang watchdog: a thread that ends the process with exit code 1, after saying which plugin
// call did not come back, when a call takes longer than the time allowed. Only the plugin's own
// time is watched (a call, a load's start-up code): never the bench's reading or allocating.
#pragma once

#include <cstdint>
#include <string>

// The time a plugin call is allowed in whole milliseconds, at least one; 0 for no limit (0 seconds
// or less). The watchdog and a worker's parent time calls alike, and a replay reads it back.
uint32_t AllowedCallMs(double seconds);
// How a hang line names the time allowed: "did not return within 1 second", "… 2.5 seconds".
std::string NotReturnedWithin(uint32_t allowedMs);

// Starts the watchdog thread, watching the calling thread (the one that calls the plugin); 0
// seconds (or less) leaves every call unwatched.
void StartWatchdog(double seconds);

// Watches one plugin call, or a load, described by `what` (UTF-8), until EndWatch.
void WatchCall(const std::string& what);
void EndWatch();

// Held by the watched thread while it changes what the hang handler reads. The handler runs only
// after the watched thread has been suspended, never while it holds this, so it reads a state
// that is whole and stays still.
class HangReportGuard {
 public:
  HangReportGuard();
  ~HangReportGuard();
  HangReportGuard(const HangReportGuard&) = delete;
  HangReportGuard& operator=(const HangReportGuard&) = delete;
};

// Run on the watchdog's thread after the hang line was printed and before the process ends (to
// write the reports gathered so far). `what` describes the call that hung.
using HangHandler = void (*)(const std::string& what);
void SetHangHandler(HangHandler handler);
