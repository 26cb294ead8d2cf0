// A library whose start-up code ends the process with exit code 0 when it is attached.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ExitProcess(0);
  return TRUE;
}
