// Any bytes as a library file's headers: the inspection never reads outside them (the
// sanitizers watch every read), and what it finds is what the bytes hold; the imported functions
// it finds are judged as the check mode judges them. A broken property aborts, so that the fuzzer
// keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "checker/forbidden_imports.h"
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
  for (const PeImport& function : facts.importedFunctions) {
    const std::string finding = DescribeForbiddenImport(function);
    if (!finding.empty() && finding.compare(0, function.dll.size() + 1, function.dll + "!") != 0) {
      std::fprintf(stderr, "a finding that does not start with its import: %s\n", finding.c_str());
      std::abort();
    }
  }
  return 0;
}
