#include <cstring>
#include <string>
#include <vector>

#include "plugin/contract.h"
#include "tests/shell/window_fixture.h"
#include "win/scoped_win.h"

namespace {

std::string TextOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::vector<std::string> ComboEntries(int comboId) {
  std::vector<std::string> entries;
  const LRESULT count = SendDlgItemMessageA(Shell.mainWindow, comboId, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[64] = {};
    SendDlgItemMessageA(Shell.mainWindow, comboId, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

struct ExpectedControl {
  int id;
  const char* className;
  const char* text;  // after the initial contents are filled in
  DWORD style;
  DWORD extendedStyle;
  int x, y, width, height;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kList = kChild | WS_VSCROLL | CBS_DROPDOWNLIST;

const ExpectedControl kExpected[] = {
    {1000, "Edit", "", kChild | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 69, 14, 278, 21},
    {1001, "Static", "DatFile", kChild, 0, 13, 18, 50, 12},
    {1002, "Static", "Plugin", kChild, 0, 13, 48, 50, 12},
    {1003, "Edit", "", kChild | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 69, 44, 278, 21},
    {1004, "Button", "DLLロード", kChild, 0, 355, 44, 88, 21},
    {1005, "Button", "実行", kChild, 0, 355, 173, 88, 21},
    {1006, "ComboBox", "", kList, 0, 69, 175, 278, 245},
    {1007, "Static", "Request", kChild, 0, 13, 177, 50, 12},
    {1008, "Button", "参照", kChild, 0, 355, 14, 88, 21},
    {1009, "ListBox", "", kChild | WS_VSCROLL, WS_EX_CLIENTEDGE, 12, 209, 430, 227},
    {1010, "Static", "TestKey", kChild, 0, 13, 78, 52, 12},
    {1011, "Edit", "", kChild, WS_EX_CLIENTEDGE, 69, 74, 278, 21},
    {1012, "Static", "Ver 0.62", kChild, 0, 13, 443, 177, 12},
    {1013, "Static", "KeyType", kChild, 0, 13, 108, 50, 12},
    {1014, "ComboBox", "32 bit CRC", kList, 0, 69, 104, 278, 84},
    {1015, "Static", "Req.Len", kChild, 0, 13, 138, 50, 12},
    {1016, "Edit", "", kChild, WS_EX_CLIENTEDGE, 69, 134, 278, 21},
};

// A closed drop-down list is shorter than its given height, and a list box trims its height to
// whole lines; every other control keeps its height exactly.
bool HeightMayShrink(const ExpectedControl& control) {
  return control.id == RequestCombo || control.id == KeyTypeCombo || control.id == ResultList;
}

}  // namespace

TEST_F(MainWindowTest, EveryControlHasItsIdClassTextStylePlaceAndFont) {
  OpenWindow();
  int children = 0;
  for (HWND child = GetWindow(Shell.mainWindow, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    ++children;
  }
  EXPECT_EQ(children, kControlCount);
  // Creation order is id order: the first child is DatFileEdit.
  EXPECT_EQ(GetDlgCtrlID(GetWindow(Shell.mainWindow, GW_CHILD)), DatFileEdit);

  for (const ExpectedControl& expected : kExpected) {
    SCOPED_TRACE(expected.id);
    HWND control = GetDlgItem(Shell.mainWindow, expected.id);
    ASSERT_NE(control, nullptr);
    EXPECT_STRCASEEQ(ClassOf(control).c_str(), expected.className);
    EXPECT_EQ(TextOf(control), expected.text);
    // The scroll bar bit of the lists follows whether a bar is shown at the moment.
    const DWORD ignored = HeightMayShrink(expected) ? WS_VSCROLL : 0;
    EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & ~ignored, expected.style & ~ignored);
    EXPECT_EQ(GetWindowLongA(control, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, expected.extendedStyle);
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, Shell.mainWindow, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, expected.x);
    EXPECT_EQ(rect.top, expected.y);
    EXPECT_EQ(rect.right - rect.left, expected.width);
    if (HeightMayShrink(expected)) {
      EXPECT_LE(rect.bottom - rect.top, expected.height);
      EXPECT_GT(rect.bottom - rect.top, 12);
    } else {
      EXPECT_EQ(rect.bottom - rect.top, expected.height);
    }
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)),
              Shell.controlFont.get());
  }
}

TEST_F(MainWindowTest, WindowIsAFixedSizeCaptionWindowWithTheBenchTitle) {
  OpenWindow();
  EXPECT_EQ(TextOf(Shell.mainWindow), "Quillerby2用 リネームデータ拝借プラグインテスター");
  EXPECT_EQ(ClassOf(Shell.mainWindow), "NORMAL0");
  const DWORD style = GetWindowLongA(Shell.mainWindow, GWL_STYLE);
  EXPECT_EQ(style & (WS_VISIBLE | WS_CAPTION | WS_SYSMENU), DWORD{WS_VISIBLE | WS_CAPTION | WS_SYSMENU});
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
  RECT rect;
  GetWindowRect(Shell.mainWindow, &rect);
  EXPECT_EQ(rect.right - rect.left, 467);
  EXPECT_EQ(rect.bottom - rect.top, 499);
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "NORMAL0", &windowClass));
  EXPECT_EQ(windowClass.style, UINT{CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS});
  EXPECT_EQ(windowClass.hbrBackground, Shell.faceBrush.get());
  EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  for (HICON icon : {windowClass.hIcon, windowClass.hIconSm}) {
    ICONINFO parts = {};
    ASSERT_TRUE(GetIconInfo(icon, &parts));
    const GdiObject<HBITMAP> color(parts.hbmColor);
    const GdiObject<HBITMAP> mask(parts.hbmMask);
    BITMAP image = {};
    GetObjectA(color.get(), sizeof image, &image);
    EXPECT_EQ(image.bmWidth, 32);
    EXPECT_EQ(image.bmHeight, 32);
  }
}

