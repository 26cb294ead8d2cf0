#include "plugin/process_end.h"

#include <stdlib.h>

#include <cstdio>
#include <cstring>

#include "plugin/plugin_call.h"
#include "text/sjis_path.h"
#include "win/scoped_win.h"

// Why the imports: a plugin ends the process through the functions it imports (its C runtime's
// exit ends in ExitProcess through the runtime's own imports, and a runtime linked into the plugin
// is part of the plugin). Pointing the plugin's import table at stand-ins catches every such call
// without touching the system's libraries or the bench's own calls, and costs nothing per call:
// the table is patched once, at load. GetProcAddress is covered too, since a plugin can look the
// functions up instead of importing them. Not covered: libraries that the plugin loads itself
// once it is loaded, libraries that were loaded before it and end the process on its behalf,
// ntdll's own functions (NtTerminateProcess, RtlExitUserProcess), and ExitThread, which ends only
// the calling thread.

namespace {

ProcessEndNotice Notice = nullptr;

enum class Provider { None, Kernel, CRuntime };

bool StartsWithIgnoringCase(const char* text, const char* prefix) {
  return _strnicmp(text, prefix, std::strlen(prefix)) == 0;
}

// The family of system library that a library's file name belongs to.
Provider ProviderOf(const char* libraryName) {
  for (const char* kernel : {"kernel32", "kernelbase", "api-ms-win-core-"}) {
    if (StartsWithIgnoringCase(libraryName, kernel)) return Provider::Kernel;
  }
  for (const char* runtime : {"msvcr", "ucrtbase", "api-ms-win-crt-"}) {
    if (StartsWithIgnoringCase(libraryName, runtime)) return Provider::CRuntime;
  }
  return Provider::None;
}

// Abandons the plugin call under way on this thread; returns only when there is none, after the
// host has been told.
void AbandonCallOrTellHost(const char* request) {
  AbandonCallForProcessEnd(request);
  if (Notice != nullptr) Notice(request);
}

template <typename Code>
void AbandonOrTell(const char* format, Code code) {
  char request[kProcessEndRequestSize];
  std::snprintf(request, sizeof request, format, code);
  AbandonCallOrTellHost(request);
}

void WINAPI ExitProcessStandIn(UINT code) {
  AbandonOrTell("ExitProcess(%u)", code);
  ExitProcess(code);
}

// Whether `process` is a handle to this process, whatever access it was opened with (a handle
// opened only to terminate cannot be asked for its process id).
bool IsThisProcess(HANDLE process) {
  if (process == GetCurrentProcess()) return true;
  KernelHandle query;
  return DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), query.Receive(),
                         PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0) &&
         GetProcessId(query.get()) == GetCurrentProcessId();
}

BOOL WINAPI TerminateProcessStandIn(HANDLE process, UINT code) {
  if (IsThisProcess(process)) {
    AbandonOrTell("TerminateProcess(自プロセス, %u)", code);
  }
  return TerminateProcess(process, code);
}

// The C runtime's ways out, each asked for in its own words. Outside a call the bench's own
// runtime ends the process: the plugin's exit handlers do not run then, the bench's do (exit) or
// none do (the others).
constexpr char kExit[] = "exit(%d)";
constexpr char kUnderscoreExit[] = "_exit(%d)";
constexpr char kCapitalExit[] = "_Exit(%d)";
constexpr char kQuickExit[] = "quick_exit(%d)";

template <const char* request, void (*end)(int)>
void __cdecl RuntimeExitStandIn(int code) {
  AbandonOrTell(request, code);
  end(code);
}

FARPROC WINAPI GetProcAddressStandIn(HMODULE library, LPCSTR name);

struct StandIn {
  Provider provider;
  const char* name;
  void* function;
};

const StandIn kStandIns[] = {
    {Provider::Kernel, "ExitProcess", reinterpret_cast<void*>(&ExitProcessStandIn)},
    {Provider::Kernel, "TerminateProcess", reinterpret_cast<void*>(&TerminateProcessStandIn)},
    {Provider::Kernel, "GetProcAddress", reinterpret_cast<void*>(&GetProcAddressStandIn)},
    {Provider::CRuntime, "exit", reinterpret_cast<void*>(&RuntimeExitStandIn<kExit, exit>)},
    {Provider::CRuntime, "_exit",
     reinterpret_cast<void*>(&RuntimeExitStandIn<kUnderscoreExit, _exit>)},
    {Provider::CRuntime, "_Exit",
     reinterpret_cast<void*>(&RuntimeExitStandIn<kCapitalExit, _exit>)},
    {Provider::CRuntime, "quick_exit",
     reinterpret_cast<void*>(&RuntimeExitStandIn<kQuickExit, _exit>)},
};

constexpr int kStandInCount = sizeof kStandIns / sizeof kStandIns[0];

