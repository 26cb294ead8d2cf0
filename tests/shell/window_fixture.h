// Creates the real main window inside the test process, with its settings file in a folder of
// the test's own, and tears it down the way closing does.
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "shell/controls.h"
#include "shell/main_window.h"

class MainWindowTest : public ::testing::Test {
 protected:
  // A fresh folder per test, named after it, holding the settings file.
  void SetUp() override;
  void TearDown() override;

  // Creates the window; the settings file (if `iniText` is not null) is written first.
  void OpenWindow(const char* iniText = nullptr);
  // Destroys the window, which saves the settings, and removes the quit message it posts.
  void CloseWindow();

  std::string SettingsFileText() const;

  std::string folder_;
  std::string iniPath_;
};
