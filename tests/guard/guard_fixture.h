// What the guard tests share: the faulty plugin, a report that records the lines shown, and the
// regions that the bench hands to a plugin, laid out and labelled as a request run makes them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/contract.h"
#include "plugin/fault_report.h"
#include "request/report_lines.h"
#include "win/scoped_win.h"

struct RecordedLines : RunReport {
  std::vector<std::string> lines;
  void Report(const RunEvent& event) override {
    std::string line = ReportLine(event);
    if (!line.empty()) lines.push_back(std::move(line));
  }
};

// An export of faulty.dll, which stays loaded for the whole test program.
void* FaultyExport(const char* name);

// "faulty.dll+0x14B0" for an export of faulty.dll (a <name>Site label, typically), `shift` bytes
// on.
std::string FaultyPlace(const char* exportName, int shift = 0);

// The file name of the module that holds `address` ("msvcrt.dll").
std::string ModuleNameOf(const void* address);

// How this platform reports the fault of an export of faulty.dll with no guard in the way: the
// export is called directly under a vectored handler that returns from it at the fault (the
// probed exports have pushed nothing by then). Under emulation the platform may report a fault as
// another exception, without its access details, or one byte further on.
struct PlatformFault {
  uint32_t code = 0;
  int offsetFromSite = 0;  // the reported address less the faulting instruction's
  bool hasAccess = false;
};
PlatformFault ProbePlatform(const char* exportName, const char* site);

// "C0000005 (アクセス違反)": an exception code with the name that fault lines give it.
std::string NamedCode(uint32_t code);

// The list data and the key in read-only pages, and a result buffer whose last byte is the last
// before a no-access page, each labelled for fault lines.
class BenchRegions {
 public:
  static constexpr uint16_t kBufferSize = 16;
  static constexpr const char* kListText = "LIST DATA";
  static constexpr const char* kKeyText = "KEY123";

  BenchRegions();

  // A sized text call's slots: list data, key, key type, buffer reference, size.
  std::vector<uint32_t> SizedTextSlots(int16_t keyType, uint16_t size);
  char* Buffer() const { return bufferVariable_; }

 private:
  const PageReservation listData_;
  const PageReservation key_;
  const PageReservation bufferPages_;
  char* bufferVariable_;
  LabelledRegion listLabel_, keyLabel_, bufferEndLabel_;
};

// Calls `entry` through CallPlugin as the export at `exportIndex` (GetTitle unless given), as a
// request run does, and records the lines that the call shows.
bool CallThroughGuard(void* entry, RecordedLines& sink, const std::vector<uint32_t>& slots,
                      int16_t& result, int exportIndex = kGetTitle);

// The well-behaved export, probed and called as a request run does, answers exactly as it
// should and adds no line.
void ExpectWellBehavedAnswers(BenchRegions& regions);

// A read-only page holding `text`.
PageReservation NewReadOnlyPage(const char* text);
