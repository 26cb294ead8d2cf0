#include "plugin/loader.h"
#include "shell/actions.h"
#include "shell/controls.h"
#include "shell/file_chooser.h"

namespace {

// The loader's report lines go to ResultList.
class ResultListSink : public ReportSink {
 public:
  void AppendLine(const char* line) override { AppendResultLine(line); }
};

}  // namespace

void LoadPlugin() {
  ChoosePluginPath();

  TextBuffer path;
  ReadControlText(PluginEdit, path);
  if (path[0] == '\0') return;  // nothing chosen and nothing typed: no release, no load

  ResultListSink sink;
  LoadPluginLibrary(sink, path);
  // Also after a failed load: the released library's requests must leave the list.
  RefillRequestList();
}
