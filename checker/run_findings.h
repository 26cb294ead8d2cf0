// What a run shows that a plugin must never do, whatever it was asked and whatever lines a test
// expects: a call that did not come back (a fault, an abort, a request to end the process), a
// breach of the calling convention, a misused buffer (a text left unterminated or longer than the
// size asked for, the buffer variable replaced). Read from the run's events, never its lines.
#pragma once

#include <string>
#include <vector>

#include "checker/checker_bench.h"

// The run's findings, each one of its events (CallAbandoned, ConventionBroken, BufferChecked), in
// that order.
std::vector<RunEvent> RunFindings(const RequestOutcome& outcome);

// A finding for a message (UTF-8): its report line, after "the call did not come back: " for a
// call that did not.
std::string DescribeFinding(const RunEvent& finding);

// Which way a finding fails, to tell whether another run failed the same way: its kind and what
// it names (the exception code and region, the kind of breach, the buffer finding), never where it happened.
std::string FindingKind(const RunEvent& finding);
