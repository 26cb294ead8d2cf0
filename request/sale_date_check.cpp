#include "request/sale_date_check.h"

#include <cstring>

namespace {

// 1-based byte position of the first hyphen at or after start, or 0 when there is none.
// A hyphen byte is never the second byte of a double-byte character.
size_t HyphenFrom(const char* text, size_t start) {
  const char* hyphen = std::strchr(text + start - 1, '-');
  return hyphen ? static_cast<size_t>(hyphen - text) + 1 : 0;
}

}  // namespace

std::optional<DateForm> MissedDateForm(const char* text) {
  switch (std::strlen(text)) {
    case 4:
      return std::nullopt;
    case 7:
      if (HyphenFrom(text, 1) == 5) return std::nullopt;
      return DateForm::YearMonth;
    case 10: {
      size_t first = HyphenFrom(text, 1);
      size_t fromSeventh = HyphenFrom(text, 7);
      if (first == 5 && fromSeventh == 8) return std::nullopt;
      return DateForm::FullDate;
    }
    default:
      return DateForm::FullDate;
  }
}
