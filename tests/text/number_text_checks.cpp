#include "tests/text/number_text_checks.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "text/number_text.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t DigitRun(const std::string& text, size_t from) {
  size_t end = from;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - from;
}

// "0", or digits without a leading zero, or either followed by "." and decimals that end in
// a digit other than zero.
std::string FixedNotationFault(const std::string& body) {
  size_t whole = DigitRun(body, 0);
  if (whole == 0) return "no whole part";
  if (whole > 1 && body[0] == '0') return "leading zero";
  if (whole == body.size()) return whole <= 15 ? "" : "more than 15 digits";
  if (body[whole] != '.') return "unexpected character";
  size_t decimals = DigitRun(body, whole + 1);
  if (decimals == 0 || whole + 1 + decimals != body.size()) return "malformed decimals";
  if (body.back() == '0') return "trailing zero";
  size_t firstSignificant = body.find_first_not_of("0.");
  size_t significant = body.size() - firstSignificant - (firstSignificant < whole ? 1 : 0);
  return significant <= 15 ? "" : "more than 15 significant digits";
}

// d.ddddddddddddddde+ddd for exponents of 15 and above, d.dddddddddddddde-dd or -ddd for
// exponents of -5 and below.
std::string ExponentNotationFault(const std::string& body) {
  if (body.size() < 19 || body[0] < '1' || body[0] > '9' || body[1] != '.' ||
      DigitRun(body, 2) != 14 || body[16] != 'e') {
    return "malformed mantissa";
  }
  char sign = body[17];
  size_t digits = DigitRun(body, 18);
  if (18 + digits != body.size()) return "malformed exponent";
  int exponent = std::atoi(body.c_str() + 18);
  if (sign == '+') return digits == 3 && exponent >= 15 ? "" : "wrong large exponent";
  if (sign == '-') {
    return digits == (exponent < 100 ? 2u : 3u) && exponent >= 5 ? "" : "wrong small exponent";
  }
  return "exponent without sign";
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string NumberTextFault(double v, const std::string& text) {
  if (std::isnan(v)) return text.empty() ? "" : "NaN gave " + Quoted(text);
  if (text.find_first_not_of("0123456789-.e+") != std::string::npos) {
    return "forbidden character in " + Quoted(text);
  }
  bool negative = v < 0;
  if (negative != (!text.empty() && text[0] == '-')) return "wrong sign in " + Quoted(text);
  std::string body = text.substr(negative ? 1 : 0);
  std::string fault = body.find('e') == std::string::npos ? FixedNotationFault(body)
                                                          : ExponentNotationFault(body);
  if (!fault.empty()) return fault + " in " + Quoted(text);
  // Read with a wider range than a double's: the largest doubles round up beyond it.
  long double read = std::strtold(body.c_str(), nullptr);
  long double magnitude = std::fabs(v);
  if (std::isinf(v)) {
    return read > std::numeric_limits<double>::max() ? "" : Quoted(text) + " is finite";
  }
  // 15 digits rounded half up, plus one rounding per scaling step by 10
  if (!(std::fabs(read - magnitude) <= 1e-13L * magnitude)) {
    return Quoted(text) + " is too far from the value";
  }
  return "";
}

std::string WholeNumberFault(int32_t value) {
  std::string expected = std::to_string(value);
  std::string text = NumberToText(value);
  if (text != expected) return std::to_string(value) + " gave " + Quoted(text);
  double read = TextToNumber(text.c_str());
  double original = value;
  if (std::memcmp(&read, &original, sizeof read) != 0) {
    return Quoted(text) + " read back as " + NumberToText(read);
  }
  return "";
}

std::string HundredthsFault(int16_t hundredths) {
  int magnitude = std::abs(static_cast<int>(hundredths));
  std::string expected = (hundredths < 0 ? "-" : "") + std::to_string(magnitude / 100);
  int cents = magnitude % 100;
  if (cents != 0) {
    expected += '.';
    expected += static_cast<char>('0' + cents / 10);
    if (cents % 10 != 0) expected += static_cast<char>('0' + cents % 10);
  }
  std::string text = NumberToText(hundredths / 100.0);
  return text == expected ? "" : std::to_string(hundredths) + "/100 gave " + Quoted(text);
}
