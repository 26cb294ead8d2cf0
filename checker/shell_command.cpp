#include "checker/shell_command.h"

#include <windows.h>

#include <memory>

#include "checker/command_line.h"
#include "checker/file_bytes.h"
#include "checker/text_encoding.h"

namespace {

bool RunsUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}


std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
  full.resize(length < size ? length : 0);
  return full.empty() ? path : full;
}

// What wine's kernel32 hands out for a Unix name: a block of the process heap.
struct ProcessHeapFree {
  void operator()(char* block) const { HeapFree(GetProcessHeap(), 0, block); }
};

// The Unix name of a Windows path under wine (kernel32's wine_get_unix_file_name), or the path as
// it is when wine cannot tell one.
std::string UnixPath(const std::wstring& windowsPath) {
  using UnixNameOf = char*(CDECL*)(const wchar_t*);
  const auto unixNameOf = reinterpret_cast<UnixNameOf>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  const std::unique_ptr<char, ProcessHeapFree> name(unixNameOf ? unixNameOf(windowsPath.c_str())
                                                               : nullptr);
  return name ? std::string(name.get()) : WideToUtf8(windowsPath);
}

}  // namespace

std::wstring ProgramPath() {
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

std::string CheckerCommand(const std::vector<CommandWord>& words) {
  const bool wine = RunsUnderWine();
  auto fileName = [wine](const std::wstring& path) {
    const std::wstring full = FullPath(path);
    return wine ? UnixPath(full) : WideToUtf8(full);
  };
  auto quote = [wine](const std::string& word) {
    return wine ? QuoteForPosixShell(word) : QuoteForCmd(word);
  };
  std::string command = (wine ? "wine " : "") + quote(fileName(ProgramPath()));
  for (const CommandWord& word : words) {
    command += " " + quote(word.isPath ? fileName(WidePath(word.text)) : word.text);
  }
  return command;
}
