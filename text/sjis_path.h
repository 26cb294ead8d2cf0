// Paths as Shift-JIS (code page 932) bytes, walked a character at a time: the trail byte of a
// double-byte character can be 5C, the backslash (表 95 5C, ソ 83 5C, 能 94 5C), so a path is never
// split or searched byte by byte. Pure: no Windows header, the lead bytes are those of code page 932.
#pragma once

#include <cstddef>
#include <string>

// Whether `byte` starts a double-byte character in code page 932 (81-9F, E0-FC).
bool IsSjisLeadByte(unsigned char byte);

// Whether the text's last character is the first byte of a double-byte character without its
// second byte: a character cut in half. The text is walked from its start, since the byte before
// the last may itself be a trail byte.
bool EndsWithCutCharacter(const std::string& text);

// The offset just after the last separator ('\\' or '/') of the zero-terminated `path` that is a
// character of its own; 0 when it has none. Allocates nothing (it runs inside exception handlers).
size_t FileNameOffset(const char* path);
size_t FileNameOffset(const std::string& path);

// The last component of `path` ("表示ソフト.dll" from "C:\表\表示ソフト.dll"); the whole path when it
// has no separator.
std::string FileNameOf(const std::string& path);

// `path` up to and including its last separator ("C:\表\" from "C:\表\list.txt"); empty when it has
// no separator.
std::string FolderOf(const std::string& path);

// Whether the last character of `path` is a separator, not the trail byte of a double-byte
// character that happens to have the same value.
bool EndsWithSeparator(const std::string& path);
