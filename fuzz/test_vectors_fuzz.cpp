// Any bytes as a test-vector file: reading it never goes wrong, a file it accepts gives only
// well-formed cases, and the line difference of any two cases' lines gives back both. A broken
// property aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "checker/test_vectors.h"
#include "plugin/contract.h"
#include "fuzz/require.h"

namespace {

void CheckCase(const TestVector& c) {
  Require(c.request >= 0 && c.request < kExportCount, "a case without a valid request");
  const int16_t code = KeyTypeCode(c.keyType);
  Require(code == 16 || code == 0 || code == 100 || code == 101, "an invalid key type");
  Require(c.line > 0 && c.name.find_first_not_of(" \t") != std::string::npos, "a case without a name");
  for (const std::string& line : c.expected) Require(!line.empty(), "an empty expected line");
}

// "  " lines are both sides', "- " lines the expected side's, "+ " lines the shown side's.
void CheckDifference(const std::vector<std::string>& expected, const std::vector<std::string>& shown) {
  std::vector<std::string> left, right;
  for (const std::string& line : LineDifference(expected, shown)) {
    const std::string mark = line.substr(0, 2), text = line.substr(2);
    Require(mark == "  " || mark == "- " || mark == "+ ", "a difference line without its mark");
    if (mark != "+ ") left.push_back(text);
    if (mark != "- ") right.push_back(text);
  }
  Require(left == expected && right == shown, "the difference does not give back both sides");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<TestVector> cases;
  std::string error;
  if (!ParseTestVectors(text, cases, error)) {
    Require(!error.empty(), "a refusal without a reason");
    return 0;
  }
  Require(!cases.empty(), "an accepted file without a case");
  for (const TestVector& c : cases) CheckCase(c);
  CheckDifference(cases.front().expected, cases.back().expected);
  return 0;
}
