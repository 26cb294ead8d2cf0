#include "plugin/contract.h"

#include <cstring>

const ExportInfo kExports[kExportCount] = {
    {"GetPluginVersion", CallPattern::Version},
    {"GetPluginAuthor", CallPattern::PluginText},
    {"GetPluginInfo", CallPattern::PluginText},
    {"GetTitle", CallPattern::SizedText},
    {"GetMaker", CallPattern::SizedText},
    {"GetCountry", CallPattern::SizedText},
    {"GetVersion", CallPattern::SizedText},
    {"GetGenre", CallPattern::SizedText},
    {"GetYear", CallPattern::Numeric},
    {"GetImgNum", CallPattern::Numeric},
    {"GetR", CallPattern::Numeric},
    {"GetCreator", CallPattern::SizedText},
    {"GetMemo", CallPattern::SizedText},
    {"GetKana", CallPattern::SizedText},
    {"GetDeveloper", CallPattern::SizedText},
    {"GetSaleDate", CallPattern::SizedText},
    {"GetModel", CallPattern::SizedText},
    {"GetPrice", CallPattern::SizedText},
    {"GetMediaInfo", CallPattern::SizedText},
    {"GetDeviceInfo", CallPattern::SizedText},
    {"GetPlayer", CallPattern::SizedText},
    {"GetSaveInfo", CallPattern::SizedText},
    {"GetSoundInfo", CallPattern::SizedText},
    {"GetCeroRating", CallPattern::SizedText},
};

void* PluginTable[kExportCount] = {};

int FindExport(const char* name) {
  for (int i = 0; i < kExportCount; ++i) {
    if (std::strcmp(kExports[i].name, name) == 0) return i;
  }
  return -1;
}

int16_t KeyTypeCode(std::optional<KeyType> keyType) {
  return keyType ? static_cast<int16_t>(*keyType) : 0;
}

bool IsStatusCode(int16_t code) {
  switch (code) {
    case QB2LPT_BUFFER_SIZE_ZERO:
    case QB2LPT_LIST_NOT_OPEN:
    case QB2LPT_KEY_NOT_FOUND:
    case QB2LPT_LIST_UNUSABLE:
    case QB2LPT_ITEM_ABSENT:
    case QB2LPT_NOT_A_NUMBER: return true;
    default: return false;
  }
}
