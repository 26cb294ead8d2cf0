// Start-up, the main window and its message loop.
#pragma once

#include <windows.h>

#include "shell/shell_state.h"

constexpr char kMainWindowClass[] = "NORMAL0";
constexpr char kSettingsFileName[] = "QB2LPT.ini";

// Makes Shell.controlFont and Shell.faceBrush, and releases them.
void CreateDrawingResources();
void ReleaseDrawingResources();

// Fixes Shell.startDirectory from the current folder, and Shell.settingsPath from it.
void FixStartPaths();

// `folder` followed by "\QB2LPT.ini" into `path`; false, with `path` empty, when the folder is
// empty or the result would be longer than 259 bytes.
bool ComposeSettingsPath(const char* folder, TextBuffer& path);

bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Takes and dispatches messages until the quit message or a failed fetch.
void RunMessageLoop();

// The whole run: start-up, the window, the message loop. Returns the exit code: 0 once the window
// was closed, 1 when the window could not be made.
int RunBench(HINSTANCE instance);

// Runs as the window is destroyed: saves the settings, releases the plugin, deletes the drawing
// resources and posts the quit message.
void ShutDown();
