#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/contract.h"
#include "plugin/plugin_call.h"

namespace {

struct Lines : ReportSink {
  std::string all;
  void AppendLine(const char* line) override { all += std::string(line) + "\n"; }
};

TEST(Contract, TextsAreShiftJisBytes) {
  // "[国]" is 5B 8D 91 5D in Shift-JIS; a UTF-8 build would give 5B E5 9B BD 5D.
  EXPECT_STREQ(kExports[kGetCountry].label, "\x5B\x8D\x91\x5D");
  EXPECT_STREQ(StatusMessage(-512), "エラー：リストファイル中に指定されたキーが無い");
}

TEST(Contract, StatusCodesMatchExactly) {
  const int16_t known[] = {0, -256, -512, -513, -768, -769};
  for (int16_t code : known) EXPECT_NE(StatusMessage(code), nullptr) << code;
  const int16_t unknown[] = {-1, -257, -511, -514, -767, -770, -32768, 1, 24, 32767};
  for (int16_t code : unknown) {
    Lines lines;
    ReportPluginStatus(lines, code);
    EXPECT_EQ(lines.all, "") << code;
  }
}

TEST(Contract, KeyTypeCodes) {
  EXPECT_EQ(KeyTypeCode(0), 16);
  EXPECT_EQ(KeyTypeCode(1), 0);
  EXPECT_EQ(KeyTypeCode(2), 100);
  EXPECT_EQ(KeyTypeCode(3), 101);
  EXPECT_EQ(KeyTypeCode(-1), 0);
  EXPECT_EQ(KeyTypeCode(4), 0);
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
  Lines lines;
  int16_t result = 0;
  ASSERT_TRUE(CallPlugin(lines, kGetTitle, slots, 5, result));
  EXPECT_EQ(result, -256);
  EXPECT_EQ(seen[0], 1u);
  EXPECT_EQ(seen[2], 0xFFFFFFFBu);
  EXPECT_EQ(seen[4], 4464u);
  PluginTable[kGetTitle] = nullptr;
}

}  // namespace
