#include "checker/run_findings.h"

#include "checker/text_encoding.h"

std::vector<RunEvent> RunFindings(const RequestOutcome& outcome) {
  std::vector<RunEvent> findings;
  if (outcome.abandoned) findings.push_back(*outcome.abandoned);
  for (const ConventionBroken& breach : outcome.breaches) findings.push_back(breach);
  for (const RunEvent& warning : outcome.warnings) {
    if (IsBenchFinding(warning)) findings.push_back(warning);
  }
  return findings;
}

std::string DescribeFinding(const RunEvent& finding) {
  const std::string line = SjisToUtf8(ReportLine(finding));
  return std::holds_alternative<CallAbandoned>(finding) ? "the call did not come back: " + line : line;
}

std::string FindingKind(const RunEvent& finding) {
  if (const auto* lost = std::get_if<CallAbandoned>(&finding)) {
    switch (lost->fault.kind) {
      case CallFault::Kind::Exception: {
        // An overrun into the page behind the buffer and a stray write elsewhere share the code.
        const FaultRecord& record = lost->fault.record;
        return "exception " + std::to_string(record.code) +
               (record.region ? " in region " + std::to_string(static_cast<int>(*record.region)) : "");
      }
      case CallFault::Kind::Abort: return "abort";
      case CallFault::Kind::ProcessEnd: return "process end";
      case CallFault::Kind::TimedOut: return "timed out";
      case CallFault::Kind::ProcessLost: return "process lost";
    }
  }
  if (const auto* broken = std::get_if<ConventionBroken>(&finding)) {
    return "convention " + std::to_string(static_cast<int>(broken->breach.kind));
  }
  if (const auto* checked = std::get_if<BufferChecked>(&finding)) {
    return "buffer " + std::to_string(static_cast<int>(checked->finding));
  }
  return "other";
}
