// The inputs of one request run. Pure: no Windows header, so that a run's description can be sent
// to a worker process and read back anywhere.
#pragma once

#include <optional>
#include <string>

#include "plugin/contract.h"

// What the window's controls would hold for one run. The key and the requested length are
// Shift-JIS, the list-data path UTF-8 (the file is opened by its Unicode name).
struct RequestInputs {
  int request = -1;         // an export index; -1 selects nothing
  std::string listPath;
  std::string key;
  std::optional<KeyType> keyType = KeyType::Crc32;  // none for no selection
  std::string requestedLength;  // the requested-length box; empty for none
};
