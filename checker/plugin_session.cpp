#include "checker/plugin_session.h"

#include <windows.h>

#include "checker/file_bytes.h"
#include "checker/plugin_diagnostics.h"
#include "checker/run_report.h"
#include "checker/watchdog.h"
#include "plugin/loader.h"

namespace {

class LineCollector final : public ReportSink {
 public:
  explicit LineCollector(std::vector<std::string>& lines) : lines_(lines) {}
  void AppendLine(const char* line) override {
    if (line != nullptr && line[0] != '\0') lines_.push_back(line);
  }

 private:
  std::vector<std::string>& lines_;
};

}  // namespace

bool OpenPluginSession(const CheckerOptions& options, PluginSession& session, std::string& problem) {
  PeFacts facts;
  if (!InspectPluginFile(options.pluginPath, facts, problem)) return false;

  LineCollector collector(session.lines);
  WatchCall("loading " + PathFileName(options.pluginPath) + " (its DllMain)");
  session.loaded = LoadPluginLibrary(collector, WidePath(options.pluginPath).c_str());
  const DWORD lastError = GetLastError();
  EndWatch();

  if (!session.loaded) {
    session.diagnostics.push_back(DescribeLoadFailure(options.pluginPath, facts, lastError));
  } else {
    const std::string names = DescribeNameMismatches(options.pluginPath, FindNameMismatches(facts.exports));
    if (!names.empty()) session.diagnostics.push_back(names);
  }
  ReportLoad(session.loaded, session.lines, session.diagnostics);
  return true;
}

bool IsPresent(int exportIndex) { return PluginTable[exportIndex] != nullptr; }
