// Start-up state, the main window and its message loop.
#pragma once

#include <windows.h>

#include "shell/controls.h"

// The one font of every control and the window background; both live for the whole run.
extern HFONT ControlFont;
extern HBRUSH FaceBrush;

// The folder current at start-up, and the settings file in it; fixed for the whole run. Either is
// empty text when it cannot be expressed in 259 bytes (the longest path the ANSI file functions
// take): then the dialogs start in their own default folder and the settings file is neither
// read nor written.
extern TextBuffer StartDirectory;
extern TextBuffer SettingsPath;

constexpr char kMainWindowClass[] = "NORMAL0";
constexpr char kSettingsFileName[] = "QB2LPT.ini";

void CreateDrawingResources();
void ReleaseDrawingResources();

// Fixes StartDirectory from the current folder, and SettingsPath from it.
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
