// The report lines: the one place that turns what a run or a load reports into the lines that the
// window shows and the checker prints, in the bench's Shift-JIS. Nothing else writes, compares or
// searches their words; the fault report (plugin/fault_report.h) names faults and breaches for it.
#pragma once

#include <string>

#include "plugin/loader.h"
#include "request/run_event.h"

// The line that the event shows; empty for an event that shows none.
std::string ReportLine(const RunEvent& event);
std::string ReportLine(const LoadEvent& event);
