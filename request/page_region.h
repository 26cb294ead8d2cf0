// A block of pages from the page allocator that a run hands to a plugin (the list data, the key).
#pragma once

#include <cstddef>

class PageRegion {
 public:
  // Commits `size` bytes read-write; fresh pages are zero. data() is null when the commit failed
  // (or when `size` is 0).
  explicit PageRegion(size_t size);
  ~PageRegion();
  PageRegion(PageRegion&& other) noexcept : base_(other.base_), size_(other.size_) {
    other.base_ = nullptr;
  }
  PageRegion(const PageRegion&) = delete;
  PageRegion& operator=(const PageRegion&) = delete;

  char* data() const { return base_; }
  size_t size() const { return size_; }
  // Commits the same pages again read-only, so that a plugin cannot write into them.
  void MakeReadOnly();

 private:
  char* base_;
  size_t size_;
};
