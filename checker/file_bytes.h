// The files that a user names to the checker (plugin, list data, test vectors and the lists they
// name, reports) and the checker's own scratch file. Paths are UTF-8 and every file is opened by
// its Unicode name, so that any name works whatever the process's ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "checker/pe_image.h"
#include "win/scoped_win.h"

// The UTF-16 form of a UTF-8 path, for the system's …W functions.
std::wstring WidePath(const std::string& utf8Path);

bool ReadWholeFile(const std::string& path, std::string& bytes);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool DeleteNamedFile(const std::string& path);
// Makes the folder and those above it that are missing; true when it is there.
bool MakeFolders(const std::string& folder);

// The last component of a UTF-8 path, and the path up to and including its last separator ('\\'
// or '/'; empty when it has none). A UTF-8 character never holds the byte of a separator, so the
// path is split at the last one.
std::string PathFileName(const std::string& path);
std::string PathFolder(const std::string& path);
// "C:…", "\…" or "/…": not relative to a folder.
bool IsAbsolutePath(const std::string& path);

// A file read by offset for ImageReader (checker/pe_image.h), a few pages at a time: only what is
// asked for is read, however large the file.
class FileImage final : public ImageReader {
 public:
  explicit FileImage(const std::string& path);

  bool IsOpen() const { return file_.IsValid(); }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* into, size_t size) const override;

 private:
  // The last few blocks read: the tables of an image are read in small, nearby pieces.
  struct Block {
    uint64_t offset = UINT64_MAX;  // UINT64_MAX: holds nothing yet
    std::string bytes;
  };
  const Block* Fetch(uint64_t blockOffset) const;

  FileHandle file_;
  uint64_t size_ = 0;
  mutable std::vector<Block> blocks_;
  mutable size_t nextReused_ = 0;
};
