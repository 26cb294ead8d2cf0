/* A plugin built for x86-64: the 32-bit bench cannot load it, although it exports a name of the
 * contract. */
__declspec(dllexport) short GetPluginVersion(void) { return 100; }
