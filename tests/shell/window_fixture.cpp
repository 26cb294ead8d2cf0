#include "tests/shell/window_fixture.h"

#include <cstring>
#include <fstream>
#include <sstream>

void MainWindowTest::SetUp() {
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::string(current) + "\\shell-" + test->test_suite_name() + "-" + test->name();
  for (char& c : folder_) {
    if (c == '/') c = '_';
  }
  CreateDirectoryA(folder_.c_str(), nullptr);
  iniPath_ = folder_ + "\\QB2LPT.ini";
  DeleteFileA(iniPath_.c_str());
  ASSERT_TRUE(ComposeSettingsPath(folder_.c_str(), Shell.settingsPath));
  lstrcpynA(Shell.startDirectory, folder_.c_str(), kTextLimit);
}

void MainWindowTest::TearDown() {
  if (Shell.mainWindow != nullptr && IsWindow(Shell.mainWindow)) CloseWindow();
  UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
}

void MainWindowTest::OpenWindow(const char* iniText) {
  if (iniText != nullptr) {
    std::ofstream(iniPath_, std::ios::binary) << iniText;
  }
  CreateDrawingResources();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  UnregisterClassA(kMainWindowClass, instance);
  ASSERT_TRUE(RegisterMainWindowClass(instance));
  HWND created = CreateMainWindow(instance);
  ASSERT_NE(created, nullptr);
  ASSERT_EQ(created, Shell.mainWindow);
}

void MainWindowTest::CloseWindow() {
  SendMessageA(Shell.mainWindow, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(Shell.mainWindow));
  MSG message;
  bool quit = false;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) quit = true;
  }
  EXPECT_TRUE(quit) << "closing the window must end the message loop";
  EXPECT_EQ(Shell.controlFont.get(), nullptr);
  EXPECT_EQ(Shell.faceBrush.get(), nullptr);
  Shell.mainWindow = nullptr;
}

std::string MainWindowTest::SettingsFileText() const {
  std::ifstream file(iniPath_, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}
