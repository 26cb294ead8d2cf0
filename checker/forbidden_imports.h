// The imported functions that a plugin must never call: it runs inside a batch renamer, in the
// middle of a run over many files, so it must never show a window (no one may be there to answer
// it, and the run stops until someone does) and never end the process (the whole run is lost).
// Pure: no Windows header.
#pragma once

#include <string>
#include <vector>

#include "checker/pe_image.h"

// What importing `function` means for the host, with the rule it breaks ("USER32.dll!MessageBoxA
// shows a message box; …"), or "" when a plugin may import it. A function imported by ordinal is
// judged by its name when the caller has found it, else not at all.
std::string DescribeForbiddenImport(const PeImport& function);

// The names of every function that the rules forbid (to find an import by ordinal among them).
std::vector<std::string> ForbiddenFunctionNames();