TEST_F(MainWindowTest, FontIsTwelvePixelShiftJisGothic) {
  OpenWindow();
  LOGFONTA font = {};
  ASSERT_EQ(GetObjectA(Shell.controlFont.get(), sizeof font, &font), static_cast<int>(sizeof font));
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(font.lfOutPrecision, OUT_STROKE_PRECIS);
  EXPECT_EQ(font.lfClipPrecision, CLIP_STROKE_PRECIS);
  EXPECT_EQ(font.lfQuality, DRAFT_QUALITY);
  EXPECT_EQ(font.lfPitchAndFamily, FF_SWISS | DEFAULT_PITCH);
  const unsigned char face[] = {0x82, 0x6C, 0x82, 0x72, 0x20, 0x82, 0x6F, 0x83,
                                0x53, 0x83, 0x56, 0x83, 0x62, 0x83, 0x4E, 0x00};
  EXPECT_EQ(std::memcmp(font.lfFaceName, face, sizeof face), 0);
}

TEST_F(MainWindowTest, StartsWithSeparatorsOnlyAndTheFourKeyTypes) {
  OpenWindow();
  EXPECT_EQ(ComboEntries(RequestCombo), (std::vector<std::string>{"-------------", "-------------"}));
  EXPECT_EQ(ComboSelection(RequestCombo), -1);
  EXPECT_EQ(ComboEntries(KeyTypeCombo),
            (std::vector<std::string>{"16 bit CRC", "32 bit CRC", "FileName (body)",
                                      "FileName (body.ext)"}));
  EXPECT_EQ(ComboSelection(KeyTypeCombo), 1);
}

