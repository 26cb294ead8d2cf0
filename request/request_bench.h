// What a request run needs from its surroundings: the window's controls (or a checker's inputs)
// and a place for its events. The runner asks for each input at the moment it needs it, so a
// window adapter reads every control afresh, exactly when and as often as a run reads it.
#pragma once

#include <windows.h>

#include <optional>

#include "plugin/contract.h"
#include "request/run_event.h"

class RequestBench : public RunReport {
 public:
  // The selected key type; none when nothing is selected. Asked first, on every run.
  virtual std::optional<KeyType> SelectedKeyType() = 0;
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
  virtual void ReadListDataFilePath(char* /*text*/, int /*limit*/) {}

 protected:
  ~RequestBench() = default;
};
