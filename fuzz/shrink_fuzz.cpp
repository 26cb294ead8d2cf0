// Any input and any failure rule to the shrinker: what it returns still fails by the rule, is no
// larger than what it was given, and took no more re-runs than its budget. A broken property
// aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "checker/shrink.h"
#include "fuzz/require.h"

// The first byte is the budget, the next two the bytes whose presence (in the list, in the key)
// fails the case, the fourth the least list length that fails; the rest is split between list
// and key.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const size_t budget = data[0];
  const char listByte = static_cast<char>(data[1]), keyByte = static_cast<char>(data[2]);
  const size_t leastLength = data[3] % 16;
  const std::string rest(reinterpret_cast<const char*>(data + 4), size - 4);
  const size_t split = rest.size() / 2;
  const ShrinkInput input{rest.substr(0, split), rest.substr(split)};
  const StillFails rule = [&](const ShrinkInput& in) {
    return in.listData.find(listByte) != std::string::npos && in.key.find(keyByte) != std::string::npos &&
           in.listData.size() >= leastLength;
  };
  if (!rule(input)) return 0;
  size_t calls = 0;
  const ShrinkResult result = Shrink(input, [&](const ShrinkInput& in) {
    ++calls;
    return rule(in);
  }, budget);
  Require(rule(result.input), "the shrunk input no longer fails");
  Require(result.input.listData.size() <= input.listData.size() && result.input.key.size() <= input.key.size(),
          "the shrunk input grew");
  Require(calls == result.tries && calls <= budget, "more re-runs than the budget");
  if (budget == 255) Require(result.input.key.size() <= 1 || calls == budget, "a key left longer than it needs");
  return 0;
}
