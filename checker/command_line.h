// The words of the checker's command line that other parts share: the key type names, and the
// quoting of an argument for the two shells that a printed command may be pasted into. Pure: no
// Windows header. Texts are UTF-8, whose characters never hold the byte of a quote or backslash,
// so they are quoted byte by byte.
#pragma once

#include <optional>
#include <string>

#include "plugin/contract.h"

// The key type's name on the command line ("crc16", "crc32", "body", "body.ext", "none" for
// no selection), and back; false for a name that is none of them.
const char* KeyTypeOptionName(std::optional<KeyType> keyType);
bool KeyTypeFromOptionName(const std::string& name, std::optional<KeyType>& keyType);

// Quotes an argument for a Windows command line (the system's splitting into arguments): as it
// is when it holds no blank or quote, else in double quotes with backslashes doubled where they
// precede a quote. Also how messages show a key or a length.
std::string QuoteArgument(const std::string& arg);
// The same for a command pasted into cmd.exe, which also reads & | < > ^ ( ) outside quotes.
std::string QuoteForCmd(const std::string& arg);

// Quotes an argument for a POSIX shell: as it is when it holds only characters that no shell
// reads specially, else in single quotes (a single quote inside becomes '\'').
std::string QuoteForPosixShell(const std::string& arg);
