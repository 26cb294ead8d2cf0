// A plugin that imports from a DLL which is built elsewhere and never shipped beside it.
extern "C" __declspec(dllimport) int __stdcall MissingHelperValue();

extern "C" __declspec(dllexport) short __stdcall GetPluginVersion() {
  return static_cast<short>(MissingHelperValue());
}
