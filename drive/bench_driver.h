// Drives a running QB2LPT.exe from a test program, only through window messages, the way a user
// would: set texts, pick entries, click buttons, answer the open-file dialog, read the report.
//
//   BenchProcess bench;
//   ASSERT_TRUE(bench.Start(FreshFolder("first_run")));
//   bench.SetText(TestKeyEdit, "abc");
//   ASSERT_TRUE(bench.Click(RunButton));
//   std::vector<std::string> lines = bench.ResultLines();
//   EXPECT_EQ(bench.Close(), 0u);
//
// All texts are Shift-JIS bytes, as the bench itself keeps them. Every wait is bounded; a bench
// that crashes ends with its exception code, which Close() and ExitCode() return.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shell/controls.h"
#include "win/scoped_win.h"

namespace e2e {

// How long any single step may take before the driver gives up (the bench runs emulated).
constexpr DWORD kStepTimeoutMs = 30000;

// Returned by Close() and ExitCode() while the bench has not ended.
constexpr DWORD kStillRunning = STILL_ACTIVE;

// The bench program's path, as the test process reaches it.
std::string BenchProgramPath();

// Shift-JIS (code page 932) bytes to UTF-16 and back.
std::wstring Widen(const std::string& sjis);
std::string Narrow(const std::wstring& text);

// An empty folder for one bench start, "<current folder>\e2e-run\<name>", emptied of files left
// by an earlier run. Returns its full path.
std::string FreshFolder(const std::string& name);

// Whole-file access for setting up and checking the files a bench uses.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string& bytes);
bool FileExists(const std::string& path);

// What the driver saw of an open-file dialog, and what came of answering it.
struct FileDialogVisit {
  bool opened = false;               // a dialog owned by the bench appeared
  std::string title;                 // its title bar text
  std::vector<std::string> filters;  // the descriptions in its file type list, in order
  int selectedFilter = -1;           // the index of the active description
  std::string folder;                // the name of the folder it shows, as its folder list says
  bool closed = false;               // it went away after the answer
  bool actionEnded = false;          // and the button's action then ran to its end
};

class BenchProcess {
 public:
  BenchProcess() = default;
  BenchProcess(const BenchProcess&) = delete;
  BenchProcess& operator=(const BenchProcess&) = delete;
  // Closes a bench still running; one that does not end in time is terminated.
  ~BenchProcess();

  // Starts the bench (`program`, the built one unless given) with `folder` as its current
  // (start-up) folder, with the test's environment plus `environment` ("NAME=value" each,
  // replacing a variable of the same name), and waits until its main window answers messages.
  // False when it did not get that far.
  bool Start(const std::string& folder, const std::vector<std::string>& environment = {},
             const std::string& program = BenchProgramPath());

  bool Running() const;
  HWND Window() const { return window_; }
  DWORD ProcessId() const { return processId_; }
  HWND Control(int controlId) const;

  // Window text of the main window (controlId 0) or of a control.
  std::string Text(int controlId);
  bool SetText(int controlId, const std::string& text);

  // Drop-down lists: the entries, the selection (-1 for none), and choosing one.
  std::vector<std::string> ComboItems(int comboId);
  int ComboSelection(int comboId);
  bool SelectIndex(int comboId, int index);
  bool SelectText(int comboId, const std::string& text);

  // Every line of ResultList, oldest first.
  std::vector<std::string> ResultLines();

  // Clicks a button whose action opens no dialog (RunButton). True when the action has ended;
  // false when the bench ended, stopped answering, or a dialog is left open.
  bool Click(int buttonId);

  // Sends the main window a command from a control with any notification code, as the control
  // itself would, and waits until it has been handled.
  bool Notify(int controlId, WORD notificationCode);

  // Clicks a button whose action opens the open-file dialog (BrowseButton, LoadButton), reads
  // the dialog, then types `typedName` (a full path, or a name in the dialog's folder) into its
  // file-name box and presses OK, or cancels it when `typedName` is empty, and waits until the
  // action has ended. A dialog that refuses the name and stays open (a file that does not exist)
  // is reported as not closed, and then cancelled together with the platform's message about it.
  FileDialogVisit ClickThroughFileDialog(int buttonId, const std::string& typedName);

  // Asks the window to close (WM_CLOSE) and waits for the process to end. Returns its exit code;
  // kStillRunning when it did not end in time (it is then terminated).
  DWORD Close();

  // The exit code once ended, after waiting up to `waitMs`; kStillRunning otherwise.
  DWORD ExitCode(DWORD waitMs = 0);

 private:
  bool PostCommandAndWait(int controlId, WORD notificationCode);
  bool SetMarker(BOOL value);
  bool PostMarker();
  bool WaitForMarker();
  bool WaitForAction();
  HWND FindOpenDialog() const;
  void DismissDialogs();
  void Terminate();

  KernelHandle process_;
  DWORD processId_ = 0;
  HWND window_ = nullptr;
};

}  // namespace e2e
