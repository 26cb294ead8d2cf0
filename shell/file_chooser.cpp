#include "shell/file_chooser.h"

#include "shell/actions.h"
#include "shell/controls.h"
#include "shell/shell_state.h"

namespace {

constexpr char kDialogTitle[] = "ファイルを開く";
// OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY.
constexpr DWORD kDialogFlags = 0x81004;

// Runs the dialog from the start-up folder and puts a non-empty choice into the edit box.
void ChooseInto(int editId, const std::string& filter) {
  FileChooser chooser(Shell.mainWindow);
  TextBuffer chosen = {};
  lstrcpynA(chosen, chooser.ChooseFile(filter, Shell.startDirectory), kTextLimit);
  if (chosen[0] != '\0') SetControlText(editId, chosen);
}

// The dialog library, and the many libraries it pulls in, are loaded at the first dialog rather
// than at start-up, where loading them took a large share of the time to a ready window. It stays
// loaded for the rest of the run.
BOOL ShowOpenFileDialog(OPENFILENAMEA* record) {
  static const auto getOpenFileName = reinterpret_cast<decltype(&GetOpenFileNameA)>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("comdlg32.dll"), "GetOpenFileNameA")));
  return getOpenFileName != nullptr && getOpenFileName(record);
}

}  // namespace

FileChooser::FileChooser(HWND owner) : owner_(owner) {}

const char* FileChooser::ChooseFile(const std::string& filter, const char* initialFolder) {
  TextBuffer fileName = {};
  OPENFILENAMEA record = MakeOpenFileRecord(owner_, filter, initialFolder, fileName);
  path_.clear();
  if (ShowOpenFileDialog(&record)) path_ = fileName;
  return path_.c_str();
}

std::string BuildFilter(std::initializer_list<const char*> items) {
  std::string filter;
  for (const char* item : items) {
    filter.append(item);
    filter.push_back('\0');
  }
  filter.push_back('\0');
  return filter;
}

std::string ListDataFileFilter() { return BuildFilter({"全てのファイル形式(*.*)", "*.*"}); }

std::string PluginFilter() {
  return BuildFilter({"DLL(*.dll)", "*.dll", "Brindlecote(*.qbd)", "*.qbd"});
}

OPENFILENAMEA MakeOpenFileRecord(HWND owner, const std::string& filter, const char* initialFolder,
                                 char* fileNameBuffer) {
  OPENFILENAMEA record = {};
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  record.hwndOwner = owner;
  record.lpstrFilter = filter.c_str();
  record.nFilterIndex = 1;
  record.lpstrFile = fileNameBuffer;
  record.nMaxFile = kTextLimit;
  record.lpstrInitialDir = initialFolder != nullptr && initialFolder[0] != '\0' ? initialFolder : nullptr;
  record.lpstrTitle = kDialogTitle;
  record.Flags = kDialogFlags;
  return record;
}

void OnBrowseClicked() { ChooseInto(DatFileEdit, ListDataFileFilter()); }

void ChoosePluginPath() { ChooseInto(PluginEdit, PluginFilter()); }
