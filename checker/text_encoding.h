// Conversions between the bench's Shift-JIS text (code page 932), UTF-8 and UTF-16. The code page
// is named, never the process's ANSI code page.
#pragma once

#include <string>
#include <vector>

// Shift-JIS bytes as UTF-8. Bytes that are no Shift-JIS character come out as the replacement
// character that the system's conversion gives them.
std::string SjisToUtf8(const std::string& sjis);

// A Shift-JIS line as the window's list shows it: bytes that form no Shift-JIS character (a lead
// byte cut from its trail byte) become the character the system shows for them, "・".
std::string AsShown(const std::string& sjis);

// Whether `text` is UTF-8 throughout.
bool IsUtf8(const std::string& text);
// UTF-8 as Shift-JIS; false when the text is not UTF-8 or holds a character that has no
// Shift-JIS form (the bench could not have shown it).
bool Utf8ToSjis(const std::string& utf8, std::string& sjis);

// UTF-16 as Shift-JIS, with the same rule.
bool WideToSjis(const std::wstring& wide, std::string& sjis);

// UTF-16 as UTF-8.
std::string WideToUtf8(const std::wstring& wide);

// UTF-8 text as Shift-JIS for output, with "?" for each character that Shift-JIS lacks (a path
// may hold one).
std::string Utf8AsShiftJis(const std::string& utf8);

// Shift-JIS lines joined by `separator` into one UTF-8 text (report lines quoted in a message).
std::string JoinAsUtf8(const std::vector<std::string>& sjisLines, const char* separator);
