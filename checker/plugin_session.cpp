#include "checker/plugin_session.h"

#include <windows.h>

#include "checker/console.h"
#include "checker/file_bytes.h"
#include "checker/plugin_diagnostics.h"
#include "checker/run_report.h"
#include "checker/text_encoding.h"
#include "checker/watchdog.h"
#include "plugin/loader.h"
#include "plugin/process_end.h"
#include "request/report_lines.h"

namespace {

// The lines of the load's steps, as the window shows them.
class LineCollector final : public LoadReport {
 public:
  explicit LineCollector(std::vector<std::string>& lines) : lines_(lines) {}
  void Report(const LoadEvent& event) override {
    std::string line = ReportLine(event);
    if (!line.empty()) lines_.push_back(std::move(line));
  }

 private:
  std::vector<std::string>& lines_;
};

std::string PluginName;

// A plugin that ends the process where no call of it can be abandoned (its DllMain, a thread of
// its own) must not leave its own exit code as the checker's: it could be 0.
void FailForProcessEnd(const char* request) {
  PrintMessage(PluginName + " ended the process outside a request (" + SjisToUtf8(request) +
               "), in its DllMain or a thread of its own; a plugin must never end the host "
               "program: return an error instead");
  ExitProcess(kExitFailed);
}

}  // namespace

bool OpenPluginSession(const CheckerOptions& options, PluginSession& session, std::string& problem) {
  PeFacts facts;
  if (!InspectPluginFile(options.pluginPath, facts, problem)) return false;

  LineCollector collector(session.lines);
  PluginName = PathFileName(options.pluginPath);
  SetProcessEndNotice(FailForProcessEnd);
  WatchCall("loading " + PluginName + " (its DllMain)");
  LoadFault fault;
  session.loaded = LoadPluginLibrary(collector, WidePath(options.pluginPath).c_str(), fault);
  const DWORD lastError = GetLastError();
  EndWatch();

  if (!session.loaded) {
    session.diagnostics.push_back(DescribeLoadFailure(options.pluginPath, facts, lastError, fault));
  } else {
    const std::string names = DescribeNameMismatches(options.pluginPath, FindNameMismatches(facts.exports));
    if (!names.empty()) session.diagnostics.push_back(names);
  }
  ReportLoad(session.loaded, session.lines, session.diagnostics);
  return true;
}

bool IsPresent(int exportIndex) { return PluginTable[exportIndex] != nullptr; }
