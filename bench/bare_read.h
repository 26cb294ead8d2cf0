// The least a request must do with a list-data file: open it, take its size, take size + 1 bytes
// of fresh (zero) pages and read the file into them in one read.
#pragma once

#include <cstddef>

class BareRead {
 public:
  // Reads the whole file; data() is null when it could not be opened or the pages not taken.
  explicit BareRead(const char* path);
  ~BareRead();
  BareRead(const BareRead&) = delete;
  BareRead& operator=(const BareRead&) = delete;

  const char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
};
