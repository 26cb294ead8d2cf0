#include "checker/save_failures.h"

#include <windows.h>

#include "checker/file_bytes.h"
#include "checker/run_findings.h"
#include "checker/shrink.h"
#include "checker/text_encoding.h"
#include "checker/vector_writer.h"
#include "plugin/contract.h"

namespace {

// Enough to take a list of a few kilobytes down to its failing bytes. A slow plugin is stopped by
// the time bound: once it has passed, no candidate is run (and none is kept).
constexpr size_t kMaxShrinkRuns = 300;
constexpr DWORD kMaxShrinkMs = 30000;

std::string Joined(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder + name;
  // The folder's own separator, so that the path printed reads as one.
  const bool slashes = folder.find('/') != std::string::npos && folder.find('\\') == std::string::npos;
  return folder + (slashes ? "/" : "\\") + name;
}

// Writes the case's list file and vector file; `lines` are those shown (Shift-JIS).
bool WriteCase(const std::string& folder, uint32_t seed, const FuzzCase& c,
               const std::vector<std::string>& lines, std::vector<std::string> comments,
               std::string& vectorPath, std::string& problem) {
  const std::string base = std::string(kExports[c.request].name) + "-seed" + std::to_string(seed);
  vectorPath = Joined(folder, base + ".vectors");
  const std::string listPath = Joined(folder, base + ".list");
  if (!MakeFolders(folder)) {
    problem = "cannot make the folder \"" + folder + "\"";
    return false;
  }
  if (!WriteWholeFile(listPath, c.listData)) {
    problem = "cannot write \"" + listPath + "\"";
    return false;
  }
  TestVector vector;
  vector.name = base;
  vector.list = base + ".list";
  vector.key = c.key;
  vector.keyType = c.keyType;
  vector.request = c.request;
  vector.requestedLength = c.requestedLength;
  for (const std::string& line : lines) vector.expected.push_back(AsShown(line));
  std::string text, unwritable;
  if (!FormatVectorCase(vector, comments, text, unwritable)) {
    // The finding fails the case whatever it expects: it is kept without the lines.
    vector.expected.clear();
    comments.push_back("The lines shown are left out: " + unwritable + ".");
    if (!FormatVectorCase(vector, comments, text, unwritable)) {
      problem = unwritable;
      return false;
    }
  }
  if (!WriteWholeFile(vectorPath, text)) {
    problem = "cannot write \"" + vectorPath + "\"";
    return false;
  }
  return true;
}

std::vector<std::string> Comments(uint32_t seed, const FuzzCase& c, const std::string& finding) {
  return {"Fuzz case seed " + std::to_string(seed) + " of " + kExports[c.request].name + ": " + finding,
          "A finding fails the case whatever lines it expects; once the plugin is mended, give the",
          "right answer's lines as the expected lines."};
}

// A case that hung, kept as found.
bool SaveUnshrunkHang(const std::string& folder, uint32_t seed, const FuzzCase& found,
                      std::string& vectorPath, std::string& problem) {
  std::vector<std::string> comments = Comments(seed, found, "the call did not come back in time");
  comments.push_back("Saved as found, not shrunk: each re-run would take the whole timeout.");
  return WriteCase(folder, seed, found, {}, comments, vectorPath, problem);
}

}  // namespace

bool SaveFailingCase(const std::string& folder, uint32_t seed, const FuzzCase& found,
                     const RunRecord& failed, const FuzzCaseRunner& rerun, SavedFailure& saved,
                     std::string& problem) {
  const std::vector<RunEvent> findings = RunFindings(failed.outcome);
  if (findings.empty()) {
    problem = "the case shows no finding";
    return false;
  }
  // A call that ran out of time in a worker: each re-run would take the whole timeout again.
  const auto* abandoned = std::get_if<CallAbandoned>(&findings[0]);
  if (abandoned != nullptr && abandoned->fault.kind == CallFault::Kind::TimedOut) {
    saved.listBytes = found.listData.size();
    saved.keyBytes = found.key.size();
    saved.reruns = 0;
    return SaveUnshrunkHang(folder, seed, found, saved.vectorPath, problem);
  }
  const std::string kind = FindingKind(findings[0]);
  const std::string finding = DescribeFinding(findings[0]);
  std::vector<std::string> comments = Comments(seed, found, finding);
  comments.push_back("The expected lines below are those shown with the finding.");
  if (!WriteCase(folder, seed, found, failed.lines, comments, saved.vectorPath, problem)) return false;

  RunRecord smallest = failed;
  size_t runs = 0;
  const DWORD start = GetTickCount();
  const StillFails stillFails = [&](const ShrinkInput& input) {
    if (GetTickCount() - start >= kMaxShrinkMs) return false;
    ++runs;
    FuzzCase candidate = found;
    candidate.listData = input.listData;
    candidate.key = input.key;
    RunRecord run = rerun(candidate);
    for (const RunEvent& again : RunFindings(run.outcome)) {
      if (FindingKind(again) == kind) {
        smallest = std::move(run);
        return true;
      }
    }
    return false;
  };
  const ShrinkResult shrunk = Shrink({found.listData, found.key}, stillFails, kMaxShrinkRuns);
  FuzzCase kept = found;
  kept.listData = shrunk.input.listData;
  kept.key = shrunk.input.key;
  saved.listBytes = kept.listData.size();
  saved.keyBytes = kept.key.size();
  saved.reruns = runs;
  comments.push_back("Shrunk from " + std::to_string(found.listData.size()) + " to " +
                     std::to_string(kept.listData.size()) + " list bytes and from " +
                     std::to_string(found.key.size()) + " to " + std::to_string(kept.key.size()) +
                     " key bytes in " + std::to_string(runs) + " runs.");
  // `smallest` is the run of the last candidate kept: that of `kept` (or the original's).
  return WriteCase(folder, seed, kept, smallest.lines, comments, saved.vectorPath, problem);
}

bool SaveHungCase(const std::string& folder, uint32_t seed, const FuzzCase& found,
                  std::string& problem) {
  std::string vectorPath;
  return SaveUnshrunkHang(folder, seed, found, vectorPath, problem);
}
