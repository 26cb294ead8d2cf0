#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/text/number_text_checks.h"
#include "text/number_text.h"

namespace {

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kDenseReach = 50000;
constexpr int64_t kSweepStride = 42937;  // odd, so the sweep meets every last digit

// Every value near zero and near both ends, each power of ten and of two and its
// neighbours, and an even sweep over the whole range.
std::vector<int32_t> SampledInt32s() {
  std::vector<int32_t> values;
  for (int64_t v = -kDenseReach; v <= kDenseReach; ++v) values.push_back(static_cast<int32_t>(v));
  for (int64_t k = 0; k < kDenseReach; ++k) {
    values.push_back(static_cast<int32_t>(kInt32Max - k));
    values.push_back(static_cast<int32_t>(kInt32Min + k));
  }
  for (int64_t base : {2, 10}) {
    for (int64_t power = base; power <= kInt32Max; power *= base) {
      for (int64_t v = power - 3; v <= power + 3 && v <= kInt32Max; ++v) {
        values.push_back(static_cast<int32_t>(v));
        values.push_back(static_cast<int32_t>(-v));
      }
    }
  }
  for (int64_t v = kInt32Min; v <= kInt32Max; v += kSweepStride) {
    values.push_back(static_cast<int32_t>(v));
  }
  return values;
}

TEST(NumberTextProperties, EverySampledInt32IsItsPlainDecimalDigitsAndReadsBack) {
  std::vector<int32_t> values = SampledInt32s();
  ASSERT_GT(values.size(), 250000u);
  int faults = 0;
  for (int32_t value : values) {
    std::string fault = WholeNumberFault(value);
    if (!fault.empty() && ++faults <= 10) ADD_FAILURE() << fault;
  }
  EXPECT_EQ(faults, 0);
}

TEST(NumberTextProperties, EveryInt16DividedBy100IsItsExactTwoPlaceDecimal) {
  int faults = 0;
  for (int32_t k = std::numeric_limits<int16_t>::min(); k <= std::numeric_limits<int16_t>::max();
       ++k) {
    std::string fault = HundredthsFault(static_cast<int16_t>(k));
    if (!fault.empty() && ++faults <= 10) ADD_FAILURE() << fault;
  }
  EXPECT_EQ(faults, 0);
}

// Bit patterns drawn evenly over all doubles reach every exponent, subnormals and the
// values next to the scaling bounds included.
TEST(NumberTextProperties, EveryTextIsWellFormedAndNearItsValue) {
  uint64_t state = 0x9E3779B97F4A7C15u;
  int faults = 0;
  for (int i = 0; i < 30000; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    double v;
    std::memcpy(&v, &state, sizeof v);
    std::string fault = NumberTextFault(v, NumberToText(v));
    if (!fault.empty() && ++faults <= 10) ADD_FAILURE() << fault;
  }
  EXPECT_EQ(faults, 0);
}

TEST(NumberTextProperties, HexadecimalTextOfEveryUint32ReadsAsItsValue) {
  int faults = 0;
  for (uint64_t v = 0; v <= 0xFFFFFFFFu; v += 65521) {
    char text[16];
    std::snprintf(text, sizeof text, "&H%X", static_cast<unsigned>(v));
    if (TextToNumber(text) != static_cast<double>(v) && ++faults <= 10) ADD_FAILURE() << text;
  }
  EXPECT_EQ(faults, 0);
}

}  // namespace
