// A block of pages from the page allocator that a run hands to a plugin (the list data, the key).
#pragma once

#include <cstddef>

#include "win/scoped_win.h"

class PageRegion {
 public:
  // Commits `size` bytes read-write; fresh pages are zero. data() is null when the commit failed
  // (or when `size` is 0).
  explicit PageRegion(size_t size);

  char* data() const { return static_cast<char*>(pages_.get()); }
  size_t size() const { return size_; }
  // Commits the same pages again read-only, so that a plugin cannot write into them.
  void MakeReadOnly();

 private:
  // The whole reservation is released, so that repeated runs do not use up the address space.
  PageReservation pages_;
  size_t size_;
};
