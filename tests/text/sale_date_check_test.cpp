#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "request/sale_date_check.h"

namespace {

const char kYearMonth[] = "[警告]YYYY-mm形式じゃないみたい";
const char kFullDate[] = "[警告]YYYY-mm-dd形式じゃないみたい";

struct DateCase {
  const char* text;
  const char* warning;  // nullptr when the text passes
};

TEST(SaleDateWarning, JudgedByByteLengthAndHyphenPlacesOnly) {
  const DateCase cases[] = {
      // four bytes pass whatever they are
      {"2013", nullptr},
      {"ABCD", nullptr},
      {"----", nullptr},
      {"\x93\xfa\x96\x7b", nullptr},  // two double-byte characters
      // seven bytes: only the first hyphen counts
      {"2013-03", nullptr},
      {"2013-0-", nullptr},
      {"XXXX-XX", nullptr},
      {"2013/03", kYearMonth},
      {"201-303", kYearMonth},
      {"20130-3", kYearMonth},
      {"-013-03", kYearMonth},
      // ten bytes: the first hyphen at 5 and the first one from byte 7 on at 8
      {"2013-03-08", nullptr},
      {"2013--3-08", nullptr},
      {"2013-03-0-", nullptr},
      {"2013/03/08", kFullDate},
      {"2013-0--08", kFullDate},
      {"2013-03/08", kFullDate},
      {"2013/03-08", kFullDate},
      {"2013-0308-", kFullDate},
      {"\x93\xfa\x96\x7b\x93\xfa" "2013", kFullDate},  // three double-byte characters
      {"\x93\xfa-\x96\x7b-\x93\xfa" "20", kFullDate},
      {"2013-\x93\xfa-\x96\x7b", nullptr},
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
    const char* warning = SaleDateWarning(c.text);
    if (c.warning == nullptr) {
      EXPECT_EQ(warning, nullptr) << "\"" << c.text << "\"";
    } else {
      ASSERT_NE(warning, nullptr) << "\"" << c.text << "\"";
      EXPECT_STREQ(warning, c.warning) << "\"" << c.text << "\"";
    }
  }
}

TEST(SaleDateWarning, WarningsAreTheExactShiftJisLines) {
  // "[警告]" in Shift-JIS: 8C 78 8D 90
  EXPECT_STREQ(SaleDateWarning("2013/03"), "[\x8c\x78\x8d\x90]YYYY-mm" "\x8c\x60\x8e\xae"
                                           "\x82\xb6\x82\xe1\x82\xc8\x82\xa2\x82\xdd\x82\xbd\x82\xa2");
  EXPECT_STREQ(SaleDateWarning(""), "[\x8c\x78\x8d\x90]YYYY-mm-dd" "\x8c\x60\x8e\xae"
                                    "\x82\xb6\x82\xe1\x82\xc8\x82\xa2\x82\xdd\x82\xbd\x82\xa2");
}

TEST(SaleDateWarning, ReadsNoFurtherThanTheTerminatingZero) {
  // a 7-byte date whose hyphen would only be found past the end of the text
  const char buffer[] = {'2', '0', '1', '3', '/', '0', '3', '\0', '-', '-'};
  EXPECT_STREQ(SaleDateWarning(buffer), kYearMonth);
}

}  // namespace
