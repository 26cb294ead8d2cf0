// The DLL that needs_missing_dll.dll imports from; it stays in a folder no search reaches.
extern "C" __declspec(dllexport) int __stdcall MissingHelperValue() { return 100; }
