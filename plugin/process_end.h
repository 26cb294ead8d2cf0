// Keeping a plugin from ending the process: the functions that end it lead, as the plugin reaches
// them, to the bench's stand-ins, which turn the request into a failure of the call that made it.
#pragma once

#include <windows.h>

// Points the import table entries of `module` for ExitProcess, TerminateProcess and
// GetProcAddress (kernel32, kernelbase and their API sets) and for exit, _exit, _Exit and
// quick_exit (the C runtimes: msvcrt, msvcr*, ucrtbase and its API sets) at the stand-ins. The
// GetProcAddress stand-in answers a look-up of any of them with its stand-in too. Entries that
// point there already are left as they are, so a module may be passed more than once.
//
// Inside a plugin call on the calling thread, a stand-in abandons the call (TerminateProcess only
// when it is asked to end this process). Elsewhere (start-up or release code, a thread of the
// plugin's own) nothing can be abandoned: the loader is half-way through its work, or the call is
// not the bench's. The process then ends as asked, after the host has been told.
void InterceptProcessEnd(HMODULE module);

// While it lives, every library that this thread loads (the plugin and whatever it brings in)
// has its imports intercepted as soon as they are resolved, before its start-up code runs.
class ProcessEndInterceptionWhileLoading {
 public:
  ProcessEndInterceptionWhileLoading();
  ~ProcessEndInterceptionWhileLoading();
  ProcessEndInterceptionWhileLoading(const ProcessEndInterceptionWhileLoading&) = delete;
  ProcessEndInterceptionWhileLoading& operator=(const ProcessEndInterceptionWhileLoading&) = delete;

 private:
  void* cookie_ = nullptr;
};

// Told when a plugin asks to end the process where no call can be abandoned, with how it asked
// ("ExitProcess(0)"); it may end the process itself (with an exit code of its own choosing).
using ProcessEndNotice = void (*)(const char* request);
void SetProcessEndNotice(ProcessEndNotice notice);
