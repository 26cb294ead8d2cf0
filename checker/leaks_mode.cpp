// The leak mode: each chosen request run many times with the manual mode's inputs, and what the
// runs leave behind in this process: handles, windows, GDI and USER objects, private memory.
//
// The first requests build what a plugin and the runtime create once and keep (a cache, a heap's
// first blocks): they warm up and are not measured. The rest are measured in two halves. Objects
// are counted exactly, but the process may open or close one of its own now and then: an export
// leaks objects when both halves grew, so growth that does not go on with the calls is not
// blamed on them. Memory grows in steps of whole pages or heap blocks: an export leaks memory when
// the measured requests left more than 64 KiB per 1,000 of them (64 KiB in all below 1,000
// requests, too little to tell a leak from one more block) and the second half still grew.
// Each run's record is dropped before the next (only the first, from the warm-up, is kept for the
// report), so the runner keeps nothing that counts.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "checker/console.h"
#include "checker/modes.h"
#include "checker/process_probe.h"
#include "checker/run_report.h"
#include "checker/text_encoding.h"
#include "plugin/contract.h"

namespace {

constexpr uint32_t kMaxWarmUpRequests = 100;
constexpr int64_t kAllowedBytesPerThousand = 64 * 1024;

// One reading of the counters; an object count that the platform does not give reads -1.
struct Usage {
  int handles = -1;
  int windows = -1;
  int gdiObjects = -1;
  int userObjects = -1;
  int64_t privateBytes = 0;
};

struct ObjectCounter {
  const char* singular;
  const char* plural;
  int Usage::*count;
};

const ObjectCounter kObjectCounters[] = {
    {"handle", "handles", &Usage::handles},
    {"window", "windows", &Usage::windows},
    {"GDI object", "GDI objects", &Usage::gdiObjects},
    {"USER object", "USER objects", &Usage::userObjects},
};

Usage ReadUsage() {
  Usage usage;
  // Memory first: counting the handles reads the system's table into a buffer of its own.
  usage.privateBytes = static_cast<int64_t>(CommittedPrivateBytes());
  const HANDLE self = GetCurrentProcess();
  CountGuiObjects(self, GR_GDIOBJECTS, usage.gdiObjects);
  CountGuiObjects(self, GR_USEROBJECTS, usage.userObjects);
  usage.windows = CountProcessWindows(GetCurrentProcessId());
  usage.handles = CountHandles(self);
  return usage;
}

// The readings after the warm-up, after the first half of the measured requests, at the end.
struct Readings {
  Usage start, middle, end;
  uint32_t measured = 0;  // requests between start and end
};

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Signed(int64_t value) { return (value >= 0 ? "+" : "") + std::to_string(value); }

std::string BytesPerRequest(double bytes) {
  if (bytes >= 1024) return Format("%.1f KiB", bytes / 1024);
  const std::string whole = Format("%.0f", bytes);
  return whole + (whole == "1" ? " byte" : " bytes");
}

// "a, b and c".
std::string JoinAsList(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  }
  return text;
}

// "handles +900, windows +0, private memory +3600 KiB": every counter measured.
std::string Figures(const Readings& r) {
  std::string text;
  for (const ObjectCounter& counter : kObjectCounters) {
    if (r.start.*counter.count < 0) continue;
    text += std::string(counter.plural) + " " +
            Signed(r.end.*counter.count - r.start.*counter.count) + ", ";
  }
  return text + "private memory " + Signed((r.end.privateBytes - r.start.privateBytes) / 1024) +
         " KiB";
}

// What the measured requests left behind, per request ("1.00 handle and 8.0 KiB of private
// memory"), or "" when they left nothing that counts.
std::string Leaks(const Readings& r) {
  std::vector<std::string> leaks;
  for (const ObjectCounter& counter : kObjectCounters) {
    const int start = r.start.*counter.count, middle = r.middle.*counter.count,
              end = r.end.*counter.count;
    if (start < 0 || middle <= start || end <= middle) continue;
    const std::string perRequest = Format("%.2f", static_cast<double>(end - start) / r.measured);
    leaks.push_back(perRequest + " " + (perRequest == "1.00" ? counter.singular : counter.plural));
  }
  const int64_t grown = r.end.privateBytes - r.start.privateBytes;
  const int64_t allowed = kAllowedBytesPerThousand * std::max<int64_t>(r.measured, 1000) / 1000;
  if (grown > allowed && r.end.privateBytes > r.middle.privateBytes) {
    leaks.push_back(BytesPerRequest(static_cast<double>(grown) / r.measured) + " of private memory");
  }
  return JoinAsList(leaks);
}

