#include "text/number_text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

// Every step below must be one double operation rounded as a double: 80-bit x87
// intermediates would change digits and carries.
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ != 0
#error "number text conversion needs SSE2 doubles (-msse2 -mfpmath=sse)"
#endif

namespace {

constexpr int kSignificantDigits = 15;
constexpr int kFirstFixedExponent = -3;
constexpr int kLastFixedExponent = 15;
constexpr double kRoundingThreshold = 5;

double DoubleFromBits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The doubles nearest to 0.999999999999999 and 9.99999999999999. Between them the first
// digit is 1 to 9, or 0 for a magnitude just below 1, where rounding carries into it; a
// carry out of the first digit cannot happen.
const double kLowerBound = DoubleFromBits(0x3FEFFFFFFFFFFFF7);
const double kUpperBound = DoubleFromBits(0x4023FFFFFFFFFFFA);

// The magnitude is about 0.d1d2...d15 times 10 to the power exponent.
struct DigitString {
  int digits[kSignificantDigits];
  int exponent;
};

// The digit string of a finite magnitude above zero.
DigitString DigitsOf(double m) {
  DigitString s{};
  s.exponent = 1;
  while (m < kLowerBound) {
    m = m * 10;
    --s.exponent;
  }
  // Dividing can leave m a little below the lower bound (9.99999999999999 / 10); the first
  // loop is not run again, the first digit is then 0 and the rounding carries into it.
  while (m >= kUpperBound) {
    m = m / 10;
    ++s.exponent;
  }
  for (int& digit : s.digits) {
    digit = static_cast<int>(m);
    m = (m - digit) * 10;
  }
  if (m >= kRoundingThreshold) {
    for (int i = kSignificantDigits - 1; i >= 0; --i) {
      if (++s.digits[i] < 10) break;
      s.digits[i] = 0;
    }
  }
  return s;
}

// 10 to the power 309: an infinity is written as the first power of ten that no double reaches.
DigitString BeyondLargestDouble() {
  DigitString s{};
  s.digits[0] = 1;
  s.exponent = 310;
  return s;
}

void AppendDigits(std::string& text, const DigitString& s, int first, int end) {
  for (int i = first; i < end; ++i) text += static_cast<char>('0' + s.digits[i]);
}

void AppendExponentNotation(std::string& text, const DigitString& s) {
  AppendDigits(text, s, 0, 1);
  text += '.';
  AppendDigits(text, s, 1, kSignificantDigits);
  text += 'e';
  // "%03d" counts a minus sign toward the width: "-05", "-10", "-324"
  char exponent[16];
  std::snprintf(exponent, sizeof exponent, s.exponent > kLastFixedExponent ? "+%03d" : "%03d",
                s.exponent - 1);
  text += exponent;
}

void AppendFixedNotation(std::string& text, const DigitString& s) {
  int next = 0;
  if (s.exponent > 0) {
    next = s.exponent;
    AppendDigits(text, s, 0, next);
    text += '.';
  } else {
    text += "0.";
    text.append(-s.exponent, '0');
  }
  AppendDigits(text, s, next, kSignificantDigits);
  // The "." stops the removal, so the zeros of the whole part stay: 100 gives "100".
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
}

int DigitValue(char c, unsigned base) {
  if (c >= '0' && c <= '9') {
    int value = c - '0';
    return value < static_cast<int>(base) ? value : -1;
  }
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// p points just after "&". The terms are summed from the last digit to the first, each read
// as a signed 64-bit product of a place that wraps modulo 2 to the power 64.
double PrefixedNumber(const char* p) {
  unsigned base;
  switch (*p) {
    case 'O':
    case 'o':
      base = 8;
      break;
    case 'H':
    case 'h':
      base = 16;
      break;
    default:
      return 0;
  }
  const char* first = ++p;
  while (DigitValue(*p, base) >= 0) ++p;
  double total = 0;
  uint64_t place = 1;
  for (const char* digit = p; digit != first;) {
    --digit;
    uint64_t term = static_cast<uint64_t>(DigitValue(*digit, base)) * place;
    total = total + static_cast<double>(static_cast<int64_t>(term));
    place *= base;
  }
  return total;
}

double DecimalNumber(const char* p) {
  bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  const char* wholeStart = p;
  while (IsDecimalDigit(*p)) ++p;
  double total = 0;
  double place = 1;
  for (const char* digit = p; digit != wholeStart;) {
    --digit;
    int value = *digit - '0';
    // A zero adds nothing. Skipping it also keeps a leading zero from making 0 times an
    // infinite place, a NaN, once a long whole part takes the place past the largest double.
    if (value != 0) total = total + value * place;
    place = place * 10;
  }
  if (*p == '.') {
    double fractionPlace = 10;
    for (++p; IsDecimalDigit(*p); ++p) {
      total = total + (*p - '0') / fractionPlace;
      fractionPlace = fractionPlace * 10;
    }
  }
  return negative ? total * -1 : total;
}

}  // namespace

std::string NumberToText(double v) {
  if (v != v) return std::string();
  // Negative zero compares equal to zero and counts as not negative.
  bool negative = v < 0;
  double m = negative ? v * -1 : v;
  DigitString s{};
  if (m == std::numeric_limits<double>::infinity()) {
    s = BeyondLargestDouble();
  } else if (m != 0) {
    s = DigitsOf(m);
  }
  std::string text = negative ? "-" : "";
  if (s.exponent < kFirstFixedExponent || s.exponent > kLastFixedExponent) {
    AppendExponentNotation(text, s);
  } else {
    AppendFixedNotation(text, s);
  }
  return text;
}

double TextToNumber(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '&') return PrefixedNumber(p + 1);
  return DecimalNumber(p);
}
