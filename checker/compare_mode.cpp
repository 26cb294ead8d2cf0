// The comparison mode: the same requests on two builds of a plugin, each build in a worker of its
// own, and each request whose lines differ shown with its inputs, the old build's lines after "-"
// and the new one's after "+".
#include <algorithm>
#include <set>

#include "checker/console.h"
#include "checker/modes.h"
#include "checker/plugin_diagnostics.h"
#include "checker/run_report.h"
#include "checker/test_vectors.h"
#include "checker/text_encoding.h"
#include "checker/worker.h"
#include "plugin/contract.h"

namespace {

// The requests named, or every one that either build exports.
std::vector<int> ComparedRequests(const CheckerOptions& options, const PeFacts& old) {
  if (!options.requests.empty()) return options.requests;
  std::set<int> chosen;
  for (int request : ChosenRequests(options)) chosen.insert(request);
  for (const std::string& name : old.exports) {
    const int request = FindExport(name.c_str());
    if (request >= 0) chosen.insert(request);
  }
  return {chosen.begin(), chosen.end()};
}

// Every run of the request: each key over each key type for a request that takes them.
std::vector<RequestInputs> ComparedInputs(const CheckerOptions& options, int request) {
  RequestInputs base = ManualModeInputs(options, request);
  if (!TakesListDataAndKey(kExports[request].pattern)) return {base};
  std::vector<RequestInputs> all;
  const std::vector<std::string> keys = options.keys.empty() ? std::vector<std::string>{""} : options.keys;
  std::vector<std::optional<KeyType>> types = options.keyTypes;
  if (types.empty()) types.push_back(KeyType::Crc32);
  for (const std::string& key : keys) {
    for (const std::optional<KeyType>& keyType : types) {
      base.key = key;
      base.keyType = keyType;
      all.push_back(base);
    }
  }
  return all;
}

// The lines a run showed, as the window shows them.
std::vector<std::string> ShownLines(const std::vector<RunEvent>& events) {
  std::vector<std::string> lines = ReportLines(events);
  for (std::string& line : lines) line = AsShown(line);
  return lines;
}

}  // namespace

int RunCompareMode(const CheckerOptions& options, const PluginSession& session) {
  PeFacts old;
  std::string problem;
  if (!InspectPluginFile(options.comparePath, old, problem)) {
    PrintMessage("the old build (--compare): " + problem);
    return kExitUsage;
  }
  for (const std::string& line : session.diagnostics) Say("FAIL load: " + line);
  CaseWorker oldWorker(options.comparePath, options.timeoutSeconds);
  CaseWorker newWorker(options.pluginPath, options.timeoutSeconds);
  oldWorker.Start();
  newWorker.Start();

  size_t compared = 0;
  for (int request : ComparedRequests(options, old)) {
    for (const RequestInputs& inputs : ComparedInputs(options, request)) {
      const std::string what = DescribeInputs(inputs);
      std::vector<RunEvent> oldEvents, newEvents;
      if (!oldWorker.Run(inputs, what + " (old build)", oldEvents) || !newWorker.Run(inputs, what, newEvents)) {
        PrintMessage("cannot start a worker process for the comparison");
        return kExitUsage;
      }
      ++compared;
      CaseReport report;
      report.name = what;
      report.hasExpected = true;
      report.expected = ReportLines(oldEvents);
      const RunRecord run = MakeRunRecord(inputs, newEvents);
      report.runs.push_back(run);
      if (report.expected != run.lines) {
        report.failures.push_back(what + ": the answer differs from the old build's");
        Say("DIFF " + what + " (- old, + new)");
        for (const std::string& line : LineDifference(ShownLines(oldEvents), ShownLines(newEvents))) {
          Say("    " + SjisToUtf8(line));
        }
      }
      AddCase(report);
    }
  }
  return FinishRunReport(Counted(compared, "request", "requests") + " compared");
}
