// KeyTypeCombo's entries in the combo's order: the text each shows and the key type it selects.
// The settings store the index of the selected entry.
#pragma once

#include <optional>

#include "plugin/contract.h"

struct KeyTypeEntry {
  const char* text;
  KeyType keyType;
};

inline constexpr KeyTypeEntry kKeyTypeEntries[] = {
    {"16 bit CRC", KeyType::Crc16},
    {"32 bit CRC", KeyType::Crc32},
    {"FileName (body)", KeyType::Body},
    {"FileName (body.ext)", KeyType::BodyExt},
};
inline constexpr int kKeyTypeCount = sizeof kKeyTypeEntries / sizeof kKeyTypeEntries[0];

// The key type of an entry's index; none for no selection (-1) and any index outside the list.
inline std::optional<KeyType> KeyTypeOfEntry(int index) {
  if (index < 0 || index >= kKeyTypeCount) return std::nullopt;
  return kKeyTypeEntries[index].keyType;
}
