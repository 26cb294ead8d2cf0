// Machine-readable reports: a small JSON writer and the JUnit XML report of a run's cases.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds indented JSON (UTF-8). Strings are given as the bench's Shift-JIS (report lines, keys,
// returned texts) or as the checker's own UTF-8 text (names, verdicts, paths).
class JsonWriter {
 public:
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  // The name of the next member of the current object.
  void Key(const char* name);
  void String(const std::string& sjis);
  void StringArray(const std::vector<std::string>& sjis);
  void Utf8String(const std::string& utf8);
  void Utf8StringArray(const std::vector<std::string>& utf8);
  void Number(int64_t value);
  void Bool(bool value);
  // A time in seconds, to the millisecond.
  void Seconds(double seconds);
  // The whole document, ended by a line break.
  std::string Text() const { return out_ + "\r\n"; }

 private:
  void Open(char bracket);
  void Close(char bracket);
  void BeforeValue();
  void NewLine();

  std::string out_;
  std::vector<bool> hasMembers_;
  bool afterKey_ = false;
};

// A Shift-JIS text as a quoted JSON string in UTF-8.
std::string JsonQuote(const std::string& sjis);

// Seconds to the millisecond ("0.125"), as both reports write a time.
std::string SecondsText(double seconds);

// One case of a run, for the JUnit report. A case with errors is an error, else one with failures
// a failure, else one with a reason to skip it skipped.
struct CaseResult {
  std::string name;                   // UTF-8
  std::vector<std::string> failures;  // one message each, UTF-8: a wrong answer
  std::vector<std::string> output;    // the report lines, Shift-JIS
  std::vector<std::string> errors;    // one message each, UTF-8: a fault or a hang
  std::string skipped;                // why the case did not run (UTF-8)
  double seconds = 0;
  std::vector<std::string> failureDetail;  // lines under the first failure's message (UTF-8)
};

// The JUnit XML document (UTF-8) with one test suite named `suite` (UTF-8) holding the cases.
std::string JunitReport(const std::string& suite, const std::vector<CaseResult>& cases);
