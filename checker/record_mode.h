// The manual mode's --record FILE: the requests run, written as a test-vector file whose expected
// lines are the lines they showed, so that --expect FILE passes on the same plugin.
#pragma once

#include <vector>

#include "checker/options.h"
#include "checker/run_report.h"

// Writes the runs of a manual run whose exit code was `exitCode` and returns the final exit code.
// A run that failed (a fault, a breach, a missing export, a warning under --strict) is no
// reference output: nothing is written, an existing file is left as it was, and the exit code
// is 2. So is a line that a vector file cannot hold.
int RecordRuns(const CheckerOptions& options, const std::vector<RunRecord>& runs, int exitCode);
