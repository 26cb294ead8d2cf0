#include "drive/bench_driver.h"

#include <algorithm>
#include <cstring>

#ifndef QB2LPT_EXE
#error "QB2LPT_EXE must name the bench program"
#endif

namespace e2e {
namespace {

constexpr UINT kCodePage = 932;
constexpr DWORD kPollMs = 20;
constexpr UINT kAnswerMs = 200;  // one message's answer while polling

// Control ids inside the open-file dialog.
constexpr int kFileTypeList = 0x470;   // cmb1
constexpr int kFolderList = 0x471;     // cmb2
constexpr int kFileNameCombo = 0x47c;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1, in dialogs without the combo

// After every click the driver posts EM_SETMODIFY(TRUE) to this edit box, which the bench never
// touches itself; the flag reads back as set once every message before it has been handled.
constexpr int kMarkerControl = ReqLenEdit;

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& answer,
         UINT timeoutMs = kStepTimeoutMs) {
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer) != 0;
}

LRESULT AskOr(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT otherwise) {
  DWORD_PTR answer = 0;
  return Ask(window, message, wParam, lParam, answer) ? static_cast<LRESULT>(answer) : otherwise;
}

std::string WindowTextOf(HWND window) {
  const LRESULT length = AskOr(window, WM_GETTEXTLENGTH, 0, 0, 0);
  if (length <= 0) return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      AskOr(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), 0);
  text.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
  return Narrow(text);
}

// The entries of a list box or drop-down list, read with the wide messages.
std::vector<std::string> ListItemsOf(HWND list, UINT countMessage, UINT lengthMessage,
                                     UINT textMessage) {
  std::vector<std::string> items;
  const LRESULT count = AskOr(list, countMessage, 0, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = AskOr(list, lengthMessage, i, 0, -1);
    if (length < 0) break;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = AskOr(list, textMessage, i, reinterpret_cast<LPARAM>(&text[0]), -1);
    text.resize(static_cast<size_t>(std::max<LRESULT>(copied, 0)));
    items.push_back(Narrow(text));
  }
  return items;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct DescendantSearch {
  const char* className;
  HWND found;
};

BOOL CALLBACK MatchDescendant(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<DescendantSearch*>(data);
  if (lstrcmpiA(ClassOf(window).c_str(), search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// The first window of the class among `parent` and its descendants.
HWND FindDescendant(HWND parent, const char* className) {
  if (parent == nullptr) return nullptr;
  if (lstrcmpiA(ClassOf(parent).c_str(), className) == 0) return parent;
  DescendantSearch search{className, nullptr};
  EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FileNameEditOf(HWND dialog) {
  HWND box = GetDlgItem(dialog, kFileNameCombo);
  if (box == nullptr) box = GetDlgItem(dialog, kFileNameEdit);
  return FindDescendant(box, "Edit");
}

struct TopWindowSearch {
  DWORD processId;
  const char* className;
  HWND exclude;  // not this window
  HWND owner;    // only windows owned by this one, when given
  HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TopWindowSearch*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->processId || window == search->exclude || !IsWindowVisible(window)) {
    return TRUE;
  }
  if (ClassOf(window) != search->className) return TRUE;
  if (search->owner != nullptr && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible top-level window of the process with this class.
HWND FindTopWindow(DWORD processId, const char* className, HWND exclude = nullptr,
                   HWND owner = nullptr) {
  TopWindowSearch search{processId, className, exclude, owner, nullptr};
  EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The platform's message box shown over a dialog, if there is one.
HWND FindMessageBoxOver(DWORD processId, HWND dialog) {
  return FindTopWindow(processId, "#32770", nullptr, dialog);
}

// The test's environment block with `extra` added, each replacing a variable of the same name.
std::string EnvironmentBlock(const std::vector<std::string>& extra) {
  auto nameOf = [](const std::string& entry) {
    const size_t equals = entry.find('=', 1);  // "=C:=C:\..." entries start with '='
    return entry.substr(0, equals);
  };
  std::vector<std::string> entries;
  if (char* strings = GetEnvironmentStringsA()) {
    for (const char* p = strings; *p != '\0'; p += std::strlen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsA(strings);
  }
  for (const std::string& added : extra) {
    const std::string name = nameOf(added);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const std::string& e) {
                                   return lstrcmpiA(nameOf(e).c_str(), name.c_str()) == 0;
                                 }),
                  entries.end());
    entries.push_back(added);
  }
  std::string block;
  for (const std::string& entry : entries) block.append(entry).push_back('\0');
  block.push_back('\0');
  return block;
}

void DeleteFolderContents(const std::string& folder) {
  WIN32_FIND_DATAA found;
  const FileSearch search(FindFirstFileA((folder + "\\*").c_str(), &found));
  if (!search.IsValid()) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      DeleteFolderContents(path);
      RemoveDirectoryA(path.c_str());
    } else {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
  } while (FindNextFileA(search.get(), &found));
}

}  // namespace

// A Unix path is reached through wine's Z: drive.
std::string BenchProgramPath() {
  std::string path = QB2LPT_EXE;
  if (!path.empty() && path[0] == '/') {
    std::replace(path.begin(), path.end(), '/', '\\');
    path = "Z:" + path;
  }
  return path;
}

std::wstring Widen(const std::string& sjis) {
  if (sjis.empty()) return std::wstring();
  const int length = MultiByteToWideChar(kCodePage, 0, sjis.data(), static_cast<int>(sjis.size()),
                                         nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(kCodePage, 0, sjis.data(), static_cast<int>(sjis.size()), &text[0], length);
  return text;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string sjis(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()), &sjis[0], length,
                      nullptr, nullptr);
  return sjis;
}

std::string FreshFolder(const std::string& name) {
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string runs = std::string(current) + "\\e2e-run";
  const std::string folder = runs + "\\" + name;
  CreateDirectoryA(runs.c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  DeleteFolderContents(folder);
  return folder;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  const FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  return ok && written == bytes.size();
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  char chunk[4096];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) != 0) && got > 0) {
    bytes.append(chunk, got);
  }
  return ok;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

BenchProcess::~BenchProcess() {
  if (Running()) Close();
}

bool BenchProcess::Start(const std::string& folder, const std::vector<std::string>& environment,
                         const std::string& program) {
  if (process_.IsValid()) return false;
  std::string commandLine = "\"" + program + "\"";
  std::string block = EnvironmentBlock(environment);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, &block[0],
                      folder.c_str(), &startup, &started)) {
    return false;
  }
  const KernelHandle thread(started.hThread);
  process_.Reset(started.hProcess);
  processId_ = started.dwProcessId;

  const DWORD deadline = GetTickCount() + kStepTimeoutMs;
  WaitForInputIdle(process_.get(), kStepTimeoutMs);
  while (window_ == nullptr && Running() && GetTickCount() < deadline) {
    window_ = FindTopWindow(processId_, "NORMAL0");
    if (window_ == nullptr) Sleep(kPollMs);
  }
  DWORD_PTR answer = 0;
  return window_ != nullptr && Ask(window_, WM_NULL, 0, 0, answer);
}

