// Any bytes as a library file's headers: the inspection never reads outside them (the
// sanitizers watch every read), and what it finds is what the bytes hold. A broken property
// aborts, so that the fuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "checker/pe_image.h"
#include "tests/checker/pe_image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string image(reinterpret_cast<const char*>(data), size);
  const PeFacts facts = InspectPeImage(BytesImage(image));
  const std::string fault = PeFactsFault(image, facts);
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    std::abort();
  }
  MachineName(facts.machine);
  return 0;
}
