#include "tests/checker/checker_process.h"

#include <shellapi.h>

#include <thread>

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

void Drain(HANDLE pipe, std::string* into) {
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(pipe, chunk, sizeof chunk, &read, nullptr) && read > 0) into->append(chunk, read);
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
  std::thread outReader(Drain, outRead.get(), &result.out);
  std::thread errReader(Drain, errRead.get(), &result.err);
  if (WaitForSingleObject(child.get(), timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(child.get(), 0xFFFFFFFF);
    WaitForSingleObject(child.get(), INFINITE);
  }
  GetExitCodeProcess(child.get(), &result.exitCode);
  result.elapsedMs = GetTickCount() - start;
  outReader.join();
  errReader.join();
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
