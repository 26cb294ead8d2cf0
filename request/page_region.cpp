#include "request/page_region.h"

#include <windows.h>

PageRegion::PageRegion(size_t size)
    : base_(size == 0 ? nullptr
                      : static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE))),
      size_(size) {}

// Releasing the whole reservation decommits the pages and frees the address range too, so that
// repeated runs do not use up the address space.
PageRegion::~PageRegion() {
  if (base_) VirtualFree(base_, 0, MEM_RELEASE);
}

void PageRegion::MakeReadOnly() {
  if (base_) VirtualAlloc(base_, size_, MEM_COMMIT, PAGE_READONLY);
}
