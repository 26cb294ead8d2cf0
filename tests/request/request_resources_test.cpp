// The run's own memory and handles: the result buffer's placement, the page regions, what a run
// does when it cannot get them, plugins that misuse the buffer, and a long series of runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/contract.h"
#include "request/page_region.h"
#include "request/result_buffer.h"
#include "request/run_request.h"
#include "tests/request/fake_bench.h"
#include "win/scoped_win.h"

namespace {

using Lines = std::vector<std::string>;
using Reads = std::vector<std::string>;

MEMORY_BASIC_INFORMATION Query(const void* address) {
  MEMORY_BASIC_INFORMATION info = {};
  VirtualQuery(address, &info, sizeof info);
  return info;
}

bool Accessible(const void* address) {
  const MEMORY_BASIC_INFORMATION info = Query(address);
  return info.State == MEM_COMMIT && !(info.Protect & (PAGE_NOACCESS | PAGE_GUARD));
}

TEST(ResultBuffer, EndsRightBeforeAnInaccessiblePage) {
  for (int32_t size : {1, 7, 24, 4095, 4096, 4097, 70000, 65536}) {
    SCOPED_TRACE(size);
    const char* data;
    {
      ResultBuffer buffer(size);
      data = buffer.data();
      ASSERT_NE(data, nullptr);
      EXPECT_EQ(buffer.size(), size);
      for (int32_t i = 0; i < size; ++i) ASSERT_EQ(data[i], 0) << i;
      EXPECT_TRUE(Accessible(data));
      EXPECT_TRUE(Accessible(data + size - 1));
      EXPECT_FALSE(Accessible(data + size));
    }
    EXPECT_EQ(Query(data).State, static_cast<DWORD>(MEM_FREE));
  }
}

TEST(ResultBuffer, TooLargeIsAbsent) {
  for (int32_t size : {2000000000, INT32_MAX}) {
    ResultBuffer buffer(size);
    EXPECT_EQ(buffer.data(), nullptr) << size;
  }
}

TEST(PageRegion, ZeroFilledThenReadOnlyThenFreed) {
  const char* data;
  {
    PageRegion region(5000);
    data = region.data();
    ASSERT_NE(data, nullptr);
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(data[i], 0) << i;
    EXPECT_EQ(Query(data).Protect, static_cast<DWORD>(PAGE_READWRITE));
    region.MakeReadOnly();
    EXPECT_EQ(Query(data).Protect, static_cast<DWORD>(PAGE_READONLY));
    EXPECT_EQ(Query(data + 4999).Protect, static_cast<DWORD>(PAGE_READONLY));
  }
  EXPECT_EQ(Query(data).State, static_cast<DWORD>(MEM_FREE));
  PageRegion none(0);
  EXPECT_EQ(none.data(), nullptr);
  none.MakeReadOnly();
}

class Guard : public ::testing::Test {
 protected:
  void SetUp() override {
    Script = PluginScript();
    Seen.clear();
    InstallFakePlugin();
    bench.listDataFilePath = WriteListDataFile("request_guard_list.dat", "LIST DATA");
  }
  void TearDown() override {
    RemovePlugin();
    DeleteFileA("request_guard_list.dat");
  }
  Lines RunNamed(const char* name) {
    bench.requestName = name;
    RunRequest(bench);
    return bench.lines;
  }
  FakeBench bench;
};

TEST_F(Guard, BufferThatCannotBeAllocatedStopsBeforeTheSecondCall) {
  const struct {
    const char* request;
    const char* label;
  } rows[] = {{"GetTitle", "[タイトル]"},
              {"GetSaleDate", "[発売年月日]"},
              {"GetPluginAuthor", "[プラグイン作者]"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.request);
    bench = FakeBench();
    bench.listDataFilePath = "request_guard_list.dat";
    bench.requestedLength = "2000000000";
    Seen.clear();
    EXPECT_EQ(RunNamed(row.request),
              (Lines{row.label, "必要バイト数 : 5",
                     "バイト数 : 2000000000 でリクエストしてみるテスト",
                     "エラー：結果バッファを確保できませんでした"}));
    EXPECT_EQ(Seen.size(), 1u);
  }
}

TEST_F(Guard, TextFillingTheWholeBufferIsShownWithinIt) {
  Script.fillBuffer = true;
  Script.second = -768;
  Script.probe = 7;
  EXPECT_EQ(RunNamed("GetSaleDate"),
            (Lines{"[発売年月日]", "必要バイト数 : 7",
                   "エラー：正しく取得したが該当データは不在だった",
                   "警告：プラグインが返したテキストがバッファ内で終わっていません",
                   "[警告]YYYY-mm形式じゃないみたい", "AAAAAAA"}));
}

TEST_F(Guard, TextLongerThanTheProbeAskedFor) {
  Script.probe = 4;
  Script.written = std::string("abcdefgh", 9);
  bench.requestedLength = "10";
  EXPECT_EQ(RunNamed("GetDeveloper"),
            (Lines{"[開発元]", "必要バイト数 : 4", "バイト数 : 10 でリクエストしてみるテスト",
                   "警告：プラグインが返したテキストが必要バイト数より長くなっています",
                   "abcdefgh"}));
  // A text of exactly the asked size, terminator included, is no misuse.
  bench = FakeBench();
  bench.listDataFilePath = "request_guard_list.dat";
  bench.requestedLength = "10";
  Script.written = std::string("abc", 4);
  EXPECT_EQ(RunNamed("GetDeveloper"), (Lines{"[開発元]", "必要バイト数 : 4",
                                             "バイト数 : 10 でリクエストしてみるテスト", "abc"}));
}

TEST_F(Guard, ReplacedBufferAddressIsNeitherReadNorFreed) {
  Script.replaceAddress = true;
  Script.second = -512;
  for (const char* request : {"GetTitle", "GetSaleDate", "GetPluginInfo"}) {
    SCOPED_TRACE(request);
    bench = FakeBench();
    bench.listDataFilePath = "request_guard_list.dat";
    const Lines lines = RunNamed(request);
    EXPECT_EQ(Lines(lines.begin() + 1, lines.end()),
              (Lines{"必要バイト数 : 5", "エラー：リストファイル中に指定されたキーが無い",
                     "警告：プラグインがバッファのアドレスを書き換えました"}));
  }
}

TEST_F(Guard, FaultInsideThePluginEndsTheRunAndTheNextRunWorks) {
  const struct {
    const char* what;
    bool PluginScript::*misuse;
    size_t callsBeforeFault;
  } rows[] = {
      {"write past the buffer", &PluginScript::overrun, 2},
      {"write into the list data", &PluginScript::writeListData, 1},
      {"write into the key", &PluginScript::writeKey, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    bench = FakeBench();
    bench.listDataFilePath = "request_guard_list.dat";
    Seen.clear();
    Script = PluginScript();
    Script.*row.misuse = true;
    const Lines lines = RunNamed("GetSaleDate");
    EXPECT_EQ(Seen.size(), row.callsBeforeFault);
    // The call routine's own line is the last one: no status, date warning or text after it.
    ASSERT_EQ(lines.size(), row.callsBeforeFault + 1);
    EXPECT_EQ(lines.back().rfind("エラー：", 0), 0u) << lines.back();

    Script = PluginScript();
    bench.lines.clear();
    EXPECT_EQ(RunNamed("GetTitle"), (Lines{"[タイトル]", "必要バイト数 : 5", "abc"}));
  }
}

// A sparse file of the given size, created at once.
std::string WriteSparseFile(const char* name, long long size) {
  const FileHandle file(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER end;
  end.QuadPart = size;
  SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN);
  SetEndOfFile(file.get());
  return name;
}

TEST_F(Guard, ListDataFileTooLargeForMemoryOrForItsZeroByte) {
  const struct {
    long long size;
    const char* line;
  } rows[] = {
      {0xFFFFFFFEll, "エラー：リストデータを読み込むメモリを確保できませんでした"},
      {0xFFFFFFFFll, "エラー：リストデータファイルが大きすぎて読み込めません"},
      {0x100000003ll, "エラー：リストデータファイルが大きすぎて読み込めません"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.size);
    bench = FakeBench();
    bench.listDataFilePath = WriteSparseFile("request_guard_sparse.dat", row.size);
    EXPECT_EQ(RunNamed("GetTitle"), Lines{row.line});
    EXPECT_EQ(bench.reads, (Reads{"keytype", "name", "path"}));
    DeleteFileA("request_guard_sparse.dat");
  }
  EXPECT_TRUE(Seen.empty());
}

TEST_F(Guard, ListDataFileWhoseSizeCannotBeTaken) {
  // A pipe opens like a file but has no size.
  const FileHandle pipe(CreateNamedPipeA("\\\\.\\pipe\\request_guard_pipe", PIPE_ACCESS_DUPLEX,
                                         PIPE_TYPE_BYTE, 4, 512, 512, 0, nullptr));
  ASSERT_TRUE(pipe.IsValid());
  bench.listDataFilePath = "\\\\.\\pipe\\request_guard_pipe";
  EXPECT_EQ(RunNamed("GetYear"), Lines{"エラー：リストデータファイルのサイズを取得できませんでした"});
  EXPECT_TRUE(Seen.empty());
}

// Reserves every free range of the address space, or all but the room for one page allocation.
class AddressSpaceFiller {
 public:
  explicit AddressSpaceFiller(bool roomForOne) {
    for (size_t size = 1u << 30; size >= 0x1000; size /= 2) Take(size, MEM_RESERVE);
    if (!roomForOne || blocks_.empty()) return;
    // Some room back, taken again in single pages the way a run takes them; the last page is
    // given back, which leaves the state just before it was taken: room for exactly one more.
    GiveBackLast();
    Take(0x1000, MEM_COMMIT);
    GiveBackLast();
  }

 private:
  void GiveBackLast() { blocks_.pop_back(); }
  void Take(size_t size, DWORD kind) {
    while (void* block = VirtualAlloc(nullptr, size, kind, PAGE_READWRITE)) {
      blocks_.emplace_back(block);
    }
  }

  std::vector<PageReservation> blocks_;
};

TEST_F(Guard, RegionsThatCannotBeCommitted) {
  bench.requestName = "GetTitle";
  bench.lines.reserve(4);
  bench.reads.reserve(8);
  {
    AddressSpaceFiller filler(false);
    RunRequest(bench);
  }
  EXPECT_EQ(bench.lines, Lines{"エラー：リストデータを読み込むメモリを確保できませんでした"});

  // Room for the list data only: the key region is what fails.
  bench = FakeBench();
  bench.listDataFilePath = "request_guard_list.dat";
  bench.requestName = "GetTitle";
  bench.lines.reserve(4);
  bench.reads.reserve(8);
  {
    AddressSpaceFiller filler(true);
    RunRequest(bench);
  }
  EXPECT_EQ(bench.lines, Lines{"エラー：テストキーを置くメモリを確保できませんでした"});
  EXPECT_EQ(bench.reads, (Reads{"keytype", "name", "path"}));
  EXPECT_TRUE(Seen.empty());
}

// Handles of this process, from the system's handle table.
size_t HandleCount() {
  struct Entry {
    USHORT processId, backTraceIndex;
    UCHAR objectType, attributes;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  struct Table {
    ULONG count;
    Entry entries[1];
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<char> buffer(1 << 16);
  ULONG needed = 0;
  const ULONG kHandleInformation = 16;
  const LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
  while (query(kHandleInformation, buffer.data(), buffer.size(), &needed) == kLengthMismatch) {
    buffer.resize(buffer.size() * 2);
  }
  const Table* table = reinterpret_cast<const Table*>(buffer.data());
  size_t mine = 0;
  for (ULONG i = 0; i < table->count; ++i) {
    mine += table->entries[i].processId == static_cast<USHORT>(GetCurrentProcessId());
  }
  return mine;
}

// Committed private bytes of this process.
size_t CommittedBytes() {
  size_t total = 0;
  MEMORY_BASIC_INFORMATION info;
  for (const char* p = nullptr; VirtualQuery(p, &info, sizeof info) == sizeof info;
       p = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
    if (static_cast<const char*>(info.BaseAddress) + info.RegionSize < p) break;
  }
  return total;
}

TEST_F(Guard, ThousandRunsKeepHandlesAndMemoryLevel) {
  WriteListDataFile("request_guard_list.dat", std::string(100000, 'L'));
  const struct {
    const char* request;
    const char* length;
    const char* path;
    bool overrun;
  } runs[] = {
      {"GetTitle", "", "request_guard_list.dat", false},
      {"GetSaleDate", "70000", "request_guard_list.dat", false},
      {"GetYear", "", "request_guard_list.dat", false},
      {"GetPluginInfo", "9", "request_guard_list.dat", false},
      {"-------------", "", "request_guard_list.dat", false},
      {"GetMemo", "", "no_such_list.dat", false},
      {"GetModel", "2000000000", "request_guard_list.dat", false},
      {"GetVersion", "", "request_guard_list.dat", true},
  };
  auto runMany = [&](int count) {
    for (int i = 0; i < count; ++i) {
      const auto& run = runs[i % (sizeof runs / sizeof runs[0])];
      bench = FakeBench();
      bench.listDataFilePath = run.path;
      Script.overrun = run.overrun;
      bench.requestedLength = run.length;
      bench.requestName = run.request;
      RunRequest(bench);
      Seen.clear();
    }
  };
  // The process heap grows once, by a segment, during the first thousand runs: measure after it.
  runMany(1000);
  const size_t handles = HandleCount();
  const size_t committed = CommittedBytes();
  ASSERT_GT(handles, 0u);
  runMany(1000);
  EXPECT_EQ(HandleCount(), handles);
  EXPECT_LE(CommittedBytes(), committed + 64 * 1024);
}

}  // namespace
