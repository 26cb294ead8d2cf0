#include "checker/worker.h"

#include <cstdio>
#include <cstdlib>

#include "checker/checker_bench.h"
#include "checker/command_line.h"
#include "checker/console.h"
#include "checker/file_bytes.h"
#include "checker/options.h"
#include "checker/plugin_session.h"
#include "checker/worker_wire.h"
#include "request/run_request.h"

namespace {

constexpr DWORD kPipeBufferBytes = 1 << 16;
// How long a worker whose pipe broke may take to be gone.
constexpr DWORD kEndWaitMs = 5000;

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

// An inheritable copy of a standard handle, or null when there is none.
HANDLE InheritableStdHandle(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  HANDLE copy = nullptr;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return copy;
}

std::wstring OwnPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string SecondsText(DWORD ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", ms / 1000.0);
  return text;
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

}  // namespace

CaseWorker::CaseWorker(const std::string& pluginPath, double timeoutSeconds)
    : pluginPath_(pluginPath),
      allowedMs_(timeoutSeconds <= 0 ? 0 : static_cast<DWORD>(timeoutSeconds * 1000 + 0.5)) {
  if (timeoutSeconds > 0 && allowedMs_ == 0) allowedMs_ = 1;
  readDone_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  writeDone_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

CaseWorker::~CaseWorker() {
  Stop(true);
  CloseHandle(readDone_);
  CloseHandle(writeDone_);
}

bool CaseWorker::Start() {
  static unsigned started = 0;
  const std::wstring name = L"\\\\.\\pipe\\qb2lpt-worker-" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(++started);
  pipe_ = CreateNamedPipeW(name.c_str(),
                           PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                           PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, kPipeBufferBytes,
                           kPipeBufferBytes, 0, nullptr);
  if (pipe_ == INVALID_HANDLE_VALUE) {
    pipe_ = nullptr;
    return false;
  }
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  const HANDLE childEnd = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherited,
                                      OPEN_EXISTING, 0, nullptr);
  if (childEnd == INVALID_HANDLE_VALUE) {
    Stop(false);
    return false;
  }
  std::wstring command = L"\"" + OwnPath() + L"\" --worker " +
                         std::to_wstring(reinterpret_cast<uintptr_t>(childEnd)) + L" " +
                         WidePath(QuoteArgument(pluginPath_));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  // A plugin's own output goes where it goes in a run in process.
  startup.hStdOutput = InheritableStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = InheritableStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  const bool created = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                      nullptr, nullptr, &startup, &info);
  CloseHandle(childEnd);
  if (startup.hStdOutput != nullptr) CloseHandle(startup.hStdOutput);
  if (startup.hStdError != nullptr) CloseHandle(startup.hStdError);
  if (!created) {
    Stop(false);
    return false;
  }
  if (WorkerJob() != nullptr) AssignProcessToJobObject(WorkerJob(), info.hProcess);
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  stream_.clear();
  return true;
}

void CaseWorker::Stop(bool clean) {
  if (process_ != nullptr && !clean) TerminateProcess(process_, kExitFailed);
  if (pipe_ != nullptr) CloseHandle(pipe_);
  pipe_ = nullptr;
  if (process_ != nullptr) {
    // A worker whose pipe closed ends on its own; one that does not is ended.
    if (WaitForSingleObject(process_, kEndWaitMs) != WAIT_OBJECT_0) {
      TerminateProcess(process_, kExitFailed);
      WaitForSingleObject(process_, kEndWaitMs);
    }
    CloseHandle(process_);
  }
  process_ = nullptr;
  stream_.clear();
}

bool CaseWorker::Send(const std::string& bytes) {
  OVERLAPPED overlapped = {};
  overlapped.hEvent = writeDone_;
  DWORD written = 0;
  if (!WriteFile(pipe_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &overlapped) &&
      GetLastError() != ERROR_IO_PENDING) {
    return false;
  }
  return GetOverlappedResult(pipe_, &overlapped, &written, TRUE) && written == bytes.size();
}

CaseWorker::Got CaseWorker::ReadFrame(DWORD timeoutMs, std::string& payload) {
  const DWORD start = GetTickCount();
  char buffer[kPipeBufferBytes];
  for (;;) {
    const FrameState state = TakeFrame(stream_, payload);
    if (state == FrameState::Whole) return Got::Frame;
    if (state == FrameState::Malformed) return Got::Lost;
    OVERLAPPED overlapped = {};
    overlapped.hEvent = readDone_;
    DWORD got = 0;
    if (!ReadFile(pipe_, buffer, sizeof buffer, &got, &overlapped)) {
      if (GetLastError() != ERROR_IO_PENDING) return Got::Lost;
      DWORD wait = INFINITE;
      if (timeoutMs != INFINITE) {
        const DWORD elapsed = GetTickCount() - start;
        wait = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
      }
      if (WaitForSingleObject(readDone_, wait) == WAIT_TIMEOUT) {
        CancelIo(pipe_);
        GetOverlappedResult(pipe_, &overlapped, &got, TRUE);
        return Got::TimedOut;
      }
      if (!GetOverlappedResult(pipe_, &overlapped, &got, FALSE)) return Got::Lost;
    }
    stream_.append(buffer, got);
  }
}

