#include "request/page_region.h"

#include <windows.h>

PageRegion::PageRegion(size_t size)
    : pages_(size == 0 ? nullptr : VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE)),
      size_(size) {}

void PageRegion::MakeReadOnly() {
  if (pages_.IsValid()) VirtualAlloc(pages_.get(), size_, MEM_COMMIT, PAGE_READONLY);
}