// Where the intercepted functions of one library are, as the system resolves them (by its own
// GetProcAddress: the bench's imports are never patched), to tell them by address.
class Intercepted {
 public:
  Intercepted(HMODULE library, Provider provider) {
    for (int i = 0; i < kStandInCount; ++i) {
      resolved_[i] = kStandIns[i].provider == provider
                         ? reinterpret_cast<void*>(GetProcAddress(library, kStandIns[i].name))
                         : nullptr;
    }
  }
  // The stand-in for `function` when it is one of them, else `function` itself.
  void* StandInFor(void* function) const {
    for (int i = 0; i < kStandInCount; ++i) {
      if (resolved_[i] != nullptr && resolved_[i] == function) return kStandIns[i].function;
    }
    return function;
  }

 private:
  void* resolved_[kStandInCount];
};

FARPROC WINAPI GetProcAddressStandIn(HMODULE library, LPCSTR name) {
  const FARPROC found = GetProcAddress(library, name);
  char path[MAX_PATH];
  if (found == nullptr || GetModuleFileNameA(library, path, sizeof path) == 0) return found;
  const Provider provider = ProviderOf(path + FileNameOffset(path));
  if (provider == Provider::None) return found;
  return reinterpret_cast<FARPROC>(
      Intercepted(library, provider).StandInFor(reinterpret_cast<void*>(found)));
}

void PointSlotAt(IMAGE_THUNK_DATA32& slot, void* function) {
  DWORD protection;
  if (!VirtualProtect(&slot, sizeof slot, PAGE_READWRITE, &protection)) return;
  slot.u1.Function = static_cast<DWORD>(reinterpret_cast<uintptr_t>(function));
  VirtualProtect(&slot, sizeof slot, protection, &protection);
}

// The system's notice that a library has been mapped and its imports resolved; it comes before
// the library's start-up code runs (LdrRegisterDllNotification, reason 1: loaded).
struct LibraryNotice {
  ULONG flags;
  const void* fullName;
  const void* baseName;
  void* base;
  ULONG size;
};
using LibraryNoticeHandler = void(CALLBACK*)(ULONG reason, const LibraryNotice* notice,
                                             void* context);
using RegisterLibraryNotices = LONG(NTAPI*)(ULONG flags, LibraryNoticeHandler handler,
                                            void* context, void** cookie);
using UnregisterLibraryNotices = LONG(NTAPI*)(void* cookie);
constexpr ULONG kLibraryLoaded = 1;

DWORD InterceptingThread = 0;

void CALLBACK InterceptLoadedLibrary(ULONG reason, const LibraryNotice* notice, void*) {
  if (reason == kLibraryLoaded && GetCurrentThreadId() == InterceptingThread) {
    InterceptProcessEnd(static_cast<HMODULE>(notice->base));
  }
}

void* NtdllFunction(const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name));
}

}  // namespace

void InterceptProcessEnd(HMODULE module) {
  auto* const base = reinterpret_cast<BYTE*>(module);
  const auto& nt = *reinterpret_cast<const IMAGE_NT_HEADERS32*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  // The resolved addresses are compared, not the names: some linkers keep no name table.
  for (auto* library =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       library->Name != 0; ++library) {
    const char* const libraryName = reinterpret_cast<const char*>(base + library->Name);
    const Provider provider = ProviderOf(libraryName);
    HMODULE const loaded = provider == Provider::None ? nullptr : GetModuleHandleA(libraryName);
    if (loaded == nullptr) continue;
    const Intercepted intercepted(loaded, provider);
    for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + library->FirstThunk);
         slot->u1.Function != 0; ++slot) {
      void* const function = reinterpret_cast<void*>(static_cast<uintptr_t>(slot->u1.Function));
      void* const standIn = intercepted.StandInFor(function);
      if (standIn != function) PointSlotAt(*slot, standIn);
    }
  }
}

ProcessEndInterceptionWhileLoading::ProcessEndInterceptionWhileLoading() {
  const auto registerNotices =
      reinterpret_cast<RegisterLibraryNotices>(NtdllFunction("LdrRegisterDllNotification"));
  InterceptingThread = GetCurrentThreadId();
  if (registerNotices == nullptr ||
      registerNotices(0, InterceptLoadedLibrary, nullptr, &cookie_) != 0) {
    cookie_ = nullptr;
  }
}

ProcessEndInterceptionWhileLoading::~ProcessEndInterceptionWhileLoading() {
  const auto unregisterNotices =
      reinterpret_cast<UnregisterLibraryNotices>(NtdllFunction("LdrUnregisterDllNotification"));
  if (cookie_ != nullptr && unregisterNotices != nullptr) unregisterNotices(cookie_);
  InterceptingThread = 0;
}

void SetProcessEndNotice(ProcessEndNotice notice) { Notice = notice; }
