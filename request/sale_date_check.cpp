#include "request/sale_date_check.h"

#include <cstring>

namespace {

const char kYearMonthWarning[] = "[警告]YYYY-mm形式じゃないみたい";
const char kFullDateWarning[] = "[警告]YYYY-mm-dd形式じゃないみたい";

// 1-based byte position of the first hyphen at or after start, or 0 when there is none.
// A hyphen byte is never the second byte of a double-byte character.
size_t HyphenFrom(const char* text, size_t start) {
  const char* hyphen = std::strchr(text + start - 1, '-');
  return hyphen ? static_cast<size_t>(hyphen - text) + 1 : 0;
}

}  // namespace

const char* SaleDateWarning(const char* text) {
  switch (std::strlen(text)) {
    case 4:
      return nullptr;
    case 7:
      return HyphenFrom(text, 1) == 5 ? nullptr : kYearMonthWarning;
    case 10: {
      size_t first = HyphenFrom(text, 1);
      size_t fromSeventh = HyphenFrom(text, 7);
      return first == 5 && fromSeventh == 8 ? nullptr : kFullDateWarning;
    }
    default:
      return kFullDateWarning;
  }
}
