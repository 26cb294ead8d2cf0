// Every input is read four ways: as a text for TextToNumber and MissedDateForm, and its first
// bytes as a double, a 32-bit and a 16-bit integer for NumberToText. A broken property aborts,
// so that the fuzzer keeps the input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "request/sale_date_check.h"
#include "tests/text/number_text_checks.h"
#include "text/number_text.h"

namespace {

void Require(const std::string& fault, const std::string& input) {
  if (fault.empty()) return;
  std::fprintf(stderr, "%s (input \"%s\")\n", fault.c_str(), input.c_str());
  std::abort();
}

template <typename T>
T LeadingValue(const uint8_t* data, size_t size) {
  T value{};
  std::memcpy(&value, data, size < sizeof value ? size : sizeof value);
  return value;
}

bool IsDecimalStart(char c) { return (c >= '0' && c <= '9') || c == '.'; }

// exact: the text in a block of exactly its length plus the terminating zero
void CheckTextToNumber(const char* exact, const std::string& text) {
  double v = TextToNumber(exact);
  Require(v != v ? "NaN read" : "", text);
  Require(NumberTextFault(v, NumberToText(v)), text);
  // Leading blanks and tabs are skipped, and a "-" before a decimal number negates it.
  Require(TextToNumber((" \t" + text).c_str()) == v ? "" : "leading blanks changed the value", text);
  if (!text.empty() && IsDecimalStart(text[0])) {
    double negated = TextToNumber(("-" + text).c_str());
    Require(negated == v * -1 && std::signbit(negated) ? "" : "\"-\" did not negate", text);
  }
}

void CheckSaleDate(const char* exact, const std::string& text) {
  const std::optional<DateForm> missed = MissedDateForm(exact);
  size_t length = text.find('\0') == std::string::npos ? text.size() : text.find('\0');
  std::optional<DateForm> expectedKind;
  if (length != 4) expectedKind = length == 7 ? DateForm::YearMonth : DateForm::FullDate;
  if (length == 4 || (length != 7 && length != 10)) {
    Require(missed == expectedKind ? "" : "wrong outcome for its length", text);
  } else {
    Require(!missed || missed == expectedKind ? "" : "wrong form", text);
  }
  // Only the length and the hyphens count.
  std::string hyphensOnly = text;
  for (char& c : hyphensOnly) {
    if (c != '-' && c != '\0') c = 'x';
  }
  Require(MissedDateForm(hyphensOnly.c_str()) == missed ? "" : "a byte other than '-' counted",
          text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  // A block of the exact size, so that a read past the terminating zero is reported.
  std::vector<char> exact(data, data + size);
  exact.push_back('\0');
  exact.shrink_to_fit();
  CheckTextToNumber(exact.data(), text);
  CheckSaleDate(exact.data(), text);

  double v = LeadingValue<double>(data, size);
  Require(NumberTextFault(v, NumberToText(v)), text);
  Require(WholeNumberFault(LeadingValue<int32_t>(data, size)), text);
  Require(HundredthsFault(LeadingValue<int16_t>(data, size)), text);
  return 0;
}
