#include "shell/controls.h"

#include <cstring>

#include "plugin/contract.h"
#include "shell/key_type_combo.h"

namespace {

struct ControlLayout {
  int id;
  const char* className;
  const char* text;
  DWORD style;
  DWORD extendedStyle;
  int x, y, width, height;
};

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kDropDownList = kShown | WS_VSCROLL | CBS_DROPDOWNLIST;

// In creation order, which is id order. A drop-down list's height includes its dropped list.
const ControlLayout kLayout[kControlCount] = {
    {DatFileEdit, "EDIT", "", kShown | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 69, 14, 278, 21},
    {DatFileLabel, "STATIC", "DatFile", kShown, 0, 13, 18, 50, 12},
    {PluginLabel, "STATIC", "Plugin", kShown, 0, 13, 48, 50, 12},
    {PluginEdit, "EDIT", "", kShown | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 69, 44, 278, 21},
    {LoadButton, "BUTTON", "DLLロード", kShown, 0, 355, 44, 88, 21},
    {RunButton, "BUTTON", "実行", kShown, 0, 355, 173, 88, 21},
    {RequestCombo, "COMBOBOX", "", kDropDownList, 0, 69, 175, 278, 245},
    {RequestLabel, "STATIC", "Request", kShown, 0, 13, 177, 50, 12},
    {BrowseButton, "BUTTON", "参照", kShown, 0, 355, 14, 88, 21},
    {ResultList, "LISTBOX", "", kShown | WS_VSCROLL, WS_EX_CLIENTEDGE, 12, 209, 430, 227},
    {TestKeyLabel, "STATIC", "TestKey", kShown, 0, 13, 78, 52, 12},
    {TestKeyEdit, "EDIT", "", kShown, WS_EX_CLIENTEDGE, 69, 74, 278, 21},
    {VersionLabel, "STATIC", "Ver", kShown, 0, 13, 443, 177, 12},
    {KeyTypeLabel, "STATIC", "KeyType", kShown, 0, 13, 108, 50, 12},
    {KeyTypeCombo, "COMBOBOX", "", kDropDownList, 0, 69, 104, 278, 84},
    {ReqLenLabel, "STATIC", "Req.Len", kShown, 0, 13, 138, 50, 12},
    {ReqLenEdit, "EDIT", "", kShown, WS_EX_CLIENTEDGE, 69, 134, 278, 21},
};

constexpr char kVersionText[] = "Ver 0.62";
constexpr char kRequestSeparator[] = "-------------";
// RequestCombo shows a separator after these entry points, whether or not they are present.
constexpr int kSeparatorAfter[] = {kGetPluginInfo, kGetMemo};

LRESULT SendToControl(int controlId, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageA(Shell.mainWindow, controlId, message, wParam, lParam);
}

bool IsSeparatorPlace(int exportIndex) {
  for (int after : kSeparatorAfter) {
    if (after == exportIndex) return true;
  }
  return false;
}

}  // namespace

void CreateControls() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  for (const ControlLayout& control : kLayout) {
    CreateWindowExA(control.extendedStyle, control.className, control.text, control.style,
                    control.x, control.y, control.width, control.height, Shell.mainWindow,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
    SendToControl(control.id, WM_SETFONT, reinterpret_cast<WPARAM>(Shell.controlFont.get()), FALSE);
  }
}

void FillInitialContents() {
  SetControlText(VersionLabel, kVersionText);
  RefillRequestList();
  for (const KeyTypeEntry& entry : kKeyTypeEntries) {
    SendToControl(KeyTypeCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text));
  }
}

void ShowSettings(const Settings& settings) {
  SetControlText(DatFileEdit, settings.listDataFile.c_str());
  SetControlText(TestKeyEdit, settings.testKey.c_str());
  SendToControl(KeyTypeCombo, CB_SETCURSEL, static_cast<WPARAM>(settings.keyTypeEntry), 0);
}

Settings SettingsShown() {
  Settings settings;
  TextBuffer text;
  ReadControlText(DatFileEdit, text);
  settings.listDataFile = text;
  ReadControlText(TestKeyEdit, text);
  settings.testKey = text;
  settings.keyTypeEntry = ComboSelection(KeyTypeCombo);
  return settings;
}

void AppendResultLine(const char* line) {
  if (line == nullptr || line[0] == '\0') return;
  const LPARAM text = reinterpret_cast<LPARAM>(line);
  LRESULT added = SendToControl(ResultList, LB_ADDSTRING, 0, text);
  // Make room by dropping the oldest lines; once the list is empty and still refuses the line,
  // the line is dropped too.
  while (added == LB_ERRSPACE) {
    if (SendToControl(ResultList, LB_DELETESTRING, 0, 0) == LB_ERR) return;
    added = SendToControl(ResultList, LB_ADDSTRING, 0, text);
  }
  const LRESULT count = SendToControl(ResultList, LB_GETCOUNT, 0, 0);
  if (count > 0) SendToControl(ResultList, LB_SETTOPINDEX, count - 1, 0);
}

void RefillRequestList() {
  SendToControl(RequestCombo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kExportCount; ++i) {
    if (PluginTable[i] != nullptr) {
      SendToControl(RequestCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kExports[i].name));
    }
    if (IsSeparatorPlace(i)) {
      SendToControl(RequestCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kRequestSeparator));
    }
  }
  SendToControl(RequestCombo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void ReadControlText(int controlId, TextBuffer& buffer) {
  std::memset(buffer, 0, sizeof buffer);
  GetDlgItemTextA(Shell.mainWindow, controlId, buffer, kTextLimit);
}

void SetControlText(int controlId, const char* text) {
  SetDlgItemTextA(Shell.mainWindow, controlId, text);
}

int ComboSelection(int comboId) {
  return static_cast<int>(SendToControl(comboId, CB_GETCURSEL, 0, 0));
}

bool ReadComboSelectionText(int comboId, char* buffer, int capacity) {
  std::memset(buffer, 0, capacity);
  const int selection = ComboSelection(comboId);
  if (selection < 0) return false;
  // CB_GETLBTEXT takes no limit: an entry too long for the buffer is not copied at all.
  const LRESULT length = SendToControl(comboId, CB_GETLBTEXTLEN, selection, 0);
  if (length == CB_ERR || length >= capacity) return false;
  SendToControl(comboId, CB_GETLBTEXT, selection, reinterpret_cast<LPARAM>(buffer));
  return true;
}
