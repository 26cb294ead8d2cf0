// A library whose start-up code raises an exception and handles it (IsBadReadPtr probes an
// unreadable address), then refuses to be attached: the load fails, but nothing faulted.
#include <windows.h>

extern "C" __declspec(dllexport) short __stdcall GetPluginVersion() { return 100; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  const BOOL nullIsUnreadable = IsBadReadPtr(nullptr, 1);
  return !nullIsUnreadable;
}
