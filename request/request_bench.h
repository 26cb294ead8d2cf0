// What a request run needs from its surroundings: the window's controls (or a checker's inputs)
// and a place for the report lines. The runner asks for each input at the moment it needs it, so
// a window adapter reads every control afresh, exactly when and as often as a run reads it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "plugin/contract.h"

class RequestBench : public ReportSink {
 public:
  // The index of the selected key type entry; -1 when nothing is selected. Asked first, on every run.
  virtual int KeyTypeIndex() = 0;
  // The selected request's text into `name` (zero-filled, `capacity` bytes); left empty when nothing
  // is selected.
  virtual void ReadRequestName(char* name, int capacity) = 0;
  // The texts of the test key and requested length boxes, each read into `text` (zero-filled)
  // with a limit of `limit` bytes including the terminating zero. The test key is read only after
  // the list data was read, the requested length only during a negotiation whose probe asked for
  // a positive size.
  virtual void ReadTestKey(char* text, int limit) = 0;
  virtual void ReadRequestedLength(char* text, int limit) = 0;

  // Opens the list-data file of a data request for reading; INVALID_HANDLE_VALUE when it cannot be
  // opened. The window's way, the default: the list-data path box's text, read as the other boxes
  // are, opened by its ANSI name. A bench that knows the file by its Unicode name opens it itself,
  // whatever the process's code page, and has no path box to read.
  virtual HANDLE OpenListDataFile();
  virtual void ReadDatFilePath(char* /*text*/, int /*limit*/) {}

  // Observation for callers that record more than the report lines. A plugin call begins and
  // ends (also when it did not come back normally: its failure line is then appended before the
  // end); nothing but the call itself lies between the two, so a timer between them times the
  // plugin alone.
  virtual void PluginCallBegins(int /*exportIndex*/) {}
  virtual void PluginCallEnds() {}
  // A call that came back, with the size of the buffer it was handed (0 when it got none) and its
  // 16-bit result.
  virtual void PluginReturned(int /*exportIndex*/, int32_t /*bufferSize*/, int16_t /*result*/) {}
  // The text that a text request's second call left in the buffer, told just before it is appended
  // as the last line (an empty text is not appended): the plugin's answer, whatever it says.
  virtual void ReturnedText(const char* /*text*/) {}

 protected:
  ~RequestBench() = default;
};
