#include "request/result_buffer.h"

#include <windows.h>

namespace {

uint32_t PageSize() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
}

}  // namespace

ResultBuffer::ResultBuffer(int32_t size) : region_(nullptr), data_(nullptr), size_(size) {
  if (size <= 0) return;
  const uint32_t page = PageSize();
  // At most 2^31 bytes of data pages plus the guard page: still within 32 bits.
  const uint32_t dataBytes = (static_cast<uint32_t>(size) + page - 1) / page * page;
  region_ = VirtualAlloc(nullptr, dataBytes + page, MEM_RESERVE, PAGE_NOACCESS);
  if (!region_) return;
  // Only the data pages are committed; the last page stays reserved and faults on any access.
  if (!VirtualAlloc(region_, dataBytes, MEM_COMMIT, PAGE_READWRITE)) {
    VirtualFree(region_, 0, MEM_RELEASE);
    region_ = nullptr;
    return;
  }
  data_ = static_cast<char*>(region_) + (dataBytes - static_cast<uint32_t>(size));
}

ResultBuffer::~ResultBuffer() {
  if (region_) VirtualFree(region_, 0, MEM_RELEASE);
}
