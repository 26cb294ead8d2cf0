// Naming what went wrong inside a plugin: the exception, the module and offset where it was
// raised, for an access violation the region of the bench that the plugin touched, how a call
// that did not come back ended, and how a call that did broke the calling convention. The words
// are the bench's report-line words (Shift-JIS), which the report lines frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
  std::optional<FaultRegion> region;  // the labelled region that holds the target, if any
};

// The code, address and access of an exception as the system reported it, and the region it
// touched as labelled at that moment. Calls nothing, so that it may run inside a handler.
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

// How a plugin call that did not come back ended. Its names are taken when it ends, while the
// plugin's module is still loaded, so the value can be read and described at any time later.
struct CallFault {
  enum class Kind {
    Exception,   // the plugin left an exception unhandled
    Abort,       // the plugin's runtime called abort(), e.g. for a C++ exception that left it
    ProcessEnd,  // the plugin asked to end the process
    // Seen from outside the process that made the call (a checker's worker): the call took longer
    // than allowed and the process was ended, or the process ended in a way no guard could stop.
    TimedOut,
    ProcessLost,
  };
  Kind kind = Kind::Exception;
  FaultRecord record;             // Exception
  std::string place;              // Exception: NamePlace; Abort: the plugin module's file name
  std::string processEndRequest;  // ProcessEnd: how it asked, e.g. "ExitProcess(0)"
  uint32_t allowedMs = 0;         // TimedOut: the time the call was allowed
  uint32_t exitCode = 0;          // ProcessLost: the process's exit code
};

// The abandoned call named, each while the plugin's module is still loaded: an unhandled
// exception with its place (NamePlace); an abort of the runtime of the plugin whose entry point is
// `entry`, with the plugin module's file name; a request to end the process, as it asked.
CallFault ExceptionFault(const FaultRecord& record);
CallFault AbortFault(uintptr_t entry);
CallFault ProcessEndFault(const char* request);

// What ended the call of `exportName`, as a report line tells it after "…の呼び出し中に": the
// exception (DescribeFault), the abort with the module, or the process-end request.
std::string DescribeCallFault(const CallFault& fault, const char* exportName);

// A breach of the calling convention by a call that came back; the bench has put the stack and
// the registers right already.
struct ConventionBreach {
  enum class Kind {
    Cdecl,             // the caller's slots were left on the stack: a cdecl export
    ParameterBytes,    // the stack moved by another amount: a wrong parameter list
    UnsavedRegisters,  // callee-saved registers changed
  };
  Kind kind = Kind::Cdecl;
  int32_t stackDrift = 0;      // ParameterBytes: ESP after the call less ESP before, in bytes
  uint8_t unsavedRegisters = 0;  // UnsavedRegisters: bit 0 EBX, 1 ESI, 2 EDI, 3 EBP
};

// The breaches shown by how a call of `slotCount` stack slots came back, one per kind in the order
// of its kind: the stack pointer moved by `stackDrift` bytes (by exactly the caller's slots: a
// cdecl export; by another amount: a wrong parameter list), and the callee-saved registers changed
// (bits as in ConventionBreach::unsavedRegisters).
std::vector<ConventionBreach> NameBreaches(int32_t stackDrift, int slotCount,
                                           uint8_t unsavedRegisters);

// The breach by the export `exportName`, as a report line tells it after "呼び出し規約違反：",
// e.g. "GetTitle は cdecl でエクスポートされています。スタックを元に戻しました".
std::string DescribeBreach(const ConventionBreach& breach, const char* exportName);
