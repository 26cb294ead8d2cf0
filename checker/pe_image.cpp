#include "checker/pe_image.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kMaxNames = 65536;

// Bounds-checked reads from the file's bytes.
class ImageBytes {
 public:
  explicit ImageBytes(const std::string& bytes) : bytes_(bytes) {}

  template <typename T>
  bool Read(size_t offset, T& value) const {
    if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return false;
    std::memcpy(&value, bytes_.data() + offset, sizeof(T));
    return true;
  }

  // A zero-terminated name at `offset`, at most 512 bytes.
  bool ReadName(size_t offset, std::string& name) const {
    if (offset >= bytes_.size()) return false;
    const size_t limit = std::min<size_t>(bytes_.size() - offset, 512);
    const char* begin = bytes_.data() + offset;
    const void* end = std::memchr(begin, 0, limit);
    if (end == nullptr) return false;
    name.assign(begin, static_cast<const char*>(end));
    return true;
  }

 private:
  const std::string& bytes_;
};

struct Section {
  uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

// Maps a relative virtual address to a file offset through the section table.
class AddressMap {
 public:
  void Add(const IMAGE_SECTION_HEADER& header) {
    sections_.push_back({header.VirtualAddress, header.Misc.VirtualSize, header.PointerToRawData,
                         header.SizeOfRawData});
  }
  bool ToOffset(uint32_t rva, size_t& offset) const {
    for (const Section& s : sections_) {
      const uint32_t span = std::max(s.virtualSize, s.rawSize);
      if (rva >= s.virtualAddress && rva - s.virtualAddress < span &&
          rva - s.virtualAddress < s.rawSize) {
        offset = static_cast<size_t>(s.rawOffset) + (rva - s.virtualAddress);
        return true;
      }
    }
    return false;
  }

 private:
  std::vector<Section> sections_;
};

bool ReadExports(const ImageBytes& image, const AddressMap& map, const IMAGE_DATA_DIRECTORY& dir,
                 std::vector<std::string>& names) {
  if (dir.VirtualAddress == 0 || dir.Size == 0) return true;
  size_t offset = 0;
  IMAGE_EXPORT_DIRECTORY exports;
  if (!map.ToOffset(dir.VirtualAddress, offset) || !image.Read(offset, exports)) return false;
  if (exports.NumberOfNames > kMaxNames) return false;
  size_t namesOffset = 0;
  if (exports.NumberOfNames > 0 && !map.ToOffset(exports.AddressOfNames, namesOffset)) return false;
  for (uint32_t i = 0; i < exports.NumberOfNames; ++i) {
    uint32_t nameRva = 0;
    size_t nameOffset = 0;
    std::string name;
    if (!image.Read(namesOffset + 4 * i, nameRva) || !map.ToOffset(nameRva, nameOffset) ||
        !image.ReadName(nameOffset, name)) {
      return false;
    }
    names.push_back(name);
  }
  return true;
}

bool ReadImports(const ImageBytes& image, const AddressMap& map, const IMAGE_DATA_DIRECTORY& dir,
                 std::vector<std::string>& names) {
  if (dir.VirtualAddress == 0 || dir.Size == 0) return true;
  size_t offset = 0;
  if (!map.ToOffset(dir.VirtualAddress, offset)) return false;
  for (size_t i = 0; i < kMaxNames; ++i) {
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    if (!image.Read(offset + i * sizeof descriptor, descriptor)) return false;
    if (descriptor.Name == 0) return true;  // the closing, all-zero descriptor
    size_t nameOffset = 0;
    std::string name;
    if (!map.ToOffset(descriptor.Name, nameOffset) || !image.ReadName(nameOffset, name)) return false;
    names.push_back(name);
  }
  return false;
}

}  // namespace

PeFacts InspectPeImage(const std::string& bytes) {
  PeFacts facts;
  const ImageBytes image(bytes);
  IMAGE_DOS_HEADER dos;
  if (!image.Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0) return facts;
  const size_t ntOffset = static_cast<size_t>(dos.e_lfanew);
  uint32_t signature = 0;
  IMAGE_FILE_HEADER file;
  uint16_t magic = 0;
  const size_t optionalOffset = ntOffset + 4 + sizeof file;
  if (!image.Read(ntOffset, signature) || signature != IMAGE_NT_SIGNATURE ||
      !image.Read(ntOffset + 4, file) || !image.Read(optionalOffset, magic)) {
    return facts;
  }
  facts.isPe = true;
  facts.machine = file.Machine;
  facts.isDll = (file.Characteristics & IMAGE_FILE_DLL) != 0;
  facts.isPe32Plus = magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
  // The directories of a 64-bit image are of no use to a 32-bit host.
  IMAGE_OPTIONAL_HEADER32 optional;
  if (magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC || !image.Read(optionalOffset, optional)) return facts;

  AddressMap map;
  const size_t sectionsOffset = optionalOffset + file.SizeOfOptionalHeader;
  for (int i = 0; i < file.NumberOfSections; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!image.Read(sectionsOffset + i * sizeof section, section)) {
      facts.directoriesReadable = false;
      return facts;
    }
    map.Add(section);
  }
  const uint32_t directories = optional.NumberOfRvaAndSizes;
  if (directories > IMAGE_DIRECTORY_ENTRY_EXPORT &&
      !ReadExports(image, map, optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT], facts.exports)) {
    facts.directoriesReadable = false;
  }
  if (directories > IMAGE_DIRECTORY_ENTRY_IMPORT &&
      !ReadImports(image, map, optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT], facts.imports)) {
    facts.directoriesReadable = false;
  }
  return facts;
}

std::string MachineName(uint16_t machine) {
  switch (machine) {
    case IMAGE_FILE_MACHINE_I386: return "x86";
    case IMAGE_FILE_MACHINE_AMD64: return "x64";
    case 0xAA64: return "ARM64";
    case IMAGE_FILE_MACHINE_ARMNT: return "ARM";
    case IMAGE_FILE_MACHINE_IA64: return "Itanium";
    default: {
      char text[16];
      std::snprintf(text, sizeof text, "0x%04X", machine);
      return text;
    }
  }
}