bool BenchProcess::Running() const {
  return process_.IsValid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

HWND BenchProcess::Control(int controlId) const { return GetDlgItem(window_, controlId); }

std::string BenchProcess::Text(int controlId) {
  return WindowTextOf(controlId == 0 ? window_ : Control(controlId));
}

bool BenchProcess::SetText(int controlId, const std::string& text) {
  const std::wstring wide = Widen(text);
  DWORD_PTR answer = 0;
  return Ask(Control(controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), answer) &&
         answer != 0;
}

std::vector<std::string> BenchProcess::ComboItems(int comboId) {
  return ListItemsOf(Control(comboId), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int BenchProcess::ComboSelection(int comboId) {
  return static_cast<int>(AskOr(Control(comboId), CB_GETCURSEL, 0, 0, CB_ERR));
}

bool BenchProcess::SelectIndex(int comboId, int index) {
  return AskOr(Control(comboId), CB_SETCURSEL, index, 0, CB_ERR) == index;
}

bool BenchProcess::SelectText(int comboId, const std::string& text) {
  const std::vector<std::string> items = ComboItems(comboId);
  const auto found = std::find(items.begin(), items.end(), text);
  return found != items.end() && SelectIndex(comboId, static_cast<int>(found - items.begin()));
}

std::vector<std::string> BenchProcess::ResultLines() {
  return ListItemsOf(Control(ResultList), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

bool BenchProcess::SetMarker(BOOL value) {
  DWORD_PTR answer = 0;
  return Ask(Control(kMarkerControl), EM_SETMODIFY, value, 0, answer);
}

bool BenchProcess::PostMarker() {
  return PostMessageW(Control(kMarkerControl), EM_SETMODIFY, TRUE, 0) != 0;
}

// Polls with short answers, so that a bench that ends or hangs is noticed within the step's time.
bool BenchProcess::WaitForMarker() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kStepTimeoutMs) {
    if (!Running()) return false;
    DWORD_PTR modified = 0;
    if (Ask(Control(kMarkerControl), EM_GETMODIFY, 0, 0, modified, kAnswerMs) && modified) {
      return true;
    }
    Sleep(kPollMs);
  }
  return false;
}

// Every message posted before this call has been handled once it returns true.
bool BenchProcess::WaitForAction() { return SetMarker(FALSE) && PostMarker() && WaitForMarker(); }

bool BenchProcess::PostCommandAndWait(int controlId, WORD notificationCode) {
  if (!SetMarker(FALSE)) return false;
  if (!PostMessageW(window_, WM_COMMAND, MAKEWPARAM(controlId, notificationCode),
                    reinterpret_cast<LPARAM>(Control(controlId)))) {
    return false;
  }
  return PostMarker() && WaitForMarker();
}

bool BenchProcess::Click(int buttonId) {
  return PostCommandAndWait(buttonId, BN_CLICKED) && FindOpenDialog() == nullptr;
}

bool BenchProcess::Notify(int controlId, WORD notificationCode) {
  return PostCommandAndWait(controlId, notificationCode) && FindOpenDialog() == nullptr;
}

HWND BenchProcess::FindOpenDialog() const { return FindTopWindow(processId_, "#32770", window_); }

FileDialogVisit BenchProcess::ClickThroughFileDialog(int buttonId, const std::string& typedName) {
  FileDialogVisit visit;
  // The dialog's own loop handles the marker posted after the click, so the marker says that the
  // dialog is up or that the action ended without one.
  if (!PostCommandAndWait(buttonId, BN_CLICKED)) return visit;
  HWND dialog = nullptr;
  HWND nameEdit = nullptr;
  const DWORD start = GetTickCount();
  while (nameEdit == nullptr && Running() && GetTickCount() - start < kStepTimeoutMs) {
    dialog = FindOpenDialog();
    nameEdit = FileNameEditOf(dialog);
    if (nameEdit == nullptr) Sleep(kPollMs);
  }
  if (nameEdit == nullptr) return visit;
  visit.opened = true;
  visit.title = WindowTextOf(dialog);
  HWND fileTypes = GetDlgItem(dialog, kFileTypeList);
  visit.filters = ListItemsOf(fileTypes, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
  visit.selectedFilter = static_cast<int>(AskOr(fileTypes, CB_GETCURSEL, 0, 0, CB_ERR));
  visit.folder = WindowTextOf(GetDlgItem(dialog, kFolderList));

  const bool choose = !typedName.empty();
  if (choose) {
    const std::wstring wide = Widen(typedName);
    DWORD_PTR answer = 0;
    Ask(nameEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), answer);
  }
  const int answerId = choose ? IDOK : IDCANCEL;
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answerId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, answerId)));

  const DWORD answered = GetTickCount();
  while (IsWindow(dialog) && FindMessageBoxOver(processId_, dialog) == nullptr && Running() &&
         GetTickCount() - answered < kStepTimeoutMs) {
    Sleep(kPollMs);
  }
  visit.closed = !IsWindow(dialog);
  if (!visit.closed) DismissDialogs();
  visit.actionEnded = visit.closed && WaitForAction();
  return visit;
}

