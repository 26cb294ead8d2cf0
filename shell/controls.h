// The seventeen child controls of the main window, and the operations every other part of the
// bench uses on them. A control is always reached by its id as a child of Shell.mainWindow.
#pragma once

#include <windows.h>

#include "shell/settings.h"
#include "shell/shell_state.h"

// Control ids in creation order; the names say role and kind.
enum ControlId {
  DatFileEdit = 1000,
  DatFileLabel = 1001,
  PluginLabel = 1002,
  PluginEdit = 1003,
  LoadButton = 1004,
  RunButton = 1005,
  RequestCombo = 1006,
  RequestLabel = 1007,
  BrowseButton = 1008,
  ResultList = 1009,
  TestKeyLabel = 1010,
  TestKeyEdit = 1011,
  VersionLabel = 1012,
  KeyTypeLabel = 1013,
  KeyTypeCombo = 1014,
  ReqLenLabel = 1015,
  ReqLenEdit = 1016,
};

constexpr int kControlCount = 17;

// Creates the seventeen controls as children of Shell.mainWindow, each with Shell.controlFont.
void CreateControls();

// The contents of the controls when the window first appears, before the settings are shown.
void FillInitialContents();

// The settings in DatFileEdit, TestKeyEdit and KeyTypeCombo; and those three read back.
void ShowSettings(const Settings& settings);
Settings SettingsShown();

// Appends one report line at the end of ResultList and scrolls it into view; an empty line is
// ignored. When the list is full the oldest lines make room.
void AppendResultLine(const char* line);

// Rebuilds RequestCombo from PluginTable: the present entry points with the two separators, and
// no selection.
void RefillRequestList();

// Zero-fills `buffer` and reads the control's text into it with the limit of 260 bytes.
void ReadControlText(int controlId, TextBuffer& buffer);

// Replaces the control's text.
void SetControlText(int controlId, const char* text);

// The selection index of a drop-down list, or -1 when nothing is selected.
int ComboSelection(int comboId);

// Zero-fills the `capacity` bytes of `buffer` and copies the text of the selected entry of a
// drop-down list into it (up to capacity - 1 bytes); returns false, with an empty buffer, when
// nothing is selected or the entry would not fit.
bool ReadComboSelectionText(int comboId, char* buffer, int capacity);
