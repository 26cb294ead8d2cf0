// The open-file dialog behind BrowseButton and the plugin chooser step of LoadButton.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <initializer_list>
#include <string>

// Shows the open-file dialog for one button action and keeps the chosen path.
class FileChooser {
 public:
  explicit FileChooser(HWND owner);
  FileChooser(const FileChooser&) = delete;
  FileChooser& operator=(const FileChooser&) = delete;

  // Runs the modal dialog with `filter` (description/pattern pairs joined by zero bytes, see
  // BuildFilter) starting in `initialFolder`. Returns the chosen file's full path, or empty text
  // on cancel or any dialog failure. The text stays valid until the next ChooseFile or the
  // chooser's end.
  const char* ChooseFile(const std::string& filter, const char* initialFolder);

 private:
  HWND owner_;
  std::string path_;
};

// Joins the items into a dialog filter: each item followed by one zero byte, and one more zero
// byte at the end.
std::string BuildFilter(std::initializer_list<const char*> items);

// The two filters the bench offers.
std::string ListDataFileFilter();
std::string PluginFilter();

// Fills the dialog record: the owner, the filter with its first pair active, the 261-byte file
// name buffer (limit 260), the initial folder (none when empty), the title and the flags.
OPENFILENAMEA MakeOpenFileRecord(HWND owner, const std::string& filter, const char* initialFolder,
                                 char* fileNameBuffer);

// The plugin chooser step: a non-empty choice replaces PluginEdit's text; a cancel leaves it.
void ChoosePluginPath();
