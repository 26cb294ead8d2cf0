#include "request/result_buffer.h"

#include <windows.h>

namespace {

uint32_t PageSize() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
}

}  // namespace

ResultBuffer::ResultBuffer(int32_t size) : data_(nullptr), size_(size) {
  if (size <= 0) return;
  const uint32_t page = PageSize();
  // At most 2^31 bytes of data pages plus the guard page: still within 32 bits.
  const uint32_t dataBytes = (static_cast<uint32_t>(size) + page - 1) / page * page;
  region_.Reset(VirtualAlloc(nullptr, dataBytes + page, MEM_RESERVE, PAGE_NOACCESS));
  if (!region_.IsValid()) return;
  // Only the data pages are committed; the last page stays reserved and faults on any access.
  if (!VirtualAlloc(region_.get(), dataBytes, MEM_COMMIT, PAGE_READWRITE)) {
    region_.Reset();
    return;
  }
  data_ = static_cast<char*>(region_.get()) + (dataBytes - static_cast<uint32_t>(size));
}