TEST_F(MainWindowTest, RequestListFollowsThePresentEntryPoints) {
  OpenWindow();
  void* const kPresent = reinterpret_cast<void*>(1);
  void* saved[kExportCount];
  std::memcpy(saved, PluginTable, sizeof saved);

  std::fill(std::begin(PluginTable), std::end(PluginTable), kPresent);
  SendDlgItemMessageA(Shell.mainWindow, RequestCombo, CB_SETCURSEL, 3, 0);
  RefillRequestList();
  std::vector<std::string> all = ComboEntries(RequestCombo);
  ASSERT_EQ(all.size(), 26u);
  EXPECT_EQ(all[0], "GetPluginVersion");
  EXPECT_EQ(all[3], "-------------");
  EXPECT_EQ(all[4], "GetTitle");
  EXPECT_EQ(all[13], "GetMemo");
  EXPECT_EQ(all[14], "-------------");
  EXPECT_EQ(all[25], "GetCeroRating");
  EXPECT_EQ(ComboSelection(RequestCombo), -1) << "a refill selects nothing";

  // Only the first and last entry points of each group: separators stay in place, never sorted.
  std::fill(std::begin(PluginTable), std::end(PluginTable), nullptr);
  for (int index : {kGetPluginInfo, kGetTitle, kGetMemo, kGetKana, kGetCeroRating}) {
    PluginTable[index] = kPresent;
  }
  RefillRequestList();
  EXPECT_EQ(ComboEntries(RequestCombo),
            (std::vector<std::string>{"GetPluginInfo", "-------------", "GetTitle", "GetMemo",
                                      "-------------", "GetKana", "GetCeroRating"}));

  std::fill(std::begin(PluginTable), std::end(PluginTable), nullptr);
  RefillRequestList();
  EXPECT_EQ(ComboEntries(RequestCombo), (std::vector<std::string>{"-------------", "-------------"}));
  std::memcpy(PluginTable, saved, sizeof saved);
}

TEST_F(MainWindowTest, ResultLinesAreAppendedInOrderAndTheNewestIsInView) {
  OpenWindow();
  HWND list = GetDlgItem(Shell.mainWindow, ResultList);
  AppendResultLine("");
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
  const char* lines[] = {"zeta", "[タイトル]", "alpha"};
  for (int i = 0; i < 40; ++i) AppendResultLine(lines[i % 3]);
  ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 40);
  char text[64] = {};
  SendMessageA(list, LB_GETTEXT, 39, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "zeta");
  SendMessageA(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "[タイトル]");
  const LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
  EXPECT_GT(top, 0);
  // The last line is the bottom line in view.
  RECT client, item;
  GetClientRect(list, &client);
  SendMessageA(list, LB_GETITEMRECT, 39, reinterpret_cast<LPARAM>(&item));
  EXPECT_LE(item.bottom, client.bottom);
  EXPECT_GE(item.top, client.top);

  AppendResultLine("");
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 40);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), top) << "an empty line does not scroll";
}

TEST_F(MainWindowTest, TextHelpersReadAtMostTwoHundredFiftyNineBytes) {
  OpenWindow();
  const std::string longText(300, 'x');
  SetControlText(PluginEdit, longText.c_str());
  TextBuffer buffer;
  std::memset(buffer, '#', sizeof buffer);
  ReadControlText(PluginEdit, buffer);
  EXPECT_EQ(std::string(buffer), std::string(259, 'x'));
  EXPECT_EQ(buffer[260], '\0');

  SendDlgItemMessageA(Shell.mainWindow, KeyTypeCombo, CB_SETCURSEL, 3, 0);
  ASSERT_TRUE(ReadComboSelectionText(KeyTypeCombo, buffer, kTextLimit));
  EXPECT_STREQ(buffer, "FileName (body.ext)");
  EXPECT_FALSE(ReadComboSelectionText(RequestCombo, buffer, kTextLimit));
  EXPECT_STREQ(buffer, "");
}

TEST(RunBench, EndsAtOnceWhenItsWindowClassIsTaken) {
  WNDCLASSA other = {};
  other.lpfnWndProc = DefWindowProcA;
  other.hInstance = GetModuleHandleA(nullptr);
  other.lpszClassName = kMainWindowClass;
  ASSERT_NE(RegisterClassA(&other), 0);
  EXPECT_EQ(RunBench(GetModuleHandleA(nullptr)), 1);
  EXPECT_EQ(Shell.controlFont.get(), nullptr);
  EXPECT_EQ(Shell.faceBrush.get(), nullptr);
  UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
}
