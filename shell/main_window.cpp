#include "shell/main_window.h"

#include <cstring>

#include "plugin/loader.h"
#include "text/sjis_path.h"
#include "shell/actions.h"
#include "shell/settings.h"

HFONT ControlFont = nullptr;
HBRUSH FaceBrush = nullptr;
TextBuffer StartDirectory = {};
TextBuffer SettingsPath = {};

namespace {

constexpr char kWindowTitle[] = "Quillerby2用 リネームデータ拝借プラグインテスター";
constexpr DWORD kWindowStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
constexpr int kWindowWidth = 467;
constexpr int kWindowHeight = 499;
constexpr int kIconResource = 101;
constexpr char kFontFace[] = "ＭＳ Ｐゴシック";

LRESULT OnCreate(HWND window, WPARAM, LPARAM) {
  MainWindow = window;
  CreateControls();
  FillInitialContents();
  return 0;
}

// A plugin that runs a message loop while it is called (a message box, a dialog of its own, a
// PeekMessage loop) lets every message through to this window, posted clicks included. An action
// never starts while another is under way, and a close waits until it has ended, so the window
// does not respond until an action returns, whoever pumps its messages.
bool ActionUnderWay = false;
bool CloseWaiting = false;

class ActionScope {
 public:
  ActionScope() { ActionUnderWay = true; }
  ~ActionScope() { ActionUnderWay = false; }
  ActionScope(const ActionScope&) = delete;
  ActionScope& operator=(const ActionScope&) = delete;
};

LRESULT OnDestroy(HWND, WPARAM, LPARAM) {
  ShutDown();
  return 0;
}

LRESULT OnClose(HWND window, WPARAM, LPARAM) {
  if (ActionUnderWay) {
    CloseWaiting = true;
    return 0;
  }
  DestroyWindow(window);
  return 0;
}

struct ButtonAction {
  int buttonId;
  void (*run)();
};

const ButtonAction kButtonActions[] = {
    {LoadButton, LoadPlugin},
    {RunButton, RunRequest},
    {BrowseButton, BrowseDatFile},
};

// Only a click (notification code 0) on one of the three buttons starts an action, and only when
// none is under way.
LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM) {
  if (HIWORD(wParam) != 0 || ActionUnderWay) return 0;
  for (const ButtonAction& action : kButtonActions) {
    if (action.buttonId != LOWORD(wParam)) continue;
    {
      ActionScope scope;
      action.run();
    }
    if (CloseWaiting) DestroyWindow(window);
    return 0;
  }
  return 0;
}

struct MessageRoute {
  UINT message;
  LRESULT (*handle)(HWND, WPARAM, LPARAM);
};

const MessageRoute kRoutes[] = {
    {WM_CREATE, OnCreate},
    {WM_DESTROY, OnDestroy},
    {WM_CLOSE, OnClose},
    {WM_COMMAND, OnCommand},
};

}  // namespace

void CreateDrawingResources() {
  ControlFont = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                            OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                            FF_SWISS | DEFAULT_PITCH, kFontFace);
  FaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
}

void ReleaseDrawingResources() {
  if (ControlFont != nullptr) DeleteObject(ControlFont);
  if (FaceBrush != nullptr) DeleteObject(FaceBrush);
  ControlFont = nullptr;
  FaceBrush = nullptr;
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
  std::memset(StartDirectory, 0, sizeof StartDirectory);
  // The answer is the length without the terminator when the folder fits, else the size needed.
  const DWORD length = GetCurrentDirectoryA(kTextLimit, StartDirectory);
  if (length == 0 || length >= static_cast<DWORD>(kTextLimit)) {
    std::memset(StartDirectory, 0, sizeof StartDirectory);
  }
  ComposeSettingsPath(StartDirectory, SettingsPath);
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
  windowClass.hbrBackground = FaceBrush;
  windowClass.lpszClassName = kMainWindowClass;
  return RegisterClassExA(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
  return CreateWindowExA(0, kMainWindowClass, kWindowTitle, kWindowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr, nullptr, instance,
                         nullptr);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  for (const MessageRoute& route : kRoutes) {
    if (route.message == message) return route.handle(window, wParam, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
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
  SaveSettings();
  if (!ActionUnderWay) ReleasePlugin();
  ReleaseDrawingResources();
  PostQuitMessage(0);
}
