// RunButton: the request runner with the main window's controls as its bench.
#include <windows.h>

#include "request/report_lines.h"
#include "request/run_request.h"
#include "shell/actions.h"
#include "shell/controls.h"
#include "shell/key_type_combo.h"

namespace {

// Reads every control at the moment the runner asks for it, and shows each event's line as it
// comes.
class WindowBench final : public RequestBench {
 public:
  void Report(const RunEvent& event) override { AppendResultLine(ReportLine(event).c_str()); }

  std::optional<KeyType> SelectedKeyType() override {
    return KeyTypeOfEntry(ComboSelection(KeyTypeCombo));
  }

  // An entry that would not fit is no request name, and stays empty.
  void ReadRequestName(char* name, int capacity) override {
    ReadComboSelectionText(RequestCombo, name, capacity);
  }

  void ReadListDataFilePath(char* text, int limit) override { ReadEdit(DatFileEdit, text, limit); }
  void ReadTestKey(char* text, int limit) override { ReadEdit(TestKeyEdit, text, limit); }
  void ReadRequestedLength(char* text, int limit) override { ReadEdit(ReqLenEdit, text, limit); }

 private:
  static void ReadEdit(int editId, char* text, int limit) {
    GetDlgItemTextA(Shell.mainWindow, editId, text, limit);
  }
};

}  // namespace

void OnRunClicked() {
  WindowBench bench;
  RunRequest(bench);
}
