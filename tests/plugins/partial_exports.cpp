// A plugin with only six of the 24 exports, on both sides of each request-list separator; each
// answers as its script says, like the scriptable plugin.
#include "tests/plugins/scriptable_plugin.h"

SCRIPTED_PLUGIN_TEXT(GetPluginAuthor)
SCRIPTED_SIZED_TEXT(GetTitle)
SCRIPTED_NUMBER(GetR)
SCRIPTED_SIZED_TEXT(GetMemo)
SCRIPTED_SIZED_TEXT(GetSaleDate)
SCRIPTED_SIZED_TEXT(GetCeroRating)
