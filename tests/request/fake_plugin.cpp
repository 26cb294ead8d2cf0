#include <cstring>
#include <fstream>
#include <utility>

#include "plugin/contract.h"
#include "tests/request/fake_bench.h"

PluginScript Script;
std::vector<SeenCall> Seen;

namespace {

char foreignBuffer[64] = "not the bench's";

MEMORY_BASIC_INFORMATION Query(const void* address) {
  MEMORY_BASIC_INFORMATION info = {};
  VirtualQuery(address, &info, sizeof info);
  return info;
}

size_t AccessibleFrom(const void* address) {
  const MEMORY_BASIC_INFORMATION info = Query(address);
  if (info.State != MEM_COMMIT || (info.Protect & (PAGE_NOACCESS | PAGE_GUARD))) return 0;
  return static_cast<const char*>(info.BaseAddress) + info.RegionSize -
         static_cast<const char*>(address);
}

SeenCall& Record(int index, std::vector<uint32_t> slots) {
  Seen.push_back({});
  SeenCall& call = Seen.back();
  call.exportIndex = index;
  call.slots = std::move(slots);
  return call;
}

void RecordRegions(SeenCall& call, uint32_t listData, uint32_t key) {
  const char* list = reinterpret_cast<const char*>(listData);
  const char* keyText = reinterpret_cast<const char*>(key);
  call.listData = list;
  call.listDataTerminator = std::strlen(list);
  call.key = keyText;
  call.listProtect = Query(list).Protect;
  call.keyProtect = Query(keyText).Protect;
  call.keyAccessible = AccessibleFrom(keyText);
}

// Both calls of a text pattern: the probe answers Script.probe, the second call writes.
uint32_t AnswerText(SeenCall& call, uint32_t reference) {
  char** variable = reinterpret_cast<char**>(reference);
  call.bufferVariable = reinterpret_cast<uint32_t>(*variable);
  if (*variable == nullptr) return static_cast<uint16_t>(Script.probe);
  char* buffer = *variable;
  call.bufferAccessible = AccessibleFrom(buffer);
  call.bufferZero = true;
  for (size_t i = 0; i < call.bufferAccessible; ++i) call.bufferZero &= buffer[i] == '\0';
  if (Script.replaceAddress) {
    *variable = foreignBuffer;
  } else if (Script.overrun) {
    std::memset(buffer, 'A', call.bufferAccessible + 1);
  } else if (Script.fillBuffer) {
    std::memset(buffer, 'A', call.bufferAccessible);
  } else {
    // Never past the accessible pages: a test mistake must not crash the whole program.
    std::memcpy(buffer, Script.written.data(),
                Script.written.size() < call.bufferAccessible ? Script.written.size()
                                                               : call.bufferAccessible);
  }
  // The high half is noise the bench must ignore.
  return 0xABCD0000u | static_cast<uint16_t>(Script.second);
}

template <int I>
uint32_t __stdcall FakeVersion() {
  Record(I, {});
  return 0x77770000u | static_cast<uint16_t>(Script.version);
}

template <int I>
uint32_t __stdcall FakePluginText(uint32_t reference, uint32_t size) {
  return AnswerText(Record(I, {reference, size}), reference);
}

template <int I>
uint32_t __stdcall FakeSizedText(uint32_t listData, uint32_t key, uint32_t keyType,
                                 uint32_t reference, uint32_t size) {
  SeenCall& call = Record(I, {listData, key, keyType, reference, size});
  RecordRegions(call, listData, key);
  if (Script.writeListData) *reinterpret_cast<char*>(listData) = 'W';
  if (Script.writeKey) *reinterpret_cast<char*>(key) = 'W';
  return AnswerText(call, reference);
}

template <int I>
uint32_t __stdcall FakeNumber(uint32_t listData, uint32_t key, uint32_t keyType) {
  SeenCall& call = Record(I, {listData, key, keyType});
  RecordRegions(call, listData, key);
  return 0x55550000u | static_cast<uint16_t>(Script.number);
}

template <int I>
void* FakeFor(CallPattern pattern) {
  switch (pattern) {
    case CallPattern::Version: return reinterpret_cast<void*>(&FakeVersion<I>);
    case CallPattern::PluginText: return reinterpret_cast<void*>(&FakePluginText<I>);
    case CallPattern::SizedText: return reinterpret_cast<void*>(&FakeSizedText<I>);
    case CallPattern::Numeric: return reinterpret_cast<void*>(&FakeNumber<I>);
  }
  return nullptr;
}

template <int... I>
void InstallAll(std::integer_sequence<int, I...>) {
  ((PluginTable[I] = FakeFor<I>(kExports[I].pattern)), ...);
}

}  // namespace

void InstallFakePlugin() { InstallAll(std::make_integer_sequence<int, kExportCount>()); }

void RemovePlugin() {
  for (void*& entry : PluginTable) entry = nullptr;
}

std::string WriteListDataFile(const std::string& name, const std::string& content) {
  std::ofstream(name, std::ios::binary) << content;
  return name;
}
