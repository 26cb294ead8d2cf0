#include "tests/checker/pe_image_checks.h"

#include <vector>

namespace {

// A name read from the image lies in it whole, zero-terminated, within the 512 bytes allowed.
std::string NameFault(const std::string& image, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (name.size() >= 512) return "a name longer than 511 bytes";
    if (image.find(name + '\0') == std::string::npos) return "a name that is not in the image";
  }
  return names.size() > 65536 ? "more than 65536 names" : "";
}

// Each imported function belongs to one of the DLLs listed, in their order; it has a name read
// from the image or, imported by ordinal, none; 65536 at most in all.
std::string ImportedFunctionFault(const std::string& image, const PeFacts& facts) {
  std::vector<std::string> names;
  size_t dll = 0;
  for (const PeImport& function : facts.importedFunctions) {
    while (dll < facts.imports.size() && facts.imports[dll] != function.dll) ++dll;
    if (dll == facts.imports.size()) return "a function of a DLL not listed, or out of order";
    if (function.byOrdinal && !function.name.empty()) return "a name for a function by ordinal";
    if (!function.byOrdinal) names.push_back(function.name);
  }
  return NameFault(image, names);
}

}  // namespace

std::string PeFactsFault(const std::string& image, const PeFacts& facts) {
  if (!facts.isPe) {
    const bool empty = facts.machine == 0 && !facts.isDll && !facts.isPe32Plus &&
                       facts.exports.empty() && facts.imports.empty() &&
                       facts.importedFunctions.empty() && facts.directoriesReadable;
    return empty ? "" : "facts about a file that is no image";
  }
  if (image.compare(0, 2, "MZ") != 0) return "an image without the MZ signature";
  if (facts.isPe32Plus &&
      (!facts.exports.empty() || !facts.imports.empty() || !facts.importedFunctions.empty())) {
    return "names read from a 64-bit image";
  }
  const std::string exports = NameFault(image, facts.exports);
  if (!exports.empty()) return exports;
  const std::string imports = NameFault(image, facts.imports);
  return imports.empty() ? ImportedFunctionFault(image, facts) : imports;
}

bool SameFacts(const PeFacts& a, const PeFacts& b) {
  return a.isPe == b.isPe && a.machine == b.machine && a.isPe32Plus == b.isPe32Plus &&
         a.isDll == b.isDll && a.exports == b.exports && a.imports == b.imports &&
         a.importedFunctions == b.importedFunctions &&
         a.directoriesReadable == b.directoriesReadable;
}
