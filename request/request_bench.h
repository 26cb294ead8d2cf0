// What a request run needs from its surroundings: the window's controls (or a checker's inputs)
// and a place for the report lines. The runner asks for each input at the moment it needs it, so
// a window adapter reads every control afresh, exactly when and as often as a run reads it.
#pragma once

#include <cstdint>

#include "plugin/contract.h"

class RequestBench : public ReportSink {
 public:
  // The index of the selected key type entry; -1 when nothing is selected. Asked first, on every run.
  virtual int KeyTypeIndex() = 0;
  // The selected request's text into `name` (zero-filled, `capacity` bytes); left empty when nothing
  // is selected.
  virtual void ReadRequestName(char* name, int capacity) = 0;
  // The texts of the list-data path, test key and requested length boxes, each read into `text`
  // with a limit of `limit` bytes including the terminating zero. The list-data path is read only
  // for data requests, the test key only after the list data was read, the requested length only
  // during a negotiation whose probe asked for a positive size.
  virtual void ReadDatFilePath(char* text, int limit) = 0;
  virtual void ReadTestKey(char* text, int limit) = 0;
  virtual void ReadRequestedLength(char* text, int limit) = 0;

  // Observation for callers that record more than the report lines: every plugin call that came
  // back, with the size of the buffer it was handed (0 when it got none) and its 16-bit result.
  virtual void PluginReturned(int /*exportIndex*/, int32_t /*bufferSize*/, int16_t /*result*/) {}

 protected:
  ~RequestBench() = default;
};
