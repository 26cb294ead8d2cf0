// The least a request must do with a list-data file: open it, take its size, take size + 1 bytes
// of fresh (zero) pages and read the file into them in one read.
#pragma once

#include <cstddef>

#include "win/scoped_win.h"

class BareRead {
 public:
  // Reads the whole file; data() is null when it could not be opened or the pages not taken.
  explicit BareRead(const char* path);

  const char* data() const { return static_cast<const char*>(pages_.get()); }
  size_t size() const { return size_; }

 private:
  PageReservation pages_;
  size_t size_ = 0;
};
