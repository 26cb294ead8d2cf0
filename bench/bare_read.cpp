#include "bench/bare_read.h"

#include <windows.h>

BareRead::BareRead(const char* path) {
  const FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return;
  const DWORD size = GetFileSize(file.get(), nullptr);
  if (size != INVALID_FILE_SIZE) {
    pages_.Reset(VirtualAlloc(nullptr, size + 1, MEM_COMMIT, PAGE_READWRITE));
  }
  if (pages_.IsValid()) {
    DWORD read = 0;
    ReadFile(file.get(), pages_.get(), size, &read, nullptr);
    size_ = read;
  }
}
