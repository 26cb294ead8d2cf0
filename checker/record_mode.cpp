#include "checker/record_mode.h"

#include "checker/console.h"
#include "checker/file_bytes.h"
#include "checker/text_encoding.h"
#include "checker/vector_writer.h"
#include "plugin/contract.h"

int RecordRuns(const CheckerOptions& options, const std::vector<RunRecord>& runs, int exitCode) {
  const std::string refused = options.recordPath + " was not written: ";
  if (exitCode != kExitClean) {
    PrintMessage(refused + "the run failed, and a failing run is no reference output");
    return kExitUsage;
  }
  std::string text = "# Recorded from " + PathFileName(options.pluginPath) +
                     ": the lines each request showed are its expected lines.\n";
  for (const RunRecord& run : runs) {
    TestVector vector;
    vector.name = kExports[run.inputs.request].name;
    if (!run.inputs.listPath.empty()) vector.list = ListPathFrom(options.recordPath, run.inputs.listPath);
    vector.key = run.inputs.key;
    vector.keyType = run.inputs.keyType;
    vector.request = run.inputs.request;
    vector.requestedLength = run.inputs.requestedLength;
    for (const std::string& line : run.lines) vector.expected.push_back(AsShown(line));
    std::string caseText, problem;
    if (!FormatVectorCase(vector, {}, caseText, problem)) {
      PrintMessage(refused + problem);
      return kExitUsage;
    }
    text += "\n" + caseText;
  }
  const std::string folder = PathFolder(options.recordPath);
  if (!MakeFolders(folder) || !WriteWholeFile(options.recordPath, text)) {
    PrintMessage("cannot write the test-vector file \"" + options.recordPath + "\"");
    return kExitUsage;
  }
  Say("recorded " + Counted(runs.size(), "case", "cases") + " in " + options.recordPath);
  return exitCode;
}