// Runs the request `count` times, counting the runs in `ran` and keeping the first for the report.
// False, with the failure in `report`, when a run did not reach the plugin or a call did not come
// back: nothing is measured then.
bool RunRepeatedly(const RequestInputs& inputs, uint32_t count, CaseReport& report, size_t& ran) {
  for (uint32_t i = 0; i < count; ++i) {
    const RunRecord run = RunAndRecord(inputs, report.name);
    ++ran;
    if (report.runs.empty()) report.runs.push_back(run);
    if (!run.outcome.called) {
      report.failures.push_back(report.name +
                                ": the plugin was not called (is the list data empty?)");
      return false;
    }
    if (!run.outcome.completed) {
      report.errors.push_back(report.name + ": the call did not come back: " +
                                JoinAsUtf8(FailureLines(run.outcome), " / "));
      return false;
    }
  }
  return true;
}

// Measures one request run `count` times, counting the runs in `ran`.
void MeasureLeaks(const RequestInputs& inputs, uint32_t count, CaseReport& report, size_t& ran) {
  const uint32_t warmUp = std::min(count / 10, kMaxWarmUpRequests);
  Readings readings;
  readings.measured = count - warmUp;
  const uint32_t firstHalf = readings.measured / 2;
  SetCaseUnderWay(report.name);
  if (!RunRepeatedly(inputs, warmUp, report, ran)) return;
  readings.start = ReadUsage();
  if (!RunRepeatedly(inputs, firstHalf, report, ran)) return;
  readings.middle = ReadUsage();
  if (!RunRepeatedly(inputs, readings.measured - firstHalf, report, ran)) return;
  readings.end = ReadUsage();

  const std::string measured =
      " (" + Counted(readings.measured, "request", "requests") + " measured: " + Figures(readings) + ")";
  const std::string leaks = Leaks(readings);
  if (leaks.empty()) {
    Say("PASS " + report.name + ": no leak" + measured);
  } else {
    report.failures.push_back(report.name + ": leaks " + leaks + " per request" + measured);
  }
}

// "GDI and USER objects": the counters that this platform does not give.
std::string UnmeasuredCounters(const Usage& usage) {
  std::vector<std::string> names;
  for (const ObjectCounter& counter : kObjectCounters) {
    if (usage.*counter.count < 0) names.push_back(counter.plural);
  }
  return JoinAsList(names);
}

}  // namespace

int RunLeaksMode(const CheckerOptions& options, const PluginSession& session) {
  for (const std::string& line : session.diagnostics) Say("FAIL load: " + line);
  // The first reading also lets the counters take what they keep for themselves.
  const std::string unmeasured = UnmeasuredCounters(ReadUsage());
  if (!unmeasured.empty()) Say("note: " + unmeasured + " could not be measured on this platform");

  size_t requests = 0;
  for (int request : ChosenRequests(options)) {
    CaseReport report;
    report.name = kExports[request].name;
    if (IsPresent(request)) {
      const RequestInputs inputs = ManualModeInputs(options, request);
      report.name = DescribeInputs(inputs);
      MeasureLeaks(inputs, options.leakCount, report, requests);
      const std::string cut = report.runs.empty() ? "" : CutCharacterWarning(report.runs.front());
      if (!cut.empty()) {
        report.warnings.push_back(report.name + ": " + cut);
        SayWarning(report.warnings.back());
      }
    } else {
      report.failures.push_back(report.name + " is not exported by the plugin");
    }
    for (const std::string& error : report.errors) Say("FAIL " + error);
    for (const std::string& failure : report.failures) Say("FAIL " + failure);
    AddCase(report);
  }
  SkipAbsentExports(options);
  return FinishRunReport(Counted(requests, "request", "requests"));
}
