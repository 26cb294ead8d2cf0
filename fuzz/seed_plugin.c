/* The seed of the PE inspection's fuzz target: a real, small 32-bit DLL with named exports and
 * imports from two DLLs, two of them functions that a plugin must never call, built by the cross
 * compiler when the fuzz targets are built. */
#include <windows.h>

__declspec(dllexport) short __stdcall GetPluginVersion(void) { return 100; }

__declspec(dllexport) short __stdcall GetTitle(const char *list, const char *key, short type,
                                               char **buffer, unsigned short size) {
  (void)list; (void)key; (void)type; (void)buffer; (void)size;
  return (short)(GetTickCount() & 1);
}

__declspec(dllexport) short __stdcall GetYear(const char *list, const char *key, short type) {
  (void)list; (void)key;
  if (type == 99) MessageBoxA(NULL, "never", "shown", MB_OK);
  if (type == 98) ExitProcess(1);
  return (short)CharUpperA((char *)"y")[0];
}

BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance; (void)reason; (void)reserved;
  return TRUE;
}
