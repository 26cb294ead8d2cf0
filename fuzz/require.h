// A property a fuzz target checks: when it does not hold, say which and abort, so that the fuzzer
// keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "%s\n", property);
  std::abort();
}
