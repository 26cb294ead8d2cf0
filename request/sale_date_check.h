#pragma once

#include <optional>

// The forms that a sale date is checked against.
enum class DateForm {
  YearMonth,  // YYYY-mm
  FullDate,   // YYYY-mm-dd
};

// The form that a sale date was taken for and does not have, or none when the text passes (it has
// one of the forms YYYY, YYYY-mm and YYYY-mm-dd). Only the byte length and the places of the
// hyphens count: any four bytes pass, seven bytes need their first hyphen at byte 5 (else they miss
// YYYY-mm), ten bytes need it at byte 5 and the first hyphen from byte 7 on at byte 8; every other
// length misses YYYY-mm-dd.
std::optional<DateForm> MissedDateForm(const char* text);
