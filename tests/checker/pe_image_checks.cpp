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

}  // namespace

std::string PeFactsFault(const std::string& image, const PeFacts& facts) {
  if (!facts.isPe) {
    const bool empty = facts.machine == 0 && !facts.isDll && !facts.isPe32Plus &&
                       facts.exports.empty() && facts.imports.empty() && facts.directoriesReadable;
    return empty ? "" : "facts about a file that is no image";
  }
  if (image.compare(0, 2, "MZ") != 0) return "an image without the MZ signature";
  if (facts.isPe32Plus && (!facts.exports.empty() || !facts.imports.empty())) {
    return "names read from a 64-bit image";
  }
  const std::string exports = NameFault(image, facts.exports);
  return exports.empty() ? NameFault(image, facts.imports) : exports;
}

bool SameFacts(const PeFacts& a, const PeFacts& b) {
  return a.isPe == b.isPe && a.machine == b.machine && a.isPe32Plus == b.isPe32Plus &&
         a.isDll == b.isDll && a.exports == b.exports && a.imports == b.imports &&
         a.directoriesReadable == b.directoriesReadable;
}
