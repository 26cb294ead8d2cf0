// A plugin whose start-up refuses to load: DllMain answers FALSE to the process attach, so the
// load fails although the library exports a name of the contract.
#include <windows.h>

extern "C" __declspec(dllexport) short __stdcall GetPluginVersion() { return 100; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) { return reason != DLL_PROCESS_ATTACH; }
