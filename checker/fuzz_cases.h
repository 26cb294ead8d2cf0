// The cases of the fuzz mode: each a request with mutated list data, key, key type and requested
// length, derived from its seed alone, so that one seed replays one case exactly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugin/contract.h"

struct FuzzCase {
  int request = -1;
  std::string listData;
  std::string key;
  std::optional<KeyType> keyType = KeyType::Crc32;  // none for no selection
  std::string requestedLength;
};

// The case of `seed`: one of `requests` (export indexes), one of `keyTypes` (every key type and
// no selection when empty), and list data and key mutated from
// `baseList` and `baseKey` (or made up when they are empty).
FuzzCase MakeFuzzCase(uint32_t seed, const std::vector<int>& requests,
                      const std::vector<std::optional<KeyType>>& keyTypes,
                      const std::string& baseList,
                      const std::string& baseKey);
