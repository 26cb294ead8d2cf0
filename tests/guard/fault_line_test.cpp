// Each kind of fault inside a plugin call: the call is abandoned with exactly one line that names
// the exception, where it happened and what the plugin touched, and the next call works.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/plugin_call.h"
#include "tests/guard/guard_fixture.h"

namespace {

const std::string kPrefix = "エラー：プラグインの呼び出し中に例外 ";

// How the platform reports a kind of fault; Fixed kinds are reported as they are everywhere.
enum class Kind { Access, Divide, Breakpoint, Fixed };

PlatformFault Probe(Kind kind) {
  switch (kind) {
    case Kind::Access:
      return ProbePlatform("NullWrite", "NullWriteSite");
    case Kind::Divide:
      return ProbePlatform("DivideByZero", "DivideByZeroSite");
    case Kind::Breakpoint:
      return ProbePlatform("Breakpoint", "Breakpoint");
    case Kind::Fixed:
      break;
  }
  return PlatformFault();
}

struct FaultCase {
  const char* exportName;
  const char* site;  // the export that marks the faulting instruction
  Kind kind;
  uint32_t fixedCode;
  const char* what;  // what the plugin touched, named when the platform tells the access
};

const FaultCase kFaultCases[] = {
    {"NullWrite", "NullWriteSite", Kind::Access, 0,
     "：ヌルポインタ付近のアドレス 0x00000000 に書き込みました"},
    {"WriteListData", "WriteListDataSite", Kind::Access, 0,
     "：書き込み禁止のリストデータに書き込みました"},
    {"WriteKey", "WriteKeySite", Kind::Access, 0, "：書き込み禁止のキーに書き込みました"},
    {"WritePastBuffer", "WritePastBufferSite", Kind::Access, 0,
     "：バッファの末尾を越えて書き込みました (オーバーラン)"},
    {"ReadPastBuffer", "ReadPastBufferSite", Kind::Access, 0,
     "：バッファの末尾を越えて読み込みました (オーバーラン)"},
    {"DivideByZero", "DivideByZeroSite", Kind::Divide, 0, ""},
    {"Breakpoint", "Breakpoint", Kind::Breakpoint, 0, ""},
    {"IllegalInstruction", "IllegalInstruction", Kind::Fixed, 0xC000001D, ""},
    {"FpuStackThenFault", "FpuStackThenFaultSite", Kind::Fixed, 0xC000001D, ""},
    {"RecurseForever", "RecurseForeverSite", Kind::Fixed, 0xC00000FD, ""},
};

TEST(FaultLine, EachFaultIsOneLineAndTheNextCallWorks) {
  BenchRegions regions;
  for (const FaultCase& c : kFaultCases) {
    SCOPED_TRACE(c.exportName);
    const PlatformFault platform = Probe(c.kind);
    const uint32_t code = c.kind == Kind::Fixed ? c.fixedCode : platform.code;
    const std::string what = c.kind == Kind::Access && platform.hasAccess ? c.what : "";
    RecordedLines sink;
    int16_t result = 77;
    EXPECT_FALSE(CallThroughGuard(FaultyExport(c.exportName), sink,
                                  regions.SizedTextSlots(0, BenchRegions::kBufferSize), result));
    EXPECT_EQ(sink.lines,
              std::vector<std::string>{kPrefix + NamedCode(code) + " が発生しました (" +
                                       FaultyPlace(c.site, platform.offsetFromSite) + ")" + what});
    EXPECT_EQ(result, 77);  // an abandoned call leaves the result alone
    ExpectWellBehavedAnswers(regions);
  }
}

TEST(FaultLine, JumpToNullNamesTheBareAddressAndTheCall) {
  const PlatformFault platform = Probe(Kind::Access);
  BenchRegions regions;
  RecordedLines sink;
  int16_t result;
  EXPECT_FALSE(
      CallThroughGuard(FaultyExport("CallNull"), sink, regions.SizedTextSlots(0, 1), result));
  // Where the platform tells the access, an instruction fetch (with no-execute protection on).
  EXPECT_EQ(
      sink.lines,
      std::vector<std::string>{
          kPrefix + NamedCode(platform.code) + " が発生しました (0x00000000、呼び出し元 " +
          FaultyPlace("CallNullSite") + ")" +
          (platform.hasAccess ? "：ヌルポインタ付近のアドレス 0x00000000 を実行しようとしました"
                              : "")});
  ExpectWellBehavedAnswers(regions);
}

// A function as the system library exports it, not the program's import stub for it.
void* SystemFunction(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (!module) module = GetModuleHandleA("kernel32.dll");  // a system without kernelbase
  return reinterpret_cast<void*>(GetProcAddress(module, name));
}

// Checks "<head>(<module>+0x<hex>、呼び出し元 <site>)<tail>": the fault is named in the system
// library that raised it, followed by the plugin's call into that library.
void ExpectRaisedInLibrary(const std::string& line, const std::string& head,
                           const std::string& module, const std::string& site,
                           const std::string& tail) {
  const std::string opening = head + "(" + module + "+0x";
  const std::string closing = "、呼び出し元 " + site + ")" + tail;
  ASSERT_GT(line.size(), opening.size() + closing.size()) << line;
  EXPECT_EQ(line.substr(0, opening.size()), opening) << line;
  EXPECT_EQ(line.substr(line.size() - closing.size()), closing) << line;
  const std::string offset =
      line.substr(opening.size(), line.size() - opening.size() - closing.size());
  EXPECT_EQ(offset.find_first_not_of("0123456789ABCDEF"), std::string::npos) << line;
}

TEST(FaultLine, RaisedExceptionsNameTheCallSiteInThePlugin) {
  const struct {
    uint32_t code;
    const char* named;
  } raised[] = {
      {0xE06D7363, "E06D7363 (Visual C++ の例外)"},  // raised non-continuable
      {0xC0000094, "C0000094 (整数のゼロ除算)"},
      {0xE0000001, "E0000001"},  // a code of the plugin's own has no name
  };
  BenchRegions regions;
  const std::string library = ModuleNameOf(SystemFunction("kernelbase.dll", "RaiseException"));
  for (const auto& r : raised) {
    SCOPED_TRACE(r.named);
    RecordedLines sink;
    int16_t result;
    EXPECT_FALSE(CallThroughGuard(FaultyExport("RaiseCode"), sink, {r.code}, result));
    ASSERT_EQ(sink.lines.size(), 1u);
    ExpectRaisedInLibrary(sink.lines[0], kPrefix + r.named + " が発生しました ", library,
                          FaultyPlace("RaiseCodeSite"), "");
    ExpectWellBehavedAnswers(regions);
  }
}

TEST(FaultLine, FaultInsideTheRuntimeNamesTheCallSite) {
  const PlatformFault platform = Probe(Kind::Access);
  BenchRegions regions;
  RecordedLines sink;
  int16_t result;
  EXPECT_FALSE(
      CallThroughGuard(FaultyExport("StrcpyIntoKey"), sink, regions.SizedTextSlots(0, 1), result));
  ASSERT_EQ(sink.lines.size(), 1u);
  ExpectRaisedInLibrary(sink.lines[0], kPrefix + NamedCode(platform.code) + " が発生しました ",
                        ModuleNameOf(SystemFunction("msvcrt.dll", "strcpy")),
                        FaultyPlace("StrcpyIntoKeySite"),
                        platform.hasAccess ? "：書き込み禁止のキーに書き込みました" : "");
  ExpectWellBehavedAnswers(regions);
}

TEST(FaultLine, CppExceptionLeavingThePluginIsCaughtEveryTime) {
  BenchRegions regions;
  // From the second throw on, the plugin's runtime is terminating already: it aborts all the same.
  for (int round = 0; round < 3; ++round) {
    RecordedLines sink;
    int16_t result;
    EXPECT_FALSE(
        CallThroughGuard(FaultyExport("ThrowCpp"), sink, regions.SizedTextSlots(0, 1), result));
    EXPECT_EQ(sink.lines, std::vector<std::string>{
                              "エラー：プラグインの呼び出し中に異常終了 (abort) が要求されました "
                              "(faulty.dll)：プラグインの外に出た C++ 例外などが原因です"});
    ExpectWellBehavedAnswers(regions);
  }
}

// The naming of what an access violation touched, from records as a faithful platform gives them;
// the region is the one labelled when the exception is recorded.
TEST(FaultLine, AccessIsNamedByLabelledRegion) {
  const PageReservation listPage = NewReadOnlyPage("LIST");
  const PageReservation elsewherePage = NewReadOnlyPage("LIST");
  char* const listData = static_cast<char*>(listPage.get());
  char* const elsewhere = static_cast<char*>(elsewherePage.get());
  const auto at = [](const char* p) { return reinterpret_cast<uintptr_t>(p); };
  auto describe = [](uintptr_t target, uint32_t access) {
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    record.NumberParameters = 2;
    record.ExceptionInformation[0] = access;
    record.ExceptionInformation[1] = target;
    const std::string text = DescribeFault(RecordException(record), "here");
    return text.substr(text.find("：") + std::strlen("："));
  };
  char bare[64];
  std::snprintf(bare, sizeof bare, "アドレス 0x%08X に書き込みました",
                static_cast<unsigned>(at(elsewhere)));
  {
    LabelledRegion outer(FaultRegion::ListData, listData, 4096);
    {
      LabelledRegion inner(FaultRegion::ListData, elsewhere, 4096);
      EXPECT_EQ(describe(at(elsewhere) + 4095, 1), "書き込み禁止のリストデータに書き込みました");
    }
    // The inner label ended: the outer one is back, and its end is exclusive.
    EXPECT_EQ(describe(at(listData), 1), "書き込み禁止のリストデータに書き込みました");
    EXPECT_EQ(describe(at(elsewhere), 1), bare);
    LabelledRegion key(FaultRegion::Key, elsewhere, 260);
    EXPECT_EQ(describe(at(elsewhere) + 259, 1), "書き込み禁止のキーに書き込みました");
    EXPECT_NE(describe(at(elsewhere) + 260, 1), "書き込み禁止のキーに書き込みました");
    LabelledRegion end(FaultRegion::BufferEnd, elsewhere + 1024, 4096 - 1024);
    EXPECT_EQ(describe(at(elsewhere) + 1024, 0),
              "バッファの末尾を越えて読み込みました (オーバーラン)");
    EXPECT_EQ(describe(at(elsewhere) + 2000, 8), "バッファの末尾の先を実行しようとしました");
  }
  EXPECT_EQ(describe(at(listData), 1).find("書き込み禁止"), std::string::npos);
  EXPECT_EQ(describe(4, 0), "ヌルポインタ付近のアドレス 0x00000004 から読み込みました");
  EXPECT_EQ(describe(0x10000, 8), "アドレス 0x00010000 を実行しようとしました");
}

}  // namespace
