// Shrinking a failing input: the smallest list data and key found, by removing bytes, that still
// fail the same way. Pure (no Windows header), so that it can be tested and fuzzed natively; the
// caller's predicate re-runs the case.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct ShrinkInput {
  std::string listData;
  std::string key;
};

// Whether a candidate still fails as the original did.
using StillFails = std::function<bool(const ShrinkInput&)>;

struct ShrinkResult {
  ShrinkInput input;  // never larger than the original in either part
  size_t tries = 0;   // the predicate's calls, at most the budget
};

// Removes runs of bytes, halving their length down to single bytes, from the list data and then
// from the key, and again while each pass made its part smaller, keeping each removal after which the
// case still fails. Stops once the predicate has been called `maxTries` times, so that a slow
// case cannot stall the run. `failing` itself is assumed to fail and is not re-run.
ShrinkResult Shrink(const ShrinkInput& failing, const StillFails& stillFails, size_t maxTries);
