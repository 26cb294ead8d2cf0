// Conversions between the bench's Shift-JIS text (code page 932), UTF-8 and UTF-16.
#pragma once

#include <string>

// Shift-JIS bytes as UTF-8. Bytes that are no Shift-JIS character come out as the replacement
// character that the system's conversion gives them.
std::string SjisToUtf8(const std::string& sjis);

// A Shift-JIS line as the window's list shows it: bytes that form no Shift-JIS character (a lead
// byte cut from its trail byte) become the character the system shows for them, "・".
std::string AsShown(const std::string& sjis);

// UTF-8 as Shift-JIS; false when the text is not UTF-8 or holds a character that has no
// Shift-JIS form (the bench could not have shown it).
bool Utf8ToSjis(const std::string& utf8, std::string& sjis);

// UTF-16 as Shift-JIS, with the same rule.
bool WideToSjis(const std::wstring& wide, std::string& sjis);
