// Running requests in a worker: the checker itself, started again as a child process on the
// plugin, runs each case it is sent and sends the run's events back. A call that hangs or a plugin
// that ends its process beyond every guard then ends only the worker: the case is reported, and
// the next one runs in a fresh worker, as does every case after a fault.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "checker/request_inputs.h"
#include "request/run_event.h"

// The parent's side: one worker process at a time, started when a case needs it.
class CaseWorker {
 public:
  // `timeoutSeconds` is the time a plugin call may take; 0 or less waits forever.
  CaseWorker(const std::string& pluginPath, double timeoutSeconds);
  ~CaseWorker();
  CaseWorker(const CaseWorker&) = delete;
  CaseWorker& operator=(const CaseWorker&) = delete;

  // Runs one request in the worker and gives its events, which end with a CallAbandoned saying
  // so when the call timed out or the worker ended; `what` (UTF-8) names the call in the message
  // that says so. False, with no events, when no worker process could be started.
  bool Run(const RequestInputs& inputs, const std::string& what, std::vector<RunEvent>& events);

 private:
  enum class Got { Frame, TimedOut, Lost };
  bool Start();
  // Ends the worker: by closing its pipe after a clean run, else at once.
  void Stop(bool clean);
  bool Send(const std::string& bytes);
  Got ReadFrame(DWORD timeoutMs, std::string& payload);
  uint32_t ExitCodeOfLost();

  std::string pluginPath_;
  DWORD allowedMs_;
  HANDLE process_ = nullptr;
  HANDLE pipe_ = nullptr;
  HANDLE readDone_ = nullptr;
  HANDLE writeDone_ = nullptr;
  std::string stream_;  // bytes received that make no whole frame yet
};

// The worker's side, for the command line "--worker HANDLE PLUGIN": loads the plugin and runs the
// cases that come through the pipe until it closes. Returns the exit code.
int RunWorker(const std::vector<std::string>& args);

// Whether the command line asks for a worker.
bool IsWorkerCommandLine(const std::vector<std::string>& args);
