// The process counters follow what the process really opens and creates.
#include "checker/process_probe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(CountHandlesInTable, CountsTheOwnersEntriesWithinTheGivenSize) {
  std::vector<char> table(sizeof(uint32_t) + 3 * sizeof(SystemHandleEntry));
  const uint32_t listed = 3;
  std::memcpy(table.data(), &listed, sizeof listed);
  auto* entries = reinterpret_cast<SystemHandleEntry*>(table.data() + sizeof(uint32_t));
  entries[0].ownerProcessId = 7;
  entries[1].ownerProcessId = 9;
  entries[2].ownerProcessId = 7;
  EXPECT_EQ(CountHandlesInTable(table.data(), table.size(), 7), 2);
  EXPECT_EQ(CountHandlesInTable(table.data(), table.size(), 8), 0);
  // A count larger than the bytes returned reads no further than those bytes.
  EXPECT_EQ(CountHandlesInTable(table.data(), table.size() - sizeof(SystemHandleEntry), 7), 1);
  EXPECT_EQ(CountHandlesInTable(table.data(), 2, 7), 0);
}

TEST(CountProcessHandles, FollowsHandlesOpenedAndClosed) {
  const DWORD self = GetCurrentProcessId();
  const int before = CountProcessHandles(self);
  const int counted = CountHandles(GetCurrentProcess());
  ASSERT_GT(before, 0);
  ASSERT_GT(counted, 0);
  HANDLE events[3];
  for (HANDLE& event : events) event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(CountProcessHandles(self), before + 3);
  EXPECT_EQ(CountHandles(GetCurrentProcess()), counted + 3);
  for (HANDLE event : events) CloseHandle(event);
  EXPECT_EQ(CountProcessHandles(self), before);
}

TEST(CountProcessWindows, CountsTopLevelWindowsAndTheirChildren) {
  const DWORD self = GetCurrentProcessId();
  // A thread's first top-level window brings a hidden window of the system's along, which lives
  // as long as the thread has top-level windows: keep one open throughout.
  HWND first = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 5, 5, nullptr, nullptr,
                               nullptr, nullptr);
  const int before = CountProcessWindows(self);
  HWND top = CreateWindowExA(0, "STATIC", "top", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                             nullptr, nullptr);
  ASSERT_NE(top, nullptr);
  HWND child = CreateWindowExA(0, "STATIC", "child", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr,
                               nullptr);
  CreateWindowExA(0, "STATIC", "grandchild", WS_CHILD, 0, 0, 5, 5, child, nullptr, nullptr,
                  nullptr);
  EXPECT_EQ(CountProcessWindows(self), before + 3);
  DestroyWindow(top);
  EXPECT_EQ(CountProcessWindows(self), before);
  DestroyWindow(first);
}

TEST(ProcessMemory, PrivateBytesAndPeakFollowPagesTouched) {
  const size_t size = size_t{8} << 20;
  const size_t privateBefore = PrivateBytes(GetCurrentProcess());
  const size_t peakBefore = PeakWorkingSet(GetCurrentProcess());
  ASSERT_GT(privateBefore, 0u);
  char* pages = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  for (size_t i = 0; i < size; i += 4096) pages[i] = 1;
  EXPECT_GE(PrivateBytes(GetCurrentProcess()), privateBefore + size - (size_t{1} << 20));
  VirtualFree(pages, 0, MEM_RELEASE);
  EXPECT_GE(PeakWorkingSet(GetCurrentProcess()), peakBefore + size - (size_t{1} << 20));
  EXPECT_LT(PrivateBytes(GetCurrentProcess()), privateBefore + (size_t{1} << 20));
}

TEST(ProcessMemory, CommittedPrivateBytesCountPagesTouchedOrNot) {
  const size_t size = size_t{8} << 20;
  const size_t before = CommittedPrivateBytes();
  void* pages = VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(pages, nullptr);
  EXPECT_GE(CommittedPrivateBytes(), before + size);
  EXPECT_LT(CommittedPrivateBytes(), before + size + (size_t{1} << 20));
  VirtualFree(pages, 0, MEM_RELEASE);
  EXPECT_LT(CommittedPrivateBytes(), before + (size_t{1} << 20));
}

}  // namespace
