// The check mode's look at what the plugin imports: each imported function that shows a window or
// ends the process is a warning of the case "imports" (a failure with --strict).
#pragma once

#include "checker/options.h"

void CheckPluginImports(const CheckerOptions& options);
