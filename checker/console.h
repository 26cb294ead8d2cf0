// The checker's command line and its two output streams. Two kinds of text reach them: report
// lines, the bench's own Shift-JIS bytes, and the checker's own text (its verdicts, messages and
// the paths in them), UTF-8. Each is converted to the chosen output encoding as it is written.
#pragma once

#include <string>
#include <vector>

#include "checker/options.h"

// The arguments after the program name, taken from the wide command line as UTF-8, so that any
// name arrives whatever the process's ANSI code page.
std::vector<std::string> ReadCommandLine();

// How the output is written: UTF-8, or Shift-JIS (the bench's own bytes for report lines; the
// checker's text in Shift-JIS, with "?" for a character that Shift-JIS lacks).
void SetOutputEncoding(OutputEncoding encoding);

// One Shift-JIS report line on the standard output, in the chosen encoding, ended by CR LF.
void PrintLine(const std::string& sjisLine);
// One line of the checker's own UTF-8 text on the standard output, ended by CR LF.
void PrintText(const std::string& utf8Line);
// UTF-8 text on the standard output as it is (a JSON report).
void PrintUtf8(const std::string& text);
// One UTF-8 message on the standard error, after "QB2LPTCheck: ", in the chosen encoding.
void PrintMessage(const std::string& utf8Message);
// The bytes that PrintMessage writes, and writing them: a message prepared in advance can be
// written later without converting or allocating anything.
std::string MessageBytes(const std::string& utf8Message);
void WriteError(const std::string& bytes);

// "1 case", "2 cases": a count and its noun, singular or plural as the count needs.
std::string Counted(long long count, const char* singular, const char* plural);
