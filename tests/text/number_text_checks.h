#pragma once

#include <cstdint>
#include <string>

// Properties of the number text conversions, shared by the unit tests and the fuzz target.
// Each returns an empty text when the property holds and a description of the fault otherwise.

// The text is well formed for v: the sign, either fixed notation without trailing zeros or
// exponent notation with fourteen decimals, only "0"-"9", "-", ".", "e", "+", at most 15
// significant digits, and a value within rounding distance of v.
std::string NumberTextFault(double v, const std::string& text);

// A whole number comes out as its plain decimal digits and reads back as itself.
std::string WholeNumberFault(int32_t value);

// A 16-bit value divided by 100 comes out as its exact decimal with at most two places.
std::string HundredthsFault(int16_t hundredths);
