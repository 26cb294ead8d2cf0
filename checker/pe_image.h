// What a library file's own headers say about it, read without loading it: whether it is a
// Windows image at all, for which processor, whether it is a DLL, the names it exports, the DLLs
// it imports from and the functions it imports from each. Pure: no Windows header, so that it can be fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The machine types of the file header that the checker names.
constexpr uint16_t kMachineX86 = 0x014C;
constexpr uint16_t kMachineX64 = 0x8664;

// One entry of an imported DLL's lookup table: a function imported by name or by ordinal.
struct PeImport {
  std::string dll;       // the DLL's name as the import directory gives it ("USER32.dll")
  std::string name;      // the function's name; empty when imported by ordinal
  bool byOrdinal = false;
  uint16_t ordinal = 0;  // the ordinal, when imported by it
};

bool operator==(const PeImport& a, const PeImport& b);

struct PeFacts {
  bool isPe = false;        // an MZ header leading to a PE signature
  uint16_t machine = 0;     // the file header's machine type (kMachineX86 for 32-bit x86)
  bool isPe32Plus = false;  // a 64-bit optional header
  bool isDll = false;       // the DLL flag of the file header
  std::vector<std::string> exports;  // the names in the export directory
  std::vector<std::string> imports;  // the DLL names of the import directory
  std::vector<PeImport> importedFunctions;  // each DLL's functions, in the directory's order
  bool directoriesReadable = true;   // false when a directory points outside the file
};

// The bytes of an image file, read by offset: the inspection asks only for the headers and tables
// it needs, each read bounded, so a file of any size costs the same few reads.
class ImageReader {
 public:
  virtual uint64_t Size() const = 0;
  // Copies the `size` bytes at `offset` into `into`; false when they do not all lie within the
  // file or cannot be read.
  virtual bool ReadAt(uint64_t offset, void* into, size_t size) const = 0;

 protected:
  ~ImageReader() = default;
};

// An image held in memory.
class BytesImage final : public ImageReader {
 public:
  explicit BytesImage(const std::string& bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, void* into, size_t size) const override;

 private:
  const std::string& bytes_;
};

// Reads the headers of `image`. Never reads outside it: every offset the file gives is checked
// against its size first.
PeFacts InspectPeImage(const ImageReader& image);

// The machine type's usual name ("x86", "x64", "ARM64", …) or its hexadecimal value.
std::string MachineName(uint16_t machine);
