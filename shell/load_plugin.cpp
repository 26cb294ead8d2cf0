#include "plugin/loader.h"
#include "request/report_lines.h"
#include "shell/actions.h"
#include "shell/controls.h"
#include "shell/file_chooser.h"

namespace {

// Each step of the load shows its line in ResultList as it comes.
class ResultListReport final : public LoadReport {
 public:
  void Report(const LoadEvent& event) override { AppendResultLine(ReportLine(event).c_str()); }
};

}  // namespace

void OnLoadClicked() {
  ChoosePluginPath();

  TextBuffer path;
  ReadControlText(PluginEdit, path);
  if (path[0] == '\0') return;  // nothing chosen and nothing typed: no release, no load

  ResultListReport report;
  LoadPluginLibrary(report, path);
  // Also after a failed load: the released library's requests must leave the list.
  RefillRequestList();
}
