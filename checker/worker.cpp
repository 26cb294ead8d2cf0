#include "checker/worker.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "checker/checker_bench.h"
#include "checker/command_line.h"
#include "checker/console.h"
#include "checker/file_bytes.h"
#include "checker/options.h"
#include "checker/plugin_session.h"
#include "checker/shell_command.h"
#include "checker/watchdog.h"
#include "checker/worker_wire.h"
#include "request/run_request.h"

constexpr DWORD kCaseBytes = 1u << 20;
constexpr DWORD kPartialBytes = 1u << 20;
constexpr DWORD kResultBytes = 4u << 20;

// The memory that the parent and its worker share. The parent writes a case (a case frame) and
// signals; the worker runs it and writes the run's events (an events frame) and signals back: a
// run costs the two signals only. While a plugin call is under way, the watch says so, with the
// run's events before it, for the parent to time the call and to report it if the worker goes.
struct WorkerArea {
  volatile LONG callOpen;
  volatile DWORD callStart;     // GetTickCount at the call's start
  volatile DWORD caseBytes;
  volatile DWORD partialBytes;  // 0 when the run has started no call yet
  volatile DWORD resultBytes;
  char caseFrame[kCaseBytes];
  char partialFrame[kPartialBytes];
  char resultFrame[kResultBytes];
};

namespace {

// How long a worker that was ended may take to be gone.
constexpr DWORD kEndWaitMs = 5000;
// Most runs end well within this: only a longer one is watched for a hang or the worker's end.
constexpr DWORD kQuickRunMs = 50;

// Every worker is in this job, so that none outlives the checker, even one stuck in a plugin call.
HANDLE WorkerJob() {
  static const HANDLE job = [] {
    const HANDLE created = CreateJobObjectW(nullptr, nullptr);
    if (created != nullptr) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    return created;
  }();
  return job;
}

// An inheritable copy of a standard handle; it holds nothing when there is none.
KernelHandle InheritableStdHandle(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  KernelHandle copy;
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), copy.Receive(), 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
  }
  return copy;
}

// The export of the call under way: the last one started, else the one requested.
int CallUnderWay(const std::vector<RunEvent>& events, int request) {
  for (auto it = events.rbegin(); it != events.rend(); ++it) {
    if (const auto* started = std::get_if<CallStarted>(&*it)) return started->exportIndex;
  }
  return request;
}

bool Faulted(const std::vector<RunEvent>& events) {
  for (const RunEvent& event : events) {
    if (std::holds_alternative<CallAbandoned>(event)) return true;
  }
  return false;
}

// The events frame that `bytes` of `frame` hold, appended to `events`; false when there is none.
bool ReadFrameAt(const char* frame, DWORD bytes, DWORD capacity, std::vector<RunEvent>& events) {
  std::string stream(frame, std::min(bytes, capacity)), payload;
  bool done = false;
  return TakeFrame(stream, payload) == FrameState::Whole && ReadEventsFrame(payload, events, done);
}

HANDLE InheritableEvent() {
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  return CreateEventW(&inherited, FALSE, FALSE, nullptr);
}

}  // namespace

CaseWorker::CaseWorker(const std::string& pluginPath, double timeoutSeconds)
    : pluginPath_(pluginPath), allowedMs_(AllowedCallMs(timeoutSeconds)) {}

CaseWorker::~CaseWorker() { Stop(); }

bool CaseWorker::Start() {
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  mapping_.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, &inherited, PAGE_READWRITE, 0,
                                    sizeof(WorkerArea), nullptr));
  if (mapping_.IsValid()) {
    area_.Reset(static_cast<WorkerArea*>(MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, 0)));
  }
  caseReady_.Reset(InheritableEvent());
  runDone_.Reset(InheritableEvent());
  // The parent's copies of what only the worker needs are closed on the way out, before a later
  // worker could inherit them.
  KernelHandle parent;
  DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), parent.Receive(),
                  SYNCHRONIZE, TRUE, 0);
  if (!area_.IsValid() || !caseReady_.IsValid() || !runDone_.IsValid() || !parent.IsValid()) {
    Stop();
    return false;
  }
  std::wstring command = L"\"" + ProgramPath() + L"\" --worker";
  for (HANDLE handle : {mapping_.get(), caseReady_.get(), runDone_.get(), parent.get()}) {
    command += L" " + std::to_wstring(reinterpret_cast<uintptr_t>(handle));
  }
  command += L" " + WidePath(QuoteArgument(pluginPath_));
  // A plugin's own output goes where it goes in a run in process.
  const KernelHandle output = InheritableStdHandle(STD_OUTPUT_HANDLE);
  const KernelHandle error = InheritableStdHandle(STD_ERROR_HANDLE);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output.get();
  startup.hStdError = error.get();
  PROCESS_INFORMATION info = {};
  const bool created = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                      nullptr, nullptr, &startup, &info);
  // A later worker inherits none of this one's handles.
  for (HANDLE handle : {mapping_.get(), caseReady_.get(), runDone_.get()}) {
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
  }
  if (!created) {
    Stop();
    return false;
  }
  process_.Reset(info.hProcess);
  const KernelHandle thread(info.hThread);
  if (WorkerJob() != nullptr) AssignProcessToJobObject(WorkerJob(), process_.get());
  ResumeThread(thread.get());
  return true;
}

