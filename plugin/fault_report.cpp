#include "plugin/fault_report.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "text/sjis_path.h"

namespace {

struct RegionLabel {
  uintptr_t begin;
  size_t size;
};

RegionLabel Labels[3];  // indexed by FaultRegion; size 0 when unlabelled

// What touching each region means, by kind of access.
struct RegionWords {
  const char* write;
  const char* read;
  const char* execute;
};

const RegionWords kRegionWords[3] = {
    {"書き込み禁止のリストデータに書き込みました", "リストデータを読み込めませんでした",
     "リストデータを実行しようとしました"},
    {"書き込み禁止のキーに書き込みました", "キーを読み込めませんでした",
     "キーを実行しようとしました"},
    {"バッファの末尾を越えて書き込みました (オーバーラン)",
     "バッファの末尾を越えて読み込みました (オーバーラン)",
     "バッファの末尾の先を実行しようとしました"},
};

struct CodeName {
  uint32_t code;
  const char* name;
};

const CodeName kCodeNames[] = {
    {0xC0000005, "アクセス違反"},
    {0xC0000006, "ページ内エラー"},
    {0xC000001D, "不正な命令"},
    {0xC0000025, "継続できない例外"},
    {0xC000008C, "配列の範囲外"},
    {0xC000008D, "浮動小数点の非正規化オペランド"},
    {0xC000008E, "浮動小数点のゼロ除算"},
    {0xC000008F, "浮動小数点の不正確な結果"},
    {0xC0000090, "浮動小数点の無効な演算"},
    {0xC0000091, "浮動小数点のオーバーフロー"},
    {0xC0000092, "浮動小数点のスタック違反"},
    {0xC0000093, "浮動小数点のアンダーフロー"},
    {0xC0000094, "整数のゼロ除算"},
    {0xC0000095, "整数のオーバーフロー"},
    {0xC0000096, "特権命令"},
    {0xC00000FD, "スタックオーバーフロー"},
    {0x80000001, "ガードページ違反"},
    {0x80000002, "境界に揃っていないデータ"},
    {0x80000003, "ブレークポイント"},
    {0x80000004, "シングルステップ"},
    {0xE06D7363, "Visual C++ の例外"},
};

const char* CodeNameOf(uint32_t code) {
  for (const CodeName& entry : kCodeNames) {
    if (entry.code == code) return entry.name;
  }
  return nullptr;
}

// The file name of the loaded module whose image holds `address`, and its base; false outside
// every image. The name is taken in Unicode and given in Shift-JIS, as report lines are, whatever
// the process's ANSI code page.
bool FindModule(uintptr_t address, char* name, size_t size, uintptr_t& base) {
  uintptr_t end;
  wchar_t widePath[MAX_PATH] = L"";
  char path[2 * MAX_PATH] = "";
  if (!FindImage(address, base, end) ||
      GetModuleFileNameW(reinterpret_cast<HMODULE>(base), widePath, MAX_PATH) == 0 ||
      WideCharToMultiByte(932, 0, widePath, -1, path, sizeof path, nullptr, nullptr) == 0) {
    return false;
  }
  std::snprintf(name, size, "%s", path + FileNameOffset(path));
  return true;
}

// "name.dll+0x1234" for an address inside a loaded module, else "0x00001234".
void NameAddress(uintptr_t address, char* out, size_t size) {
  char name[MAX_PATH];
  uintptr_t base = 0;
  if (FindModule(address, name, sizeof name, base)) {
    std::snprintf(out, size, "%s+0x%X", name, static_cast<unsigned>(address - base));
  } else {
    std::snprintf(out, size, "0x%08X", static_cast<unsigned>(address));
  }
}

// The labelled region that holds `address`, if any.
std::optional<FaultRegion> RegionAt(uintptr_t address) {
  for (int region = 0; region < 3; ++region) {
    const RegionLabel& label = Labels[region];
    if (label.size != 0 && address - label.begin < label.size) return static_cast<FaultRegion>(region);
  }
  return std::nullopt;
}

// What the plugin touched, for an access violation: a labelled region, the null page, or a
// bare address.
std::string DescribeAccess(const FaultRecord& fault) {
  if (fault.region) {
    const RegionWords& words = kRegionWords[static_cast<int>(*fault.region)];
    return fault.access == 1 ? words.write : fault.access == 8 ? words.execute : words.read;
  }
  char text[96];
  const char* nullPage = fault.target < 0x10000 ? "ヌルポインタ付近の" : "";
  const char* verb = fault.access == 1   ? "に書き込みました"
                     : fault.access == 8 ? "を実行しようとしました"
                                         : "から読み込みました";
  std::snprintf(text, sizeof text, "%sアドレス 0x%08X %s", nullPage,
                static_cast<unsigned>(fault.target), verb);
  return text;
}

}  // namespace

bool FindImage(uintptr_t address, uintptr_t& begin, uintptr_t& end) {
  HMODULE module = nullptr;
  begin = end = 0;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<const char*>(address), &module)) {
    return false;
  }
  // The range is checked too, since a look-up of address 0 yields the program itself.
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  if (address - reinterpret_cast<uintptr_t>(base) >= nt->OptionalHeader.SizeOfImage) return false;
  begin = reinterpret_cast<uintptr_t>(base);
  end = begin + nt->OptionalHeader.SizeOfImage;
  return true;
}

LabelledRegion::LabelledRegion(FaultRegion region, const void* begin, size_t size)
    : region_(region) {
  RegionLabel& label = Labels[static_cast<int>(region)];
  replacedBegin_ = label.begin;
  replacedSize_ = label.size;
  label = {reinterpret_cast<uintptr_t>(begin), size};
}