uint32_t CaseWorker::ExitCodeOfLost() {
  DWORD code = 0;
  if (WaitForSingleObject(process_, kEndWaitMs) != WAIT_OBJECT_0) {
    TerminateProcess(process_, kExitFailed);
    WaitForSingleObject(process_, kEndWaitMs);
  }
  GetExitCodeProcess(process_, &code);
  return code;
}

bool CaseWorker::Run(const RequestInputs& inputs, const std::string& what,
                     std::vector<RunEvent>& events) {
  events.clear();
  if (process_ == nullptr && !Start()) return false;
  std::string frame;
  AppendCaseFrame(inputs, what, frame);
  Got got = Send(frame) ? Got::Frame : Got::Lost;
  bool callOpen = false;
  while (got == Got::Frame) {
    std::string payload;
    got = ReadFrame(callOpen && allowedMs_ > 0 ? allowedMs_ : INFINITE, payload);
    bool done = false;
    if (got == Got::Frame && !ReadEventsFrame(payload, events, done)) got = Got::Lost;
    if (got != Got::Frame) break;
    if (done) {
      if (Faulted(events)) Stop(false);  // the plugin's state may be broken: the next case starts afresh
      return true;
    }
    callOpen = !events.empty() && std::holds_alternative<CallStarted>(events.back());
  }

  const int exportIndex = CallUnderWay(events, inputs.request);
  CallFault fault;
  if (got == Got::TimedOut) {
    fault.kind = CallFault::Kind::TimedOut;
    fault.allowedMs = allowedMs_;
    PrintMessage("HANG: " + what + " did not return within " + SecondsText(allowedMs_) +
                 " seconds; its worker process was ended and the run goes on");
    Stop(false);
  } else {
    fault.kind = CallFault::Kind::ProcessLost;
    fault.exitCode = ExitCodeOfLost();
    char code[16];
    std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(fault.exitCode));
    PrintMessage("the worker process ended during " + what + " (exit code " + code +
                 "), beyond the checker's guards; the run goes on in a fresh one");
    Stop(false);
  }
  if (exportIndex >= 0) events.push_back(CallAbandoned{exportIndex, fault});
  return true;
}

namespace {

// The runner's inputs from the case, its events to the parent: whatever came before a call is
// sent when the call starts, so that the parent knows what is under way if the worker goes.
class StreamingBench final : public RequestBench {
 public:
  StreamingBench(const RequestInputs& inputs, HANDLE pipe) : inputs_(inputs), pipe_(pipe) {}

  void Report(const RunEvent& event) override {
    pending_.push_back(event);
    if (std::holds_alternative<CallStarted>(event)) Send(false);
  }
  std::optional<KeyType> SelectedKeyType() override { return inputs_.SelectedKeyType(); }
  void ReadRequestName(char* name, int capacity) override { inputs_.ReadRequestName(name, capacity); }
  void ReadTestKey(char* text, int limit) override { inputs_.ReadTestKey(text, limit); }
  void ReadRequestedLength(char* text, int limit) override { inputs_.ReadRequestedLength(text, limit); }
  HANDLE OpenListDataFile() override { return inputs_.OpenListDataFile(); }

  void Send(bool runDone) {
    std::string frame;
    AppendEventsFrame(pending_, runDone, frame);
    pending_.clear();
    size_t done = 0;
    while (done < frame.size()) {
      DWORD written = 0;
      if (!WriteFile(pipe_, frame.data() + done, static_cast<DWORD>(frame.size() - done), &written,
                     nullptr) ||
          written == 0) {
        ExitProcess(kExitFailed);  // the parent is gone
      }
      done += written;
    }
  }

 private:
  CheckerBench inputs_;  // only its reading of the inputs
  HANDLE pipe_;
  std::vector<RunEvent> pending_;
};

}  // namespace

bool IsWorkerCommandLine(const std::vector<std::string>& args) {
  return !args.empty() && args[0] == "--worker";
}

int RunWorker(const std::vector<std::string>& args) {
  if (args.size() != 3) return kExitUsage;
  const HANDLE pipe = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoul(args[1].c_str(), nullptr, 10)));
  CheckerOptions options;
  options.pluginPath = args[2];
  PluginSession session;
  std::string problem;
  if (!OpenPluginSession(options, session, problem) || !session.loaded) return kExitFailed;

  std::string stream, payload;
  char buffer[kPipeBufferBytes];
  for (;;) {
    FrameState state;
    while ((state = TakeFrame(stream, payload)) == FrameState::Partial) {
      DWORD got = 0;
      if (!ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) || got == 0) return kExitClean;
      stream.append(buffer, got);
    }
    RequestInputs inputs;
    std::string what;
    if (state == FrameState::Malformed || !ReadCaseFrame(payload, inputs, what)) return kExitUsage;
    StreamingBench bench(inputs, pipe);
    RunRequest(bench);
    bench.Send(true);
  }
}
