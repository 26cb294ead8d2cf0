// The checker's command line and its two output streams.
#pragma once

#include <string>
#include <vector>

#include "checker/options.h"

// The arguments after the program name, taken from the wide command line and converted to
// Shift-JIS, so that Japanese keys and paths reach the bench as it would see them. False, with
// `error` naming the argument, when one holds a character that has no Shift-JIS form.
bool ReadCommandLine(std::vector<std::string>& args, std::string& error);

// How report lines are written: UTF-8 (converted from the bench's Shift-JIS) or Shift-JIS as is.
void SetOutputEncoding(OutputEncoding encoding);

// One Shift-JIS line on the standard output, in the chosen encoding, ended by CR LF.
void PrintLine(const std::string& line);
// UTF-8 text on the standard output as it is (a JSON report).
void PrintUtf8(const std::string& text);
// One Shift-JIS message on the standard error, after "QB2LPTCheck: ", in the chosen encoding.
void PrintMessage(const std::string& message);
