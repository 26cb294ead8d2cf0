// Fuzz cases: one seed always gives the same case, and the cases cover what they are meant to.
#include <gtest/gtest.h>

#include <set>

#include "checker/fuzz_cases.h"
#include "plugin/contract.h"

namespace {

bool Same(const FuzzCase& a, const FuzzCase& b) {
  return a.request == b.request && a.listData == b.listData && a.key == b.key &&
         a.keyType == b.keyType && a.requestedLength == b.requestedLength;
}

TEST(FuzzCases, ASeedAlwaysGivesTheSameCase) {
  const std::vector<int> requests = {kGetTitle, kGetYear, kGetSaleDate};
  for (uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    EXPECT_TRUE(Same(MakeFuzzCase(seed, requests, {}, "base list", "key"),
                     MakeFuzzCase(seed, requests, {}, "base list", "key")));
    EXPECT_TRUE(Same(MakeFuzzCase(seed, requests, {}, "", ""), MakeFuzzCase(seed, requests, {}, "", "")));
  }
}

TEST(FuzzCases, SeedsSpreadOverRequestsKeyTypesAndInputs) {
  const std::vector<int> requests = {kGetTitle, kGetYear, kGetSaleDate};
  std::set<int> seenRequests, seenKeyTypes;
  std::set<std::string> lists, keys;
  bool emptyLength = false, someLength = false, longKey = false;
  for (uint32_t seed = 100; seed < 400; ++seed) {
    const FuzzCase c = MakeFuzzCase(seed, requests, {}, "crc16\tcrc32\n1A2B\tAB\n", "1A2B");
    seenRequests.insert(c.request);
    seenKeyTypes.insert(c.keyType ? static_cast<int>(*c.keyType) : -1);
    lists.insert(c.listData);
    keys.insert(c.key);
    emptyLength = emptyLength || c.requestedLength.empty();
    someLength = someLength || !c.requestedLength.empty();
    longKey = longKey || c.key.size() >= 259;
  }
  EXPECT_EQ(seenRequests, (std::set<int>(requests.begin(), requests.end())));
  EXPECT_EQ(seenKeyTypes, (std::set<int>{-1, 0, 16, 100, 101}));  // none and the four codes
  EXPECT_GT(lists.size(), 250u);
  EXPECT_GT(keys.size(), 20u);
  EXPECT_TRUE(keys.count("1A2B"));
  EXPECT_TRUE(emptyLength && someLength && longKey);
}

}  // namespace
