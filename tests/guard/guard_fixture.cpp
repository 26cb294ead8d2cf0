#include "tests/guard/guard_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "plugin/plugin_call.h"
#include "request/observed_call.h"
#include "text/sjis_path.h"

namespace {

constexpr size_t kPage = 4096;

HMODULE FaultyModule() {
  static HMODULE module = LoadLibraryA("faulty.dll");
  return module;
}

// Two pages: the buffer fills the end of the first, the second is no-access.
PageReservation NewGuardedBufferPages() {
  PageReservation pages(VirtualAlloc(nullptr, 2 * kPage, MEM_COMMIT, PAGE_READWRITE));
  DWORD old;
  VirtualProtect(static_cast<char*>(pages.get()) + kPage, kPage, PAGE_NOACCESS, &old);
  return pages;
}

char* Bytes(const PageReservation& pages) { return static_cast<char*>(pages.get()); }

PlatformFault* Probing = nullptr;

LONG CALLBACK ReturnFromProbe(EXCEPTION_POINTERS* pointers) {
  if (!Probing) return EXCEPTION_CONTINUE_SEARCH;
  const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
  Probing->code = record.ExceptionCode;
  Probing->offsetFromSite = static_cast<int>(reinterpret_cast<uintptr_t>(record.ExceptionAddress));
  Probing->hasAccess =
      record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2;
  Probing = nullptr;
  // Return from the stdcall export, five parameters, with 0.
  CONTEXT& context = *pointers->ContextRecord;
  context.Eip = *reinterpret_cast<DWORD*>(context.Esp);
  context.Esp += 4 + 20;
  context.Eax = 0;
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

PlatformFault ProbePlatform(const char* exportName, const char* site) {
  using Export = short(__stdcall*)(const char*, const char*, short, char**, unsigned short);
  PlatformFault fault;
  void* handler = AddVectoredExceptionHandler(1, ReturnFromProbe);
  Probing = &fault;
  reinterpret_cast<Export>(FaultyExport(exportName))(nullptr, nullptr, 0, nullptr, 0);
  Probing = nullptr;
  RemoveVectoredExceptionHandler(handler);
  fault.offsetFromSite -= static_cast<int>(reinterpret_cast<uintptr_t>(FaultyExport(site)));
  return fault;
}

std::string NamedCode(uint32_t code) {
  static const struct {
    uint32_t code;
    const char* text;
  } kNamed[] = {
      {0xC0000005, "C0000005 (アクセス違反)"},
      {0xC000001D, "C000001D (不正な命令)"},
      {0xC0000090, "C0000090 (浮動小数点の無効な演算)"},
      {0xC0000094, "C0000094 (整数のゼロ除算)"},
      {0xC00000FD, "C00000FD (スタックオーバーフロー)"},
      {0x80000003, "80000003 (ブレークポイント)"},
  };
  for (const auto& n : kNamed) {
    if (n.code == code) return n.text;
  }
  ADD_FAILURE() << "no name for " << std::hex << code;
  return "";
}

void* FaultyExport(const char* name) {
  void* entry = reinterpret_cast<void*>(GetProcAddress(FaultyModule(), name));
  EXPECT_NE(entry, nullptr) << name;
  return entry;
}

std::string FaultyPlace(const char* exportName, int shift) {
  char place[64];
  const auto offset = reinterpret_cast<uintptr_t>(FaultyExport(exportName)) + shift -
                      reinterpret_cast<uintptr_t>(FaultyModule());
  std::snprintf(place, sizeof place, "faulty.dll+0x%X", static_cast<unsigned>(offset));
  return place;
}

std::string ModuleNameOf(const void* address) {
  HMODULE module = nullptr;
  char path[MAX_PATH] = "";
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      static_cast<const char*>(address), &module);
  GetModuleFileNameA(module, path, sizeof path);
  return path + FileNameOffset(path);
}

PageReservation NewReadOnlyPage(const char* text) {
  PageReservation page(VirtualAlloc(nullptr, kPage, MEM_COMMIT, PAGE_READWRITE));
  std::strcpy(Bytes(page), text);
  DWORD old;
  VirtualProtect(page.get(), kPage, PAGE_READONLY, &old);
  return page;
}

BenchRegions::BenchRegions()
    : listData_(NewReadOnlyPage(kListText)),
      key_(NewReadOnlyPage(kKeyText)),
      bufferPages_(NewGuardedBufferPages()),
      bufferVariable_(Bytes(bufferPages_) + kPage - kBufferSize),
      listLabel_(FaultRegion::ListData, listData_.get(), kPage),
      keyLabel_(FaultRegion::Key, key_.get(), 260),
      bufferEndLabel_(FaultRegion::BufferEnd, Bytes(bufferPages_) + kPage, kPage) {}

std::vector<uint32_t> BenchRegions::SizedTextSlots(int16_t keyType, uint16_t size) {
  return {PointerSlot(listData_.get()), PointerSlot(key_.get()), KeyTypeSlot(keyType),
          PointerSlot(&bufferVariable_), SizeSlot(size)};
}

bool CallThroughGuard(void* entry, RecordedLines& sink, const std::vector<uint32_t>& slots,
                      int16_t& result, int exportIndex) {
  void* const kept = PluginTable[exportIndex];
  PluginTable[exportIndex] = entry;
  const bool returned = CallPluginFor(sink, exportIndex, slots.data(),
                                      static_cast<int>(slots.size()), 0, result);
  PluginTable[exportIndex] = kept;
  return returned;
}

void ExpectWellBehavedAnswers(BenchRegions& regions) {
  void* entry = FaultyExport("WellBehaved");
  RecordedLines sink;
  int16_t needed = 0, status = 0;
  std::memset(regions.Buffer(), 0, BenchRegions::kBufferSize);
  ASSERT_TRUE(CallThroughGuard(entry, sink, regions.SizedTextSlots(101, 0), needed));
  EXPECT_EQ(needed, std::strlen(BenchRegions::kListText) + std::strlen(BenchRegions::kKeyText) + 1);
  ASSERT_TRUE(
      CallThroughGuard(entry, sink, regions.SizedTextSlots(-2, BenchRegions::kBufferSize), status));
  EXPECT_EQ(status, -2);
  EXPECT_STREQ(regions.Buffer(), BenchRegions::kKeyText);
  EXPECT_TRUE(sink.lines.empty());
}
