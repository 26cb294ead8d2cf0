// The least a start-up can do: register a class and show a 467x499 window with one drop-down list
// holding two entries. The bench's start-up is timed against this program.
#include <windows.h>

namespace {

constexpr char kClassName[] = "BenchMinimalWindow";
constexpr int kComboId = 1;

LRESULT CALLBACK MinimalWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 69,
                    175, 278, 245, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboId)),
                    GetModuleHandleA(nullptr), nullptr);
    SendDlgItemMessageA(window, kComboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("first"));
    SendDlgItemMessageA(window, kComboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("second"));
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MinimalWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExA(&windowClass)) return 1;
  if (!CreateWindowExA(0, kClassName, "minimal", WS_VISIBLE | WS_CAPTION | WS_SYSMENU,
                       CW_USEDEFAULT, CW_USEDEFAULT, 467, 499, nullptr, nullptr, instance,
                       nullptr)) {
    return 1;
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
