#include "checker/pe_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kMaxNames = 65536;
constexpr size_t kMaxNameLength = 512;

// The fields of the headers, by their offsets in the format's structures.
constexpr uint16_t kDosSignature = 0x5A4D;  // "MZ"
constexpr size_t kDosHeaderSize = 64;
constexpr size_t kNewHeaderOffsetField = 0x3C;
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr size_t kFileHeaderSize = 20;
constexpr uint16_t kDllFlag = 0x2000;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kOptionalHeader32Size = 224;
constexpr size_t kDirectoryCountField = 92;
constexpr size_t kDirectoriesField = 96;
constexpr uint32_t kExportDirectory = 0;
constexpr uint32_t kImportDirectory = 1;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kExportDirectorySize = 40;
constexpr size_t kImportDescriptorSize = 20;
constexpr uint32_t kImportByOrdinal = 0x80000000;  // the flag of a PE32 lookup table entry
constexpr size_t kHintSize = 2;                     // before the name of a hint/name entry

uint16_t U16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool ReadU16(const ImageReader& image, uint64_t offset, uint16_t& value) {
  unsigned char bytes[2];
  if (!image.ReadAt(offset, bytes, sizeof bytes)) return false;
  value = U16(bytes);
  return true;
}

bool ReadU32(const ImageReader& image, uint64_t offset, uint32_t& value) {
  unsigned char bytes[4];
  if (!image.ReadAt(offset, bytes, sizeof bytes)) return false;
  value = U32(bytes);
  return true;
}

// A zero-terminated name at `offset`, at most kMaxNameLength bytes with its zero.
bool ReadName(const ImageReader& image, uint64_t offset, std::string& name) {
  if (offset >= image.Size()) return false;
  const size_t length = static_cast<size_t>(std::min<uint64_t>(image.Size() - offset, kMaxNameLength));
  char bytes[kMaxNameLength];
  if (!image.ReadAt(offset, bytes, length)) return false;
  const void* end = std::memchr(bytes, 0, length);
  if (end == nullptr) return false;
  name.assign(bytes, static_cast<size_t>(static_cast<const char*>(end) - bytes));
  return true;
}

struct Section {
  uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

// Maps a relative virtual address to a file offset through the section table.
class AddressMap {
 public:
  void Add(const unsigned char* header) {
    sections_.push_back({U32(header + 12), U32(header + 8), U32(header + 20), U32(header + 16)});
  }
  bool ToOffset(uint32_t rva, uint64_t& offset) const {
    for (const Section& s : sections_) {
      const uint32_t span = std::max(s.virtualSize, s.rawSize);
      if (rva >= s.virtualAddress && rva - s.virtualAddress < span &&
          rva - s.virtualAddress < s.rawSize) {
        offset = static_cast<uint64_t>(s.rawOffset) + (rva - s.virtualAddress);
        return true;
      }
    }
    return false;
  }

 private:
  std::vector<Section> sections_;
};

struct Directory {
  uint32_t address = 0, size = 0;
};

bool ReadExports(const ImageReader& image, const AddressMap& map, const Directory& dir,
                 std::vector<std::string>& names) {
  if (dir.address == 0 || dir.size == 0) return true;
  uint64_t offset = 0;
  unsigned char exports[kExportDirectorySize];
  if (!map.ToOffset(dir.address, offset) || !image.ReadAt(offset, exports, sizeof exports)) {
    return false;
  }
  const uint32_t count = U32(exports + 24);
  if (count > kMaxNames) return false;
  uint64_t namesOffset = 0;
  if (count > 0 && !map.ToOffset(U32(exports + 32), namesOffset)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t nameRva = 0;
    uint64_t nameOffset = 0;
    std::string name;
    if (!ReadU32(image, namesOffset + 4 * i, nameRva) || !map.ToOffset(nameRva, nameOffset) ||
        !ReadName(image, nameOffset, name)) {
      return false;
    }
    names.push_back(name);
  }
  return true;
}

// The entries of one DLL's lookup table up to its closing zero: the ordinal, or the RVA of a
// hint/name entry. The kMaxNames bound covers the functions of every DLL together.
bool ReadImportedFunctions(const ImageReader& image, const AddressMap& map, const std::string& dll,
                           uint32_t tableRva, std::vector<PeImport>& functions) {
  uint64_t tableOffset = 0;
  if (!map.ToOffset(tableRva, tableOffset)) return false;
  for (uint64_t offset = tableOffset; functions.size() < kMaxNames; offset += 4) {
    uint32_t entry = 0;
    if (!ReadU32(image, offset, entry)) return false;
    if (entry == 0) return true;
    PeImport function;
    function.dll = dll;
    uint64_t hintOffset = 0;
    if ((entry & kImportByOrdinal) != 0) {
      function.byOrdinal = true;
      function.ordinal = static_cast<uint16_t>(entry);
    } else if (!map.ToOffset(entry, hintOffset) ||
               !ReadName(image, hintOffset + kHintSize, function.name)) {
      return false;
    }
    functions.push_back(function);
  }
  return false;
}

bool ReadImports(const ImageReader& image, const AddressMap& map, const Directory& dir,
                 std::vector<std::string>& names, std::vector<PeImport>& functions) {
  if (dir.address == 0 || dir.size == 0) return true;
  uint64_t offset = 0;
  if (!map.ToOffset(dir.address, offset)) return false;
  for (size_t i = 0; i < kMaxNames; ++i) {
    unsigned char descriptor[kImportDescriptorSize];
    if (!image.ReadAt(offset + i * kImportDescriptorSize, descriptor, sizeof descriptor)) return false;
    const uint32_t nameRva = U32(descriptor + 12);
    if (nameRva == 0) return true;  // the closing, all-zero descriptor
    uint64_t nameOffset = 0;
    std::string name;
    if (!map.ToOffset(nameRva, nameOffset) || !ReadName(image, nameOffset, name)) return false;
    names.push_back(name);
    // The lookup table, or where a linker left none, the address table, which holds the same
    // entries in the file until the loader binds them.
    const uint32_t lookupRva = U32(descriptor);
    const uint32_t tableRva = lookupRva != 0 ? lookupRva : U32(descriptor + 16);
    if (tableRva != 0 && !ReadImportedFunctions(image, map, name, tableRva, functions)) return false;
  }
  return false;
}

}  // namespace

