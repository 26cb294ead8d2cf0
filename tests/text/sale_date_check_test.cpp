#include <gtest/gtest.h>

#include <optional>

#include "request/sale_date_check.h"

namespace {

constexpr std::optional<DateForm> kPasses;
constexpr std::optional<DateForm> kYearMonth = DateForm::YearMonth;
constexpr std::optional<DateForm> kFullDate = DateForm::FullDate;

struct DateCase {
  const char* text;
  std::optional<DateForm> missed;
};

TEST(MissedDateForm, JudgedByByteLengthAndHyphenPlacesOnly) {
  const DateCase cases[] = {
      // four bytes pass whatever they are
      {"2013", kPasses},
      {"ABCD", kPasses},
      {"----", kPasses},
      {"\x93\xfa\x96\x7b", kPasses},  // two double-byte characters
      // seven bytes: only the first hyphen counts
      {"2013-03", kPasses},
      {"2013-0-", kPasses},
      {"XXXX-XX", kPasses},
      {"2013/03", kYearMonth},
      {"201-303", kYearMonth},
      {"20130-3", kYearMonth},
      {"-013-03", kYearMonth},
      // ten bytes: the first hyphen at 5 and the first one from byte 7 on at 8
      {"2013-03-08", kPasses},
      {"2013--3-08", kPasses},
      {"2013-03-0-", kPasses},
      {"2013/03/08", kFullDate},
      {"2013-0--08", kFullDate},
      {"2013-03/08", kFullDate},
      {"2013/03-08", kFullDate},
      {"2013-0308-", kFullDate},
      {"\x93\xfa\x96\x7b\x93\xfa" "2013", kFullDate},  // three double-byte characters
      {"\x93\xfa-\x96\x7b-\x93\xfa" "20", kFullDate},
      {"2013-\x93\xfa-\x96\x7b", kPasses},
      // every other length warns
      {"", kFullDate},
      {"2", kFullDate},
      {"201", kFullDate},
      {"20130", kFullDate},
      {"2013-3", kFullDate},
      {"2013-3-8", kFullDate},
      {"20130308", kFullDate},
      {"2013-03-", kFullDate},
      {"2013-03-0", kFullDate},
      {"2013-03-08 ", kFullDate},
  };
  for (const DateCase& c : cases) {
    EXPECT_EQ(MissedDateForm(c.text), c.missed) << "\"" << c.text << "\"";
  }
}

TEST(MissedDateForm, ReadsNoFurtherThanTheTerminatingZero) {
  // a 7-byte date whose hyphen would only be found past the end of the text
  const char buffer[] = {'2', '0', '1', '3', '/', '0', '3', '\0', '-', '-'};
  EXPECT_EQ(MissedDateForm(buffer), kYearMonth);
}

}  // namespace
