// Everything the window program keeps from one message to the next, in one place: Shell.
#pragma once

#include <windows.h>

#include "win/scoped_win.h"

// Text read from a control or the settings file arrives in a zero-filled buffer of this size,
// read with a limit of kTextLimit, so at most 259 bytes of text arrive.
constexpr int kTextBufferSize = 261;
constexpr int kTextLimit = 260;
using TextBuffer = char[kTextBufferSize];

struct ShellState {
  // The top-level window; set when it handles its creation message. Every control is reached by
  // its id as a child of it.
  HWND mainWindow = nullptr;

  // The one font of every control and the window background; made before the window and released
  // as it is destroyed.
  GdiObject<HFONT> controlFont;
  GdiObject<HBRUSH> faceBrush;

  // The folder current at start-up, and the settings file in it; fixed for the whole run. Either
  // is empty text when it cannot be expressed in 259 bytes (the longest path the ANSI file
  // functions take): then the dialogs start in their own default folder and the settings file is
  // neither read nor written.
  TextBuffer startDirectory = {};
  TextBuffer settingsPath = {};

  // A plugin that runs a message loop while it is called (a message box, a dialog of its own, a
  // PeekMessage loop) lets every message through to the window, posted clicks included. An action
  // never starts while another is under way, and a close waits until it has ended, so the window
  // does not respond until an action returns, whoever pumps its messages.
  bool actionUnderWay = false;
  bool closeWaiting = false;
};

// ---- The window program's only module state. Nothing else in shell/ keeps state of its own. ----
extern ShellState Shell;