void CaseWorker::Stop() {
  if (process_.IsValid()) {
    // Between cases a worker only waits: nothing is lost by ending it at once.
    TerminateProcess(process_.get(), kExitClean);
    WaitForSingleObject(process_.get(), kEndWaitMs);
  }
  process_.Reset();
  area_.Reset();
  mapping_.Reset();
  caseReady_.Reset();
  runDone_.Reset();
}

CaseWorker::Outcome CaseWorker::AwaitRun() {
  const WorkerArea& area = *area_.get();
  DWORD signalled = SignalObjectAndWait(caseReady_.get(), runDone_.get(), kQuickRunMs, FALSE);
  while (signalled != WAIT_OBJECT_0) {
    if (signalled != WAIT_TIMEOUT) return Outcome::Lost;
    // Unwatched, the parent waits for the run or the worker's end; else it looks at the call
    // under way at least four times in the time allowed.
    DWORD wait = INFINITE;
    if (allowedMs_ > 0) {
      wait = allowedMs_ / 4 + 1;
      if (area.callOpen) {
        const DWORD elapsed = GetTickCount() - area.callStart;
        if (elapsed >= allowedMs_) return Outcome::TimedOut;
        wait = std::min(wait, allowedMs_ - elapsed);
      }
    }
    const HANDLE waits[] = {runDone_.get(), process_.get()};
    signalled = WaitForMultipleObjects(2, waits, FALSE, wait);
    if (signalled == WAIT_OBJECT_0 + 1) return Outcome::Lost;
  }
  return Outcome::Done;
}

bool CaseWorker::Run(const RequestInputs& inputs, const std::string& what,
                     std::vector<RunEvent>& events) {
  events.clear();
  std::string frame;
  AppendCaseFrame(inputs, what, frame);
  if (frame.size() > kCaseBytes) return false;
  if (!process_.IsValid() && !Start()) return false;
  WorkerArea& area = *area_.get();
  std::memcpy(area.caseFrame, frame.data(), frame.size());
  area.caseBytes = static_cast<DWORD>(frame.size());
  area.partialBytes = 0;
  area.resultBytes = 0;
  Outcome outcome = AwaitRun();
  if (outcome == Outcome::Done &&
      !ReadFrameAt(area.resultFrame, area.resultBytes, kResultBytes, events)) {
    outcome = Outcome::Lost;
  }
  if (outcome == Outcome::Done) {
    if (Faulted(events)) Stop();  // the plugin's state may be broken: the next case starts afresh
    return true;
  }

  CallFault fault;
  if (outcome == Outcome::TimedOut) {
    TerminateProcess(process_.get(), kExitFailed);
    WaitForSingleObject(process_.get(), kEndWaitMs);
    fault.kind = CallFault::Kind::TimedOut;
    fault.allowedMs = allowedMs_;
    PrintMessage("HANG: " + what + " " + NotReturnedWithin(allowedMs_) +
                 "; its worker process was ended and the run goes on");
  } else {
    fault.kind = CallFault::Kind::ProcessLost;
    DWORD code = 0;
    const HANDLE process = process_.get();
    if (WaitForSingleObject(process, kEndWaitMs) != WAIT_OBJECT_0) TerminateProcess(process, kExitFailed);
    WaitForSingleObject(process, kEndWaitMs);
    GetExitCodeProcess(process, &code);
    fault.exitCode = code;
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(code));
    PrintMessage("the worker process ended during " + what + " (exit code " + text +
                 "), beyond the checker's guards; the run goes on in a fresh one");
  }
  // The worker is gone: what it left in the watch stays still.
  events.clear();
  if (!ReadFrameAt(area.partialFrame, area.partialBytes, kPartialBytes, events)) events.clear();
  const int exportIndex = CallUnderWay(events, inputs.request);
  if (exportIndex >= 0) events.push_back(CallAbandoned{exportIndex, fault});
  Stop();
  return true;
}

