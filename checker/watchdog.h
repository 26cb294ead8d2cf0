// The hang watchdog: a thread that ends the process with exit code 1, after saying which plugin
// call did not come back, when a call takes longer than the time allowed.
#pragma once

#include <string>

// Starts the watchdog thread; 0 seconds (or less) leaves every call unwatched.
void StartWatchdog(double seconds);

// Watches the calls of one action (a load, a request) described by `what`; each call gets the
// full time, so RestartWatch is called whenever one returns.
void WatchCall(const std::string& what);
void RestartWatch();
void EndWatch();

// Run on the watchdog's thread after the hang line was printed and before the process ends (to
// write the reports gathered so far). `what` describes the call that hung.
using HangHandler = void (*)(const std::string& what);
void SetHangHandler(HangHandler handler);
