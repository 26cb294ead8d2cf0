#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>

#include "text/number_text.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

uint64_t Bits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

double FromBits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

struct TextCase {
  double value;
  const char* text;
};

void ExpectTexts(const TextCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    EXPECT_EQ(NumberToText(cases[i].value), cases[i].text)
        << "value bits 0x" << std::hex << Bits(cases[i].value);
  }
}

struct NumberCase {
  std::string text;
  double value;
};

// Bit patterns, so that negative zero differs from zero and a NaN would show.
void ExpectNumbers(const NumberCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    double read = TextToNumber(cases[i].text.c_str());
    EXPECT_EQ(Bits(read), Bits(cases[i].value))
        << "text \"" << cases[i].text << "\" read as " << read << ", expected " << cases[i].value;
  }
}

TEST(NumberToText, WholeNumbersAndHundredthsAsPlainDecimals) {
  const TextCase cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {5, "5"},
      {-5, "-5"},
      {100, "100"},
      {2147483647, "2147483647"},
      {-2147483648.0, "-2147483648"},
      {62 / 100.0, "0.62"},
      {100 / 100.0, "1"},
      {150 / 100.0, "1.5"},
      {5 / 100.0, "0.05"},
      {-32768 / 100.0, "-327.68"},
  };
  ExpectTexts(cases, std::size(cases));
}

TEST(NumberToText, FifteenSignificantDigitsRoundedHalfUp) {
  const TextCase cases[] = {
      {1 / 3.0, "0.333333333333333"},
      {2 / 3.0, "0.666666666666667"},
      {100 / 3.0, "33.3333333333333"},
      {123456789012345.0, "123456789012345"},
      // just below 1: the first digit is 0 and the rounding carries into it
      {0.999999999999999, "1"},
      {FromBits(0x3FEFFFFFFFFFFFFF), "1"},
      // the upper bound itself, and the double just below it
      {9.99999999999999, "10"},
      {FromBits(0x4023FFFFFFFFFFF9), "9.99999999999999"},
      {99.9999999999999, "100"},
  };
  ExpectTexts(cases, std::size(cases));
}

TEST(NumberToText, FixedNotationFromThousandthsToFifteenDigits) {
  const TextCase cases[] = {
      {0.0001, "0.0001"},
      {0.00012345, "0.00012345"},
      {0.001, "0.001"},
      {-0.5, "-0.5"},
      {100000000000000.0, "100000000000000"},
  };
  ExpectTexts(cases, std::size(cases));
}

TEST(NumberToText, ExponentNotationOutsideTheFixedRange) {
  const TextCase cases[] = {
      {0.00001, "1.00000000000000e-05"},
      {0.000095, "9.50000000000000e-05"},
      {-0.00000025, "-2.50000000000000e-07"},
      {1e-10, "1.00000000000000e-10"},
      {1e-100, "1.00000000000000e-100"},
      {999999999999999.0, "1.00000000000000e+015"},
      {1000000000000000.0, "1.00000000000000e+015"},
      {1234567890123456.0, "1.23456789012346e+015"},
      {150000000000000000000.0, "1.50000000000000e+020"},
      {-1e100, "-1.00000000000000e+100"},
      {std::numeric_limits<double>::max(), "1.79769313486232e+308"},
      {std::numeric_limits<double>::min(), "2.22507385850720e-308"},
      {std::numeric_limits<double>::denorm_min(), "4.94065645841247e-324"},
      {-std::numeric_limits<double>::denorm_min(), "-4.94065645841247e-324"},
  };
  ExpectTexts(cases, std::size(cases));
}

TEST(NumberToText, InfinityIsTheFirstPowerOfTenBeyondEveryDoubleAndNaNHasNoText) {
  const TextCase cases[] = {
      {kInfinity, "1.00000000000000e+309"},
      {-kInfinity, "-1.00000000000000e+309"},
      {std::numeric_limits<double>::quiet_NaN(), ""},
      {-std::numeric_limits<double>::quiet_NaN(), ""},
  };
  ExpectTexts(cases, std::size(cases));
}

