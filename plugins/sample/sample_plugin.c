/*
 * The sample list plugin: the 24 exports over a tab-separated Shift-JIS list whose first line names
 * the columns (examples/README.md describes the format). Every export looks the key up afresh in
 * the list it is given and keeps no state, so the same call always gets the same answer.
 *
 * Text exports answer the probe (no buffer) with the size of the whole text, terminating zero
 * included, and the second call with that same size once the text is written. A buffer smaller
 * than that gets as much of the text as fits without cutting a double-byte character, always
 * terminated; the caller sees the cut by comparing the result with the size it passed.
 */
#define QB2LPT_DECLARE_EXPORTS
#include "sdk/qb2lpt_plugin.h"

#include <string.h>

#include "list_lookup.h"

static const char kAuthor[] = "QB2LPT プロジェクト";
static const char kInfo[] =
    "サンプルリストプラグイン：タブ区切りの Shift-JIS リスト（1行目は項目名、"
    "キーは crc16 / crc32 / body / file 列）";

/* The largest size a result can report: results are signed 16-bit values. */
#define LARGEST_SIZE 32767

static short AnswerText(const char *text, size_t length, char **buffer, unsigned short size) {
  size_t written;
  length = WholeCharacterLength(text, length, LARGEST_SIZE - 1);
  if (buffer == NULL || *buffer == NULL) return (short)(length + 1);
  /* A buffer of 65536 bytes arrives with size 0 as well: nothing can be said to fit. */
  if (size == 0) return QB2LPT_BUFFER_SIZE_ZERO;
  written = WholeCharacterLength(text, length, (size_t)size - 1);
  memcpy(*buffer, text, written);
  (*buffer)[written] = '\0';
  return (short)(length + 1);
}

static short AnswerItem(const char *listData, const char *key, short keyType, enum ListColumn item,
                        char **buffer, unsigned short size) {
  ListField field;
  const int status = FindListItem(listData, key, keyType, item, &field);
  if (status <= 0) return (short)status;
  return AnswerText(field.text, field.length, buffer, size);
}

static short AnswerNumber(const char *listData, const char *key, short keyType,
                          enum ListColumn item) {
  ListField field;
  int value;
  const int status = FindListItem(listData, key, keyType, item, &field);
  if (status <= 0) return (short)status;
  value = FieldNumber(field);
  return value < 0 ? QB2LPT_NOT_A_NUMBER : (short)value;
}

QB2LPT_EXPORT short QB2LPT_CALL GetPluginVersion(void) { return 100; }

QB2LPT_EXPORT short QB2LPT_CALL GetPluginAuthor(char **buffer, unsigned short size) {
  return AnswerText(kAuthor, sizeof kAuthor - 1, buffer, size);
}

QB2LPT_EXPORT short QB2LPT_CALL GetPluginInfo(char **buffer, unsigned short size) {
  return AnswerText(kInfo, sizeof kInfo - 1, buffer, size);
}

#define TEXT_ITEM(name, column) \
  QB2LPT_SIZED_TEXT(name) { return AnswerItem(listData, key, keyType, column, buffer, size); }
#define NUMBER_ITEM(name, column) \
  QB2LPT_NUMBER(name) { return AnswerNumber(listData, key, keyType, column); }

TEXT_ITEM(GetTitle, kColumnTitle)
TEXT_ITEM(GetMaker, kColumnMaker)
TEXT_ITEM(GetCountry, kColumnCountry)
TEXT_ITEM(GetVersion, kColumnVersion)
TEXT_ITEM(GetGenre, kColumnGenre)
NUMBER_ITEM(GetYear, kColumnYear)
NUMBER_ITEM(GetImgNum, kColumnImgNum)
NUMBER_ITEM(GetR, kColumnR)
TEXT_ITEM(GetCreator, kColumnCreator)
TEXT_ITEM(GetMemo, kColumnMemo)
TEXT_ITEM(GetKana, kColumnKana)
TEXT_ITEM(GetDeveloper, kColumnDeveloper)
TEXT_ITEM(GetSaleDate, kColumnSaleDate)
TEXT_ITEM(GetModel, kColumnModel)
TEXT_ITEM(GetPrice, kColumnPrice)
TEXT_ITEM(GetMediaInfo, kColumnMedia)
TEXT_ITEM(GetDeviceInfo, kColumnDevice)
TEXT_ITEM(GetPlayer, kColumnPlayer)
TEXT_ITEM(GetSaveInfo, kColumnSave)
TEXT_ITEM(GetSoundInfo, kColumnSound)
TEXT_ITEM(GetCeroRating, kColumnCero)