namespace {

// The runner's inputs from the case; its events kept for the parent, and those before each
// plugin call put in the watch with the call's start.
class WorkerBench final : public RequestBench {
 public:
  WorkerBench(const RequestInputs& inputs, WorkerArea& area) : inputs_(inputs), area_(area) {}

  void Report(const RunEvent& event) override {
    events_.push_back(event);
    if (std::holds_alternative<CallStarted>(event)) {
      std::string frame;
      AppendEventsFrame(events_, false, frame);
      const bool fits = frame.size() <= kPartialBytes;
      if (fits) std::memcpy(area_.partialFrame, frame.data(), frame.size());
      area_.partialBytes = fits ? static_cast<DWORD>(frame.size()) : 0;
      area_.callStart = GetTickCount();
      MemoryBarrier();
      area_.callOpen = 1;
    } else if (std::holds_alternative<CallReturned>(event) ||
               std::holds_alternative<CallAbandoned>(event)) {
      area_.callOpen = 0;
    }
  }
  std::optional<KeyType> SelectedKeyType() override { return inputs_.SelectedKeyType(); }
  void ReadRequestName(char* name, int capacity) override { inputs_.ReadRequestName(name, capacity); }
  void ReadTestKey(char* text, int limit) override { inputs_.ReadTestKey(text, limit); }
  void ReadRequestedLength(char* text, int limit) override { inputs_.ReadRequestedLength(text, limit); }
  HANDLE OpenListDataFile() override { return inputs_.OpenListDataFile(); }

  const std::vector<RunEvent>& events() const { return events_; }

 private:
  CheckerBench inputs_;  // only its reading of the inputs
  WorkerArea& area_;
  std::vector<RunEvent> events_;
};

HANDLE HandleArgument(const std::string& text) {
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoul(text.c_str(), nullptr, 10)));
}

// Waits for the next case; false when the parent is gone.
bool AwaitCase(HANDLE caseReady, HANDLE parent) {
  const HANDLE waits[] = {caseReady, parent};
  return WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0;
}

}  // namespace

bool IsWorkerCommandLine(const std::vector<std::string>& args) {
  return !args.empty() && args[0] == "--worker";
}

int RunWorker(const std::vector<std::string>& args) {
  if (args.size() != 6) return kExitUsage;
  const MappedView<WorkerArea> view(
      static_cast<WorkerArea*>(MapViewOfFile(HandleArgument(args[1]), FILE_MAP_WRITE, 0, 0, 0)));
  const HANDLE caseReady = HandleArgument(args[2]);
  const HANDLE runDone = HandleArgument(args[3]);
  const HANDLE parent = HandleArgument(args[4]);
  if (!view.IsValid()) return kExitUsage;
  WorkerArea* const area = view.get();
  CheckerOptions options;
  options.pluginPath = args[5];
  PluginSession session;
  std::string problem;
  if (!OpenPluginSession(options, session, problem) || !session.loaded) return kExitFailed;

  bool more = AwaitCase(caseReady, parent);
  while (more) {
    const DWORD caseBytes = area->caseBytes;
    std::string stream(area->caseFrame, std::min(caseBytes, kCaseBytes)), payload, what;
    RequestInputs inputs;
    if (TakeFrame(stream, payload) != FrameState::Whole || !ReadCaseFrame(payload, inputs, what)) {
      return kExitUsage;
    }
    WorkerBench bench(inputs, *area);
    RunRequest(bench);
    std::string frame;
    AppendEventsFrame(bench.events(), true, frame);
    const bool fits = frame.size() <= kResultBytes;
    if (fits) std::memcpy(area->resultFrame, frame.data(), frame.size());
    area->resultBytes = fits ? static_cast<DWORD>(frame.size()) : 0;
    // The parent is usually waiting for this run already: the next case follows at once.
    const DWORD signalled = SignalObjectAndWait(runDone, caseReady, kQuickRunMs, FALSE);
    more = signalled == WAIT_OBJECT_0 || (signalled == WAIT_TIMEOUT && AwaitCase(caseReady, parent));
  }
  return kExitClean;
}
