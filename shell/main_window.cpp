#include "shell/main_window.h"

#include <windowsx.h>

#include <cstring>

#include "plugin/loader.h"
#include "shell/actions.h"
#include "shell/controls.h"
#include "shell/settings.h"
#include "text/sjis_path.h"

ShellState Shell;

namespace {

constexpr char kWindowTitle[] = "Quillerby2用 リネームデータ拝借プラグインテスター";
constexpr DWORD kWindowStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
constexpr int kWindowWidth = 467;
constexpr int kWindowHeight = 499;
constexpr int kIconResource = 101;
constexpr char kFontFace[] = "ＭＳ Ｐゴシック";

// Marks a button action as under way for its length (see ShellState::actionUnderWay).
class ActionScope {
 public:
  ActionScope() { Shell.actionUnderWay = true; }
  ~ActionScope() { Shell.actionUnderWay = false; }
  ActionScope(const ActionScope&) = delete;
  ActionScope& operator=(const ActionScope&) = delete;
};

BOOL OnCreate(HWND window, LPCREATESTRUCT) {
  Shell.mainWindow = window;
  CreateControls();
  FillInitialContents();
  ShowSettings(LoadSettings(Shell.settingsPath));
  return TRUE;
}

void OnDestroy(HWND) { ShutDown(); }

void OnClose(HWND window) {
  if (Shell.actionUnderWay) {
    Shell.closeWaiting = true;
    return;
  }
  DestroyWindow(window);
}

using ClickHandler = void (*)();

// The handler of a click on the button `id`; none for any other control.
ClickHandler ClickHandlerOf(int id) {
  switch (id) {
    case LoadButton: return OnLoadClicked;
    case RunButton: return OnRunClicked;
    case BrowseButton: return OnBrowseClicked;
    default: return nullptr;
  }
}

// Only a click on one of the three buttons starts an action, and only when none is under way.
void OnCommand(HWND window, int id, HWND, UINT notification) {
  if (notification != BN_CLICKED || Shell.actionUnderWay) return;
  const ClickHandler clicked = ClickHandlerOf(id);
  if (clicked == nullptr) return;
  {
    ActionScope scope;
    clicked();
  }
  if (Shell.closeWaiting) DestroyWindow(window);
}

}  // namespace

void CreateDrawingResources() {
  Shell.controlFont.Reset(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                      SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS,
                                      DRAFT_QUALITY, FF_SWISS | DEFAULT_PITCH, kFontFace));
  Shell.faceBrush.Reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
}

void ReleaseDrawingResources() {
  Shell.controlFont.Reset();
  Shell.faceBrush.Reset();
}

bool ComposeSettingsPath(const char* folder, TextBuffer& path) {
  std::memset(path, 0, sizeof path);
  const size_t folderLength = std::strlen(folder);
  if (folderLength == 0) return false;
  // A root folder such as "C:\" already ends in the separator.
  const char* separator = EndsWithSeparator(folder) ? "" : "\\";
  const size_t length = folderLength + std::strlen(separator) + std::strlen(kSettingsFileName);
  if (length >= static_cast<size_t>(kTextLimit)) return false;
  std::strcpy(path, folder);
  std::strcat(path, separator);
  std::strcat(path, kSettingsFileName);
  return true;
}

void FixStartPaths() {
  TextBuffer& folder = Shell.startDirectory;
  std::memset(folder, 0, sizeof folder);
  // The answer is the length without the terminator when the folder fits, else the size needed.
  const DWORD length = GetCurrentDirectoryA(kTextLimit, folder);
  if (length == 0 || length >= static_cast<DWORD>(kTextLimit)) {
    std::memset(folder, 0, sizeof folder);
  }
  ComposeSettingsPath(folder, Shell.settingsPath);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
  windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = Shell.faceBrush.get();
  windowClass.lpszClassName = kMainWindowClass;
  return RegisterClassExA(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
  return CreateWindowExA(0, kMainWindowClass, kWindowTitle, kWindowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr, nullptr, instance,
                         nullptr);
}

// The window's messages, each to its handler; every other message is the system's.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    HANDLE_MSG(window, WM_CREATE, OnCreate);
    HANDLE_MSG(window, WM_CLOSE, OnClose);
    HANDLE_MSG(window, WM_COMMAND, OnCommand);
    HANDLE_MSG(window, WM_DESTROY, OnDestroy);
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RunMessageLoop() {
  MSG message;
  for (;;) {
    const BOOL fetched = GetMessageA(&message, nullptr, 0, 0);
    if (fetched == 0 || fetched == -1) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int RunBench(HINSTANCE instance) {
  CreateDrawingResources();
  FixStartPaths();
  // Without its window the bench could only wait forever for a message: end at once instead.
  if (!RegisterMainWindowClass(instance) || CreateMainWindow(instance) == nullptr) {
    ReleaseDrawingResources();
    return 1;
  }
  RunMessageLoop();
  return 0;
}

void ShutDown() {
  // The settings first: whatever the plugin's detach code does, they are kept. A window destroyed
  // while a plugin is called (by the plugin) keeps the library until the process ends, since its
  // code is still running.
  SaveSettings(SettingsShown(), Shell.settingsPath);
  if (!Shell.actionUnderWay) ReleasePlugin();
  ReleaseDrawingResources();
  PostQuitMessage(0);
}
