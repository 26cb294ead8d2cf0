// The checker's six modes. Each runs on the plugin already loaded by the session and returns
// the process exit code.
#pragma once

#include "checker/checker_bench.h"
#include "checker/options.h"
#include "checker/plugin_session.h"

int RunManualMode(const CheckerOptions& options, const PluginSession& session);
int RunCheckMode(const CheckerOptions& options, const PluginSession& session);
int RunExpectMode(const CheckerOptions& options, const PluginSession& session);
int RunFuzzMode(const CheckerOptions& options, const PluginSession& session);
int RunLeaksMode(const CheckerOptions& options, const PluginSession& session);
int RunCompareMode(const CheckerOptions& options, const PluginSession& session);

// The requests a mode runs: those named, or every present one in export order.
std::vector<int> ChosenRequests(const CheckerOptions& options);
// When no request is named, one skipped case for each export that the plugin lacks.
void SkipAbsentExports(const CheckerOptions& options);

// The inputs of the manual mode's run of `request`: the one key, key type (crc32 when none is
// given) and requested length of the command line.
RequestInputs ManualModeInputs(const CheckerOptions& options, int request);
