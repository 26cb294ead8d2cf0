// The buffer a plugin writes its text into on the second call of a negotiation.
#pragma once

#include <cstdint>

#include "win/scoped_win.h"

class ResultBuffer {
 public:
  // Exactly `size` zero bytes (size above 0), placed so that the byte after the last one is the
  // first byte of a no-access page: a plugin that writes past the size it was given faults at that
  // write instead of spoiling other memory. data() is null when the buffer cannot be allocated.
  explicit ResultBuffer(int32_t size);
  ResultBuffer(const ResultBuffer&) = delete;
  ResultBuffer& operator=(const ResultBuffer&) = delete;

  char* data() const { return data_; }
  int32_t size() const { return size_; }

 private:
  PageReservation region_;
  char* data_;
  int32_t size_;
};