// Cancels every dialog of the bench, newest first (a message box before the dialog it belongs to).
void BenchProcess::DismissDialogs() {
  const DWORD start = GetTickCount();
  while (Running() && GetTickCount() - start < kStepTimeoutMs) {
    HWND dialog = FindOpenDialog();
    if (dialog == nullptr) return;
    if (HWND messageBox = FindMessageBoxOver(processId_, dialog)) dialog = messageBox;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    const DWORD posted = GetTickCount();
    while (IsWindow(dialog) && GetTickCount() - posted < 2000) Sleep(kPollMs);
  }
}

DWORD BenchProcess::Close() {
  if (!process_.IsValid()) return kStillRunning;
  if (Running()) PostMessageW(window_, WM_CLOSE, 0, 0);
  const DWORD code = ExitCode(kStepTimeoutMs);
  if (code == kStillRunning) Terminate();
  return code;
}

DWORD BenchProcess::ExitCode(DWORD waitMs) {
  if (!process_.IsValid() || WaitForSingleObject(process_.get(), waitMs) != WAIT_OBJECT_0) {
    return kStillRunning;
  }
  DWORD code = kStillRunning;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

void BenchProcess::Terminate() {
  TerminateProcess(process_.get(), kStillRunning);
  WaitForSingleObject(process_.get(), kStepTimeoutMs);
}

}  // namespace e2e