TEST(TextToNumber, DecimalTextReadUpToTheFirstByteThatDoesNotFit) {
  const NumberCase cases[] = {
      {"42", 42},
      {"  42", 42},
      {"\t-7.5xyz", -7.5},
      {"+3", 3},
      {"12.9", 12.9},
      {".5", 0.5},
      {"5.", 5},
      {"1.2.3", 1.2},
      {"00012", 12},
      {"1e3", 1},
      {"1,000", 1},
      {"2147483648", 2147483648.0},
      {"-2147483649", -2147483649.0},
  };
  ExpectNumbers(cases, std::size(cases));
}

TEST(TextToNumber, NoNumberGivesZeroAndALoneMinusNegativeZero) {
  const NumberCase cases[] = {
      {"abc", 0.0},
      {"", 0.0},
      {"+-5", 0.0},
      {"0x10", 0.0},
      {"\n8", 0.0},
      {"\r8", 0.0},
      {"\x81\x40" "8", 0.0},  // a double-byte blank
      {"１２", 0.0},          // full-width digits
      {"-", -0.0},
      {"- 5", -0.0},
      {"--5", -0.0},
      {"-&H10", -0.0},
      {"-.", -0.0},
  };
  ExpectNumbers(cases, std::size(cases));
}

TEST(TextToNumber, HexadecimalAndOctalForms) {
  const NumberCase cases[] = {
      {"&HFF", 255},
      {"&hff", 255},
      {"&HfF", 255},
      {" \t&H10", 16},
      {"&O17", 15},
      {"&o17", 15},
      {"&O777", 511},
      {"&H1G", 1},
      {"&O78", 7},
      {"&O8", 0},
      {"&H", 0},
      {"&", 0},
      {"& H1", 0},
      {"&X1", 0},
      {"&H-1", 0},
      {"&H7FFFFFFF", 2147483647},
      {"&H80000000", 2147483648.0},
      {"&HFFFFFFFF", 4294967295.0},
      {"&H000000000000000000001", 1},
  };
  ExpectNumbers(cases, std::size(cases));
}

TEST(TextToNumber, PrefixedFormsWrapLikeSigned64BitTerms) {
  const NumberCase cases[] = {
      {"&H7FFFFFFFFFFFFFFF", 9223372036854775807.0},
      {"&H8000000000000000", -9223372036854775808.0},
      // the lower fifteen digits sum to 2^60 - 1, rounded to 2^60; the top term reads as -2^60
      {"&HFFFFFFFFFFFFFFFF", 0},
      // the leading 1 falls on the place 16 to the power 16, which wraps to 0
      {"&H10000000000000005", 5},
      {"&O1000000000000000000000", -9223372036854775808.0},
      {"&O2000000000000000000000", 0},
      // beyond 22 octal digits the place has wrapped to 0
      {"&O" + std::string(22, '7'), 0},
      {"&O" + std::string(200, '7'), 0},
      {"&O" + std::string(200, '0') + "17", 15},
  };
  ExpectNumbers(cases, std::size(cases));
}

TEST(TextToNumber, WholePartBeyondTheLargestDoubleIsInfiniteAndLeadingZerosCountForNothing) {
  const std::string zeros309(309, '0');
  const NumberCase cases[] = {
      {"1" + zeros309, kInfinity},
      {"-1" + zeros309, -kInfinity},
      {"1" + zeros309 + ".5", kInfinity},
      {std::string(400, '0') + "5", 5},
      {std::string(400, '0') + "5.25", 5.25},
      {"-" + std::string(400, '0'), -0.0},
      {"0." + std::string(400, '0') + "1", 0.0},
      {std::string(400, '9'), kInfinity},
  };
  ExpectNumbers(cases, std::size(cases));
  double largestPlace = TextToNumber(("1" + std::string(308, '0')).c_str());
  EXPECT_GT(largestPlace, 9.9e307);
  EXPECT_LT(largestPlace, kInfinity);
}

// Digits and carries rely on every intermediate being rounded to a double; 80-bit x87
// registers would keep more range and precision. The operands are volatile so that the
// compiler cannot fold the expressions.
TEST(DoubleArithmetic, EveryStepIsRoundedAsADouble) {
  volatile double large = 1e308;
  volatile double ten = 10;
  EXPECT_EQ(large * ten / ten, kInfinity);

  volatile double one = 1;
  volatile double halfUlp = 0x1p-53;
  volatile double tiny = 0x1p-70;
  // 1 + 2^-53 ties to even, down to 1; an extended register keeps it and then rounds up.
  EXPECT_EQ(one + halfUlp + tiny, 1.0);
}

}  // namespace