bool BytesImage::ReadAt(uint64_t offset, void* into, size_t size) const {
  if (offset > bytes_.size() || bytes_.size() - offset < size) return false;
  std::memcpy(into, bytes_.data() + offset, size);
  return true;
}

bool operator==(const PeImport& a, const PeImport& b) {
  return a.dll == b.dll && a.name == b.name && a.byOrdinal == b.byOrdinal && a.ordinal == b.ordinal;
}

PeFacts InspectPeImage(const ImageReader& image) {
  PeFacts facts;
  unsigned char dos[kDosHeaderSize];
  if (!image.ReadAt(0, dos, sizeof dos) || U16(dos) != kDosSignature) return facts;
  const int32_t newHeader = static_cast<int32_t>(U32(dos + kNewHeaderOffsetField));
  if (newHeader < 0) return facts;
  const uint64_t ntOffset = static_cast<uint64_t>(newHeader);
  uint32_t signature = 0;
  unsigned char file[kFileHeaderSize];
  uint16_t magic = 0;
  const uint64_t optionalOffset = ntOffset + 4 + kFileHeaderSize;
  if (!ReadU32(image, ntOffset, signature) || signature != kPeSignature ||
      !image.ReadAt(ntOffset + 4, file, sizeof file) || !ReadU16(image, optionalOffset, magic)) {
    return facts;
  }
  facts.isPe = true;
  facts.machine = U16(file);
  facts.isDll = (U16(file + 18) & kDllFlag) != 0;
  facts.isPe32Plus = magic == kPe32PlusMagic;
  // The directories of a 64-bit image are of no use to a 32-bit host.
  if (magic != kPe32Magic) return facts;
  unsigned char optional[kOptionalHeader32Size];
  if (!image.ReadAt(optionalOffset, optional, sizeof optional)) {
    facts.directoriesReadable = false;
    return facts;
  }

  AddressMap map;
  const uint16_t sectionCount = U16(file + 2);
  const uint64_t sectionsOffset = optionalOffset + U16(file + 16);
  for (uint16_t i = 0; i < sectionCount; ++i) {
    unsigned char section[kSectionHeaderSize];
    if (!image.ReadAt(sectionsOffset + uint64_t{i} * kSectionHeaderSize, section, sizeof section)) {
      facts.directoriesReadable = false;
      return facts;
    }
    map.Add(section);
  }
  const uint32_t directoryCount = U32(optional + kDirectoryCountField);
  auto directory = [&](uint32_t index) {
    const unsigned char* entry = optional + kDirectoriesField + 8 * index;
    return Directory{U32(entry), U32(entry + 4)};
  };
  if (directoryCount > kExportDirectory &&
      !ReadExports(image, map, directory(kExportDirectory), facts.exports)) {
    facts.directoriesReadable = false;
  }
  if (directoryCount > kImportDirectory &&
      !ReadImports(image, map, directory(kImportDirectory), facts.imports,
                   facts.importedFunctions)) {
    facts.directoriesReadable = false;
  }
  return facts;
}

std::string MachineName(uint16_t machine) {
  switch (machine) {
    case kMachineX86: return "x86";
    case kMachineX64: return "x64";
    case 0xAA64: return "ARM64";
    case 0x01C4: return "ARM";
    case 0x0200: return "Itanium";
    default: {
      char text[16];
      std::snprintf(text, sizeof text, "0x%04X", machine);
      return text;
    }
  }
}
