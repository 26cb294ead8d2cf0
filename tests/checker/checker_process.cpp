#include "tests/checker/checker_process.h"

#include <shellapi.h>

#include <algorithm>

#include "checker/command_line.h"
#include "checker/file_bytes.h"
#include "checker/text_encoding.h"
#include "win/scoped_win.h"

namespace {

// The program as a Windows path; a Unix path is reached through wine's Z: drive.
std::string CheckerProgram() {
  std::string path = QB2LPTCHECK_EXE;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Moves what the pipe holds now into `into`; false once the pipe is broken.
bool TakeAvailable(HANDLE pipe, std::string* into) {
  DWORD available = 0;
  if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
  char chunk[4096];
  while (available > 0) {
    DWORD read = 0;
    if (!ReadFile(pipe, chunk, std::min<DWORD>(available, sizeof chunk), &read, nullptr) || read == 0) return false;
    into->append(chunk, read);
    available -= read;
  }
  return true;
}

}  // namespace

std::vector<std::string> CheckerResult::OutLines() const { return SplitLines(out); }
std::vector<std::string> CheckerResult::ErrLines() const { return SplitLines(err); }

CheckerResult RunChecker(const std::vector<std::string>& args, DWORD timeoutMs) {
  std::vector<std::string> utf8;
  for (const std::string& arg : args) utf8.push_back(SjisToUtf8(arg));
  return RunCheckerUtf8(utf8, timeoutMs);
}

CheckerResult RunCheckerUtf8(const std::vector<std::string>& args, DWORD timeoutMs) {
  CheckerResult result;
  // Quoted as Unicode, so that a trail byte 5C is no backslash, and started by its Unicode
  // command line, whatever this process's code page.
  std::string commandLine = QuoteArgument(CheckerProgram());
  for (const std::string& arg : args) commandLine += " " + QuoteArgument(arg);
  std::wstring wideCommandLine = WidePath(commandLine);

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  KernelHandle outRead, outWrite, errRead, errWrite;
  CreatePipe(outRead.Receive(), outWrite.Receive(), &inherit, 0);
  CreatePipe(errRead.Receive(), errWrite.Receive(), &inherit, 0);
  SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite.get();
  startup.hStdError = errWrite.get();
  PROCESS_INFORMATION process = {};
  const DWORD start = GetTickCount();
  if (!CreateProcessW(nullptr, &wideCommandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    result.exitCode = 0xFFFFFFFF;
    result.err = "CreateProcessW failed";
    return result;
  }
  const KernelHandle thread(process.hThread);
  const KernelHandle child(process.hProcess);
  // Only the child may hold the write ends, so that the reads end with it.
  outWrite.Reset();
  errWrite.Reset();
  // Polled rather than read to their end: a process that wine starts on the child's behalf (its
  // desktop process) can inherit the write ends and hold them long after the child has ended.
  bool ended = false;
  while (true) {
    const bool outOpen = TakeAvailable(outRead.get(), &result.out);
    const bool errOpen = TakeAvailable(errRead.get(), &result.err);
    if (ended || (!outOpen && !errOpen)) break;
    const DWORD waited = GetTickCount() - start;
    if (waited >= timeoutMs) {
      TerminateProcess(child.get(), 0xFFFFFFFF);
      WaitForSingleObject(child.get(), INFINITE);
      ended = true;
    } else {
      // What the child wrote before it ended is in the pipes once it has ended: one more pass.
      ended = WaitForSingleObject(child.get(), std::min<DWORD>(timeoutMs - waited, 10)) == WAIT_OBJECT_0;
    }
  }
  WaitForSingleObject(child.get(), INFINITE);
  GetExitCodeProcess(child.get(), &result.exitCode);
  result.elapsedMs = GetTickCount() - start;
  return result;
}

std::string TestPath(const std::string& name) {
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  std::string sjis;
  WideToSjis(folder, sjis);
  return sjis + "\\" + name;
}

std::string ScratchFile(const std::string& name, const std::string& bytes) {
  CreateDirectoryW(WidePath(SjisToUtf8(TestPath("checker-run"))).c_str(), nullptr);
  const std::string path = TestPath("checker-run\\" + name);
  WriteWholeFile(SjisToUtf8(path), bytes);
  return path;
}

bool AnyLineHas(const std::vector<std::string>& lines, const std::vector<std::string>& parts) {
  for (const std::string& line : lines) {
    bool all = true;
    for (const std::string& part : parts) all = all && line.find(part) != std::string::npos;
    if (all) return true;
  }
  return false;
}
