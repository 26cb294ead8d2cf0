// Keeping the fuzz mode's failing cases (--save-failures DIR): each shrunk to the smallest input
// found that still fails the same way, then written to the folder as a test-vector file with its
// list file beside it, so that the regression mode replays it as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "checker/fuzz_cases.h"
#include "checker/run_report.h"

// Runs a case on the plugin as the fuzz mode runs it.
using FuzzCaseRunner = std::function<RunRecord(const FuzzCase&)>;

struct SavedFailure {
  std::string vectorPath;
  size_t listBytes = 0;  // the list data and key saved, after shrinking
  size_t keyBytes = 0;
  size_t reruns = 0;     // the runs that shrinking took
};

// Shrinks the case of `seed`, whose run `failed` shows a finding, within a bound of re-runs and of
// time, and saves it in `folder` (made when missing) as "<export>-seed<seed>.vectors" and
// ".list". The case as found is saved before the first re-run, so that a re-run that hangs
// leaves it. False, with `problem`, when a file cannot be written.
bool SaveFailingCase(const std::string& folder, uint32_t seed, const FuzzCase& found,
                     const RunRecord& failed, const FuzzCaseRunner& rerun, SavedFailure& saved,
                     std::string& problem);

// Saves a case whose call hung, as found: each re-run would take the whole timeout.
bool SaveHungCase(const std::string& folder, uint32_t seed, const FuzzCase& found,
                  std::string& problem);
