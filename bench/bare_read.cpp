#include "bench/bare_read.h"

#include <windows.h>

BareRead::BareRead(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const DWORD size = GetFileSize(file, nullptr);
  if (size != INVALID_FILE_SIZE) {
    data_ = static_cast<char*>(VirtualAlloc(nullptr, size + 1, MEM_COMMIT, PAGE_READWRITE));
  }
  if (data_) {
    DWORD read = 0;
    ReadFile(file, data_, size, &read, nullptr);
    size_ = read;
  }
  CloseHandle(file);
}

BareRead::~BareRead() {
  if (data_) VirtualFree(data_, 0, MEM_RELEASE);
}
