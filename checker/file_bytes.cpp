#include "checker/file_bytes.h"

#include <windows.h>

#include <algorithm>
#include <new>

namespace {

constexpr DWORD kMaxInputBytes = 512u << 20;
constexpr size_t kBlockSize = 16384;
constexpr size_t kBlockCount = 4;

HANDLE OpenForReading(const std::string& path) {
  return CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::wstring WidePath(const std::string& utf8Path) {
  if (utf8Path.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8Path.data(),
                                         static_cast<int>(utf8Path.size()), nullptr, 0);
  std::wstring wide(length > 0 ? length : 0, L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_UTF8, 0, utf8Path.data(), static_cast<int>(utf8Path.size()), &wide[0],
                        length);
  }
  return wide;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  FileHandle file(OpenForReading(path));
  if (!file.IsValid()) return false;
  DWORD high = 0;
  const DWORD size = GetFileSize(file.get(), &high);
  if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 ||
      size > kMaxInputBytes) {
    return false;
  }
  // A 32-bit process may not find room for a large file: that is an unreadable input too.
  try {
    bytes.resize(size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  DWORD read = 0;
  if (size > 0 && (!ReadFile(file.get(), &bytes[0], size, &read, nullptr) || read != size)) {
    bytes.clear();
    return false;
  }
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  FileHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteNamedFile(const std::string& path) { return DeleteFileW(WidePath(path).c_str()) != 0; }

std::string PathFileName(const std::string& path) {
  size_t start = path.size();
  while (start > 0 && !IsSeparator(path[start - 1])) --start;
  return path.substr(start);
}

std::string PathFolder(const std::string& path) {
  return path.substr(0, path.size() - PathFileName(path).size());
}

bool IsAbsolutePath(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') || (!path.empty() && IsSeparator(path[0]));
}

FileImage::FileImage(const std::string& path) : file_(OpenForReading(path)), blocks_(kBlockCount) {
  LARGE_INTEGER size;
  if (IsOpen() && GetFileSizeEx(file_.get(), &size)) size_ = static_cast<uint64_t>(size.QuadPart);
}

const FileImage::Block* FileImage::Fetch(uint64_t blockOffset) const {
  for (const Block& block : blocks_) {
    if (block.offset == blockOffset) return &block;
  }
  Block& block = blocks_[nextReused_];
  nextReused_ = (nextReused_ + 1) % blocks_.size();
  block.offset = UINT64_MAX;
  const DWORD wanted = static_cast<DWORD>(std::min<uint64_t>(kBlockSize, size_ - blockOffset));
  block.bytes.resize(wanted);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(blockOffset);
  DWORD read = 0;
  if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) ||
      !ReadFile(file_.get(), &block.bytes[0], wanted, &read, nullptr) || read != wanted) {
    return nullptr;
  }
  block.offset = blockOffset;
  return &block;
}

bool FileImage::ReadAt(uint64_t offset, void* into, size_t size) const {
  if (!IsOpen() || offset > size_ || size_ - offset < size) return false;
  char* out = static_cast<char*>(into);
  while (size > 0) {
    const uint64_t blockOffset = offset - offset % kBlockSize;
    const Block* block = Fetch(blockOffset);
    if (block == nullptr) return false;
    const size_t within = static_cast<size_t>(offset - blockOffset);
    const size_t part = std::min(size, block->bytes.size() - within);
    std::copy(block->bytes.data() + within, block->bytes.data() + within + part, out);
    out += part;
    offset += part;
    size -= part;
  }
  return true;
}

namespace {

bool MakeWideFolders(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  if (path.empty()) return true;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const size_t parent = path.find_last_of(L"\\/");
  // "C:" or a server's share need not be made.
  if (parent != std::wstring::npos && parent > 0 && path[parent - 1] != L':' &&
      !MakeWideFolders(path.substr(0, parent))) {
    return false;
  }
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

bool MakeFolders(const std::string& folder) { return MakeWideFolders(WidePath(folder)); }
