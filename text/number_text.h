#pragma once

#include <string>

// The text the bench shows for a number: "-" for a negative value, at most 15 significant
// digits rounded half up, fixed notation without trailing zeros for decimal exponents from
// -3 to 15 ("0.0001" to "123456789012345"), exponent notation outside
// ("1.00000000000000e+015", "9.50000000000000e-05").
// An infinity gives the text of 1e309, the first power of ten beyond every finite double
// ("1.00000000000000e+309", "-1.00000000000000e+309"); a NaN, which no number text
// denotes, gives the empty text.
std::string NumberToText(double v);

// The number at the start of a typed text, after blanks and tabs: a decimal number with an
// optional "-" or "+" and an optional fraction, or an unsigned "&H" (hexadecimal) or "&O"
// (octal) number. Reading stops at the first byte that does not fit; a text with no number
// gives 0, a lone "-" negative zero. A decimal whole part too large for a double gives an
// infinity of its sign.
double TextToNumber(const char* text);
