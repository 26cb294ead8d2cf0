#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/contract.h"
#include "plugin/plugin_call.h"
#include "request/report_lines.h"

namespace {

TEST(Contract, TextsAreShiftJisBytes) {
  // "[国]" is 5B 8D 91 5D in Shift-JIS; a UTF-8 build would give 5B E5 9B BD 5D.
  EXPECT_EQ(ReportLine(RequestLabel{kGetCountry}), "\x5B\x8D\x91\x5D");
  EXPECT_EQ(ReportLine(StatusAnswered{-512}), "エラー：リストファイル中に指定されたキーが無い");
  // "[警告]" is 8C 78 8D 90.
  EXPECT_EQ(ReportLine(SaleDateMisformed{DateForm::YearMonth}),
            "[\x8c\x78\x8d\x90]YYYY-mm" "\x8c\x60\x8e\xae"
            "\x82\xb6\x82\xe1\x82\xc8\x82\xa2\x82\xdd\x82\xbd\x82\xa2");
  EXPECT_EQ(ReportLine(SaleDateMisformed{DateForm::FullDate}),
            "[\x8c\x78\x8d\x90]YYYY-mm-dd" "\x8c\x60\x8e\xae"
            "\x82\xb6\x82\xe1\x82\xc8\x82\xa2\x82\xdd\x82\xbd\x82\xa2");
}

TEST(Contract, StatusCodesMatchExactly) {
  const int16_t known[] = {0, -256, -512, -513, -768, -769};
  for (int16_t code : known) {
    EXPECT_TRUE(IsStatusCode(code)) << code;
    EXPECT_NE(ReportLine(StatusAnswered{code}), "") << code;
  }
  const int16_t unknown[] = {-1, -257, -511, -514, -767, -770, -32768, 1, 24, 32767};
  for (int16_t code : unknown) {
    EXPECT_FALSE(IsStatusCode(code)) << code;
    EXPECT_EQ(ReportLine(StatusAnswered{code}), "") << code;
  }
}

TEST(Contract, KeyTypeCodes) {
  EXPECT_EQ(KeyTypeCode(KeyType::Crc16), 16);
  EXPECT_EQ(KeyTypeCode(KeyType::Crc32), 0);
  EXPECT_EQ(KeyTypeCode(KeyType::Body), 100);
  EXPECT_EQ(KeyTypeCode(KeyType::BodyExt), 101);
  EXPECT_EQ(KeyTypeCode(std::nullopt), 0);
}

TEST(Contract, ExportOrderAndPatterns) {
  EXPECT_STREQ(kExports[0].name, "GetPluginVersion");
  EXPECT_STREQ(kExports[kExportCount - 1].name, "GetCeroRating");
  int sized = 0, numeric = 0;
  for (const ExportInfo& e : kExports) {
    sized += e.pattern == CallPattern::SizedText;
    numeric += e.pattern == CallPattern::Numeric;
  }
  EXPECT_EQ(sized, 18);  // seventeen through RequestSizedText, and GetSaleDate
  EXPECT_EQ(numeric, 3);
  EXPECT_EQ(FindExport("GetPrice"), kGetPrice);
  EXPECT_EQ(FindExport("getprice"), -1);
}

uint32_t seen[5];
uint32_t __stdcall FiveSlots(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e) {
  seen[0] = a, seen[1] = b, seen[2] = c, seen[3] = d, seen[4] = e;
  return 0x1234FF00;  // the high half is ignored: the result is 0xFF00, -256
}

TEST(PluginCall, PassesSlotsInOrderAndReadsLow16BitsSigned) {
  PluginTable[kGetTitle] = reinterpret_cast<void*>(&FiveSlots);
  const uint32_t slots[5] = {1, 2, KeyTypeSlot(-5), 4, SizeSlot(70000)};
  const CallOutcome outcome = CallPlugin(kGetTitle, slots, 5);
  ASSERT_TRUE(outcome.returned);
  EXPECT_EQ(outcome.result, -256);
  EXPECT_TRUE(outcome.breaches.empty());
  EXPECT_EQ(seen[0], 1u);
  EXPECT_EQ(seen[2], 0xFFFFFFFBu);
  EXPECT_EQ(seen[4], 4464u);
  PluginTable[kGetTitle] = nullptr;
}

}  // namespace
