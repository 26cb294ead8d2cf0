/* A plugin source that needs windows.h: the header then leaves GetVersion to windows.h, and the
 * plugin defines that export under another name, mapped to GetVersion in its .def file. */
#include <windows.h>
#define QB2LPT_DECLARE_EXPORTS
#include "sdk/qb2lpt_plugin.h"

QB2LPT_SIZED_TEXT(PluginGetVersion);
extern const Qb2lptSizedTextFn sdkRenamedVersionExport;
const Qb2lptSizedTextFn sdkRenamedVersionExport = PluginGetVersion;
