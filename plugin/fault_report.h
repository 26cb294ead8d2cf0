// Naming what went wrong inside a plugin: the exception, the module and offset where it was
// raised, and, for an access violation, the region of the bench that the plugin touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The regions that the bench hands to a plugin, named in a fault line when a plugin faults on them.
enum class FaultRegion {
  ListData,   // the list data, read-only while a plugin runs
  Key,        // the key region, read-only while a plugin runs
  BufferEnd,  // the no-access page right behind the result buffer
};

// Labels [begin, begin + size) as `region` for the object's lifetime; the label it replaces, if
// any, comes back when it ends. One line at the place where the region is made ready, e.g.
//   LabelledRegion listLabel(FaultRegion::ListData, listData, size + 1);
class LabelledRegion {
 public:
  LabelledRegion(FaultRegion region, const void* begin, size_t size);
  ~LabelledRegion();
  LabelledRegion(const LabelledRegion&) = delete;
  LabelledRegion& operator=(const LabelledRegion&) = delete;

 private:
  FaultRegion region_;
  uintptr_t replacedBegin_;
  size_t replacedSize_;
};

// The image of the loaded module that holds `address`, as [begin, end); false, with both 0,
// outside every image.
bool FindImage(uintptr_t address, uintptr_t& begin, uintptr_t& end);

// What an exception told about itself.
struct FaultRecord {
  uint32_t code = 0;
  uintptr_t address = 0;   // where it was raised
  uintptr_t callSite = 0;  // when raised outside the plugin: a return address into it, or 0
  bool hasAccess = false;  // an access violation: what it tried, and at which address
  uint32_t access = 0;     // 0 read, 1 write, 8 execute
  uintptr_t target = 0;
};

// The code, address and access of an exception as the system reported it.
FaultRecord RecordException(const struct _EXCEPTION_RECORD& record);

// Room for a named place: two module file names with their offsets, and the words between.
constexpr size_t kPlaceSize = 600;

// "faulty.dll+0x1234", or "0x00001234" for an address outside every module, followed by
// "、呼び出し元 faulty.dll+0x1010" when the record has a call site. Allocates nothing, so that it
// may run inside an exception handler.
void NamePlace(const FaultRecord& fault, char* place, size_t placeSize);

// The file name of the module that holds `address` ("faulty.dll"), or the bare address.
void NameModule(uintptr_t address, char* name, size_t size);

// "例外 C0000005 (アクセス違反) が発生しました (place)" and, for an access violation, "：" and what
// the plugin touched, e.g. "書き込み禁止のリストデータに書き込みました".
std::string DescribeFault(const FaultRecord& fault, const char* place);
