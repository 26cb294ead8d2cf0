/*
 * A list plugin that does no work: it never reads the list data or the key. Text exports ask for
 * one byte (an empty text) and leave the zero-filled buffer as it is; numbers are 0. Timing a
 * request through it shows what the bench itself costs.
 */
#define QB2LPT_DECLARE_EXPORTS
#include "sdk/qb2lpt_plugin.h"

#define EMPTY_TEXT 1

QB2LPT_EXPORT short QB2LPT_CALL GetPluginVersion(void) { return 100; }

QB2LPT_EXPORT short QB2LPT_CALL GetPluginAuthor(char **buffer, unsigned short size) {
  (void)buffer;
  (void)size;
  return EMPTY_TEXT;
}

QB2LPT_EXPORT short QB2LPT_CALL GetPluginInfo(char **buffer, unsigned short size) {
  (void)buffer;
  (void)size;
  return EMPTY_TEXT;
}

#define TEXT_ITEM(name)  \
  QB2LPT_SIZED_TEXT(name) { \
    (void)listData;         \
    (void)key;              \
    (void)keyType;          \
    (void)buffer;           \
    (void)size;             \
    return EMPTY_TEXT;      \
  }
#define NUMBER_ITEM(name) \
  QB2LPT_NUMBER(name) {   \
    (void)listData;       \
    (void)key;            \
    (void)keyType;        \
    return 0;             \
  }

TEXT_ITEM(GetTitle)
TEXT_ITEM(GetMaker)
TEXT_ITEM(GetCountry)
TEXT_ITEM(GetVersion)
TEXT_ITEM(GetGenre)
NUMBER_ITEM(GetYear)
NUMBER_ITEM(GetImgNum)
NUMBER_ITEM(GetR)
TEXT_ITEM(GetCreator)
TEXT_ITEM(GetMemo)
TEXT_ITEM(GetKana)
TEXT_ITEM(GetDeveloper)
TEXT_ITEM(GetSaleDate)
TEXT_ITEM(GetModel)
TEXT_ITEM(GetPrice)
TEXT_ITEM(GetMediaInfo)
TEXT_ITEM(GetDeviceInfo)
TEXT_ITEM(GetPlayer)
TEXT_ITEM(GetSaveInfo)
TEXT_ITEM(GetSoundInfo)
TEXT_ITEM(GetCeroRating)