LabelledRegion::~LabelledRegion() {
  Labels[static_cast<int>(region_)] = {replacedBegin_, replacedSize_};
}

FaultRecord RecordException(const EXCEPTION_RECORD& record) {
  FaultRecord fault;
  fault.code = record.ExceptionCode;
  fault.address = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
  if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
    fault.hasAccess = true;
    fault.access = record.ExceptionInformation[0];
    fault.target = record.ExceptionInformation[1];
    fault.region = RegionAt(fault.target);
  }
  return fault;
}

void NamePlace(const FaultRecord& fault, char* place, size_t placeSize) {
  NameAddress(fault.address, place, placeSize);
  if (fault.callSite == 0) return;
  const size_t used = std::strlen(place);
  const int added = std::snprintf(place + used, placeSize - used, "、呼び出し元 ");
  if (added > 0 && used + added < placeSize) {
    NameAddress(fault.callSite, place + used + added, placeSize - used - added);
  }
}

void NameModule(uintptr_t address, char* name, size_t size) {
  uintptr_t base = 0;
  if (!FindModule(address, name, size, base))
    std::snprintf(name, size, "0x%08X", static_cast<unsigned>(address));
}

std::string DescribeFault(const FaultRecord& fault, const char* place) {
  char code[64];
  const char* name = CodeNameOf(fault.code);
  if (name) {
    std::snprintf(code, sizeof code, "例外 %08X (%s)", static_cast<unsigned>(fault.code), name);
  } else {
    std::snprintf(code, sizeof code, "例外 %08X", static_cast<unsigned>(fault.code));
  }
  std::string text = std::string(code) + " が発生しました (" + place + ")";
  if (fault.hasAccess) text += "：" + DescribeAccess(fault);
  return text;
}

CallFault ExceptionFault(const FaultRecord& record) {
  CallFault fault;
  char place[kPlaceSize];
  NamePlace(record, place, sizeof place);
  fault.record = record;
  fault.place = place;
  return fault;
}

CallFault AbortFault(uintptr_t entry) {
  CallFault fault;
  char name[kPlaceSize];
  NameModule(entry, name, sizeof name);
  fault.kind = CallFault::Kind::Abort;
  fault.place = name;
  return fault;
}

CallFault ProcessEndFault(const char* request) {
  CallFault fault;
  fault.kind = CallFault::Kind::ProcessEnd;
  fault.processEndRequest = request;
  return fault;
}

std::string DescribeCallFault(const CallFault& fault, const char* exportName) {
  switch (fault.kind) {
    case CallFault::Kind::ProcessEnd:
      return "プロセスの終了 (" + fault.processEndRequest + ") が要求されました (" + exportName +
             ")：終了させずに呼び出しを打ち切りました";
    case CallFault::Kind::Abort:
      return "異常終了 (abort) が要求されました (" + fault.place +
             ")：プラグインの外に出た C++ 例外などが原因です";
    case CallFault::Kind::TimedOut: {
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%g", fault.allowedMs / 1000.0);
      return std::string("時間切れになりました (") + exportName + " が " + seconds +
             " 秒以内に戻りません)：プロセスごと打ち切りました";
    }
    case CallFault::Kind::ProcessLost: {
      char code[16];
      std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(fault.exitCode));
      return std::string("プロセスが終了しました (") + exportName + "、終了コード " + code +
             ")：防ぎようのない方法で終了させられました";
    }
    case CallFault::Kind::Exception: break;
  }
  return DescribeFault(fault.record, fault.place.c_str());
}

std::vector<ConventionBreach> NameBreaches(int32_t stackDrift, int slotCount,
                                           uint8_t unsavedRegisters) {
  std::vector<ConventionBreach> breaches;
  if (stackDrift != 0 && stackDrift == -4 * slotCount) {
    breaches.push_back({ConventionBreach::Kind::Cdecl, stackDrift, 0});
  } else if (stackDrift != 0) {
    breaches.push_back({ConventionBreach::Kind::ParameterBytes, stackDrift, 0});
  }
  if (unsavedRegisters != 0) {
    breaches.push_back({ConventionBreach::Kind::UnsavedRegisters, 0, unsavedRegisters});
  }
  return breaches;
}

std::string DescribeBreach(const ConventionBreach& breach, const char* exportName) {
  char text[256];
  switch (breach.kind) {
    case ConventionBreach::Kind::Cdecl:
      std::snprintf(text, sizeof text,
                    "%s は cdecl でエクスポートされています。スタックを元に戻しました", exportName);
      break;
    case ConventionBreach::Kind::ParameterBytes:
      std::snprintf(text, sizeof text,
                    "%s の引数の数が違います (呼び出し後のスタックのずれ %+d バイト)。スタックを元に"
                    "戻しました",
                    exportName, static_cast<int>(breach.stackDrift));
      break;
    case ConventionBreach::Kind::UnsavedRegisters: {
      static const char* const kNames[] = {"EBX", "ESI", "EDI", "EBP"};
      std::string names;
      for (int reg = 0; reg < 4; ++reg) {
        if (breach.unsavedRegisters & (1u << reg)) names += (names.empty() ? "" : " ") + std::string(kNames[reg]);
      }
      std::snprintf(text, sizeof text,
                    "%s がレジスタ %s を保存していません。レジスタを元に戻しました", exportName,
                    names.c_str());
      break;
    }
  }
  return text;
}
