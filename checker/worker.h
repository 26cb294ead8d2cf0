// Running requests in a worker: the checker itself, started again as a child process on the
// plugin, runs each case it is handed and hands the run's events back; the parent times each plugin
// call from outside. A call that hangs or a plugin that ends its process beyond every guard then
// ends only the worker: the case is reported, and the next one runs in a fresh worker, as does
// every case after a fault.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "checker/request_inputs.h"
#include "request/run_event.h"
#include "win/scoped_win.h"

struct WorkerArea;

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

  // Starts a worker ahead of the first case, so that its start-up overlaps the caller's own
  // work; false when none could be started.
  bool Start();

 private:
  enum class Outcome { Done, TimedOut, Lost };
  // Ends the worker, if one runs, and lets go of what it shared.
  void Stop();
  // Hands the case written to the shared area to the worker and waits for its run.
  Outcome AwaitRun();

  std::string pluginPath_;
  DWORD allowedMs_;
  KernelHandle process_;
  KernelHandle mapping_;
  MappedView<WorkerArea> area_;
  KernelHandle caseReady_;
  KernelHandle runDone_;
};

// The worker's side, for the command line "--worker AREA CASE-READY RUN-DONE PARENT PLUGIN" (the
// inherited handles): loads the plugin and runs the cases it is handed until the parent is gone.
// Returns the exit code.
int RunWorker(const std::vector<std::string>& args);

// Whether the command line asks for a worker.
bool IsWorkerCommandLine(const std::vector<std::string>& args);
