// The shrinker: what it keeps, and that it never asks for more re-runs than it may.
#include <gtest/gtest.h>

#include "checker/shrink.h"

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Shrink, KeepsOnlyTheBytesThatTheFailureNeeds) {
  // Fails while the list holds "AB" (in that order, with anything between) and the key a 'k'.
  const StillFails needsAandBandK = [](const ShrinkInput& in) {
    const size_t a = in.listData.find('A');
    return a != std::string::npos && in.listData.find('B', a) != std::string::npos && Has(in.key, "k");
  };
  const ShrinkResult spread = Shrink({"xxAxxxxxxxxxxxxxBxxxxxxxxxx", "abkcd"}, needsAandBandK, 1000);
  EXPECT_EQ(spread.input.listData, "AB");
  EXPECT_EQ(spread.input.key, "k");

  // A failure that needs nothing goes down to empty parts, a single byte included.
  const StillFails always = [](const ShrinkInput&) { return true; };
  const ShrinkResult empty = Shrink({"x", "some key"}, always, 1000);
  EXPECT_EQ(empty.input.listData, "");
  EXPECT_EQ(empty.input.key, "");

  // A failure that needs every byte keeps every byte.
  const ShrinkInput whole{"abcdef", "kk"};
  const StillFails exact = [&](const ShrinkInput& in) {
    return in.listData == whole.listData && in.key == whole.key;
  };
  const ShrinkResult kept = Shrink(whole, exact, 1000);
  EXPECT_EQ(kept.input.listData, whole.listData);
  EXPECT_EQ(kept.input.key, whole.key);
}

TEST(Shrink, AKeyThatShrinksLetsMoreOfTheListGo) {
  // The list must hold the key's length in 'L's: a shorter key frees list bytes.
  const StillFails lengthInList = [](const ShrinkInput& in) {
    return !in.key.empty() && in.key[0] == 'k' && Has(in.listData, std::string(in.key.size(), 'L'));
  };
  const ShrinkResult result = Shrink({"LLLLLLLL", "kkkkkkkk"}, lengthInList, 1000);
  EXPECT_EQ(result.input.key, "k");
  EXPECT_EQ(result.input.listData, "L");
}

TEST(Shrink, StopsAtItsBudgetWithTheSmallestFailingInputSoFar) {
  size_t calls = 0;
  const StillFails counted = [&](const ShrinkInput& in) {
    ++calls;
    return Has(in.listData, "Z");
  };
  const std::string list = std::string(5000, 'a') + "Z" + std::string(5000, 'b');
  const ShrinkResult result = Shrink({list, "key"}, counted, 25);
  EXPECT_EQ(calls, 25u);
  EXPECT_EQ(result.tries, 25u);
  EXPECT_TRUE(Has(result.input.listData, "Z"));
  EXPECT_LT(result.input.listData.size(), list.size());
  EXPECT_EQ(Shrink({list, "key"}, counted, 0).input.listData, list);
}

}  // namespace
