#include "bench/list_file.h"

#include <windows.h>

#include <algorithm>

#include "win/scoped_win.h"

namespace {

constexpr char kHeader[] = "crc16\tcrc32\tbody\tfile\ttitle\tmaker\tyear\tsaledate\r\n";
constexpr size_t kChunk = size_t{1} << 20;

void PutHex(std::string& text, size_t at, unsigned value, int digits) {
  for (int i = digits - 1; i >= 0; --i, value >>= 4) text[at + i] = "0123456789ABCDEF"[value & 15];
}

// Row number `number`: its CRCs stay below 80000000, so the absent key's last byte, F, still
// turns up in many of them.
std::string Row(unsigned number) {
  std::string row =
      "0000\t00000000\tgame0000000\tgame0000000.zip\t星の海の冒険\t青空ソフト\t2013\t2013-03-08\r\n";
  const unsigned mixed = number * 2654435761u;
  PutHex(row, 0, mixed >> 16, 4);
  PutHex(row, 5, mixed & 0x7FFFFFFFu, 8);
  PutHex(row, 18, number, 7);
  PutHex(row, 30, number, 7);
  return row;
}

// The list as an endless stream of bytes: the header row, then rows numbered from 0.
class ListStream {
 public:
  // The next `count` bytes; a row cut at the end carries on in the next piece.
  std::string Take(size_t count) {
    while (pending_.size() < count) pending_ += Row(number_++);
    std::string piece = pending_.substr(0, count);
    pending_.erase(0, count);
    return piece;
  }

 private:
  std::string pending_ = kHeader;
  unsigned number_ = 0;
};

}  // namespace

std::string ListBytes(size_t size) { return ListStream().Take(size); }

bool EnsureListFile(const std::string& path, size_t size) {
  WIN32_FILE_ATTRIBUTE_DATA existing;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &existing) &&
      existing.nFileSizeHigh == 0 && existing.nFileSizeLow == size) {
    return true;
  }
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  ListStream stream;
  bool ok = true;
  for (size_t written = 0; ok && written < size;) {
    const std::string chunk = stream.Take(std::min(kChunk, size - written));
    DWORD put = 0;
    ok = WriteFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &put, nullptr) &&
         put == chunk.size();
    written += chunk.size();
  }
  file.Reset();  // closed before a partial file is deleted
  if (!ok) DeleteFileA(path.c_str());
  return ok;
}
