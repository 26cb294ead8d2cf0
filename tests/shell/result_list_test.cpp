// AppendResultLine against a list that runs out of space after a few lines.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/controls.h"

namespace {

std::vector<std::string> Lines;
size_t Capacity = 0;
LRESULT TopIndex = -1;

LRESULT CALLBACK SmallListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case LB_ADDSTRING:
      if (Lines.size() >= Capacity) return LB_ERRSPACE;
      Lines.emplace_back(reinterpret_cast<const char*>(lParam));
      return static_cast<LRESULT>(Lines.size() - 1);
    case LB_DELETESTRING:
      if (wParam >= Lines.size()) return LB_ERR;
      Lines.erase(Lines.begin() + wParam);
      return static_cast<LRESULT>(Lines.size());
    case LB_GETCOUNT:
      return static_cast<LRESULT>(Lines.size());
    case LB_SETTOPINDEX:
      TopIndex = static_cast<LRESULT>(wParam);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

class SmallResultListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Lines.clear();
    TopIndex = -1;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SmallListProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SmallResultList";
    RegisterClassA(&windowClass);
    savedMainWindow_ = Shell.mainWindow;
    Shell.mainWindow = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                       nullptr, nullptr);
    CreateWindowExA(0, "SmallResultList", "", WS_CHILD, 0, 0, 10, 10, Shell.mainWindow,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(ResultList)), nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(Shell.mainWindow);
    Shell.mainWindow = savedMainWindow_;
    UnregisterClassA("SmallResultList", GetModuleHandleA(nullptr));
  }
  HWND savedMainWindow_ = nullptr;
};

TEST_F(SmallResultListTest, OldestLinesMakeRoomForTheNewest) {
  Capacity = 3;
  for (const char* line : {"1", "2", "3", "4", "5"}) AppendResultLine(line);
  EXPECT_EQ(Lines, (std::vector<std::string>{"3", "4", "5"}));
  EXPECT_EQ(TopIndex, 2);
}

TEST_F(SmallResultListTest, ALineThatNeverFitsIsDroppedAndTheCallReturns) {
  Capacity = 0;
  AppendResultLine("too much");
  EXPECT_TRUE(Lines.empty());
  EXPECT_EQ(TopIndex, -1);
}
}  // namespace
