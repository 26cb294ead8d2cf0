/*
 * Looking up one item in a sample list: Shift-JIS text, one row a line (LF or CR LF), fields
 * separated by tabs, the first line a header row naming the columns. The format is described in
 * examples/README.md.
 */
#ifndef SAMPLE_LIST_LOOKUP_H
#define SAMPLE_LIST_LOOKUP_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The columns the plugin knows, by their header names. The key columns come first. */
enum ListColumn {
  kColumnCrc16,     /* "crc16": 4 hex digits */
  kColumnCrc32,     /* "crc32": 8 hex digits */
  kColumnBody,      /* "body": the file name without its extension */
  kColumnFile,      /* "file": the file name with its extension */
  kColumnTitle,     /* "title" */
  kColumnMaker,     /* "maker" */
  kColumnCountry,   /* "country" */
  kColumnVersion,   /* "version" */
  kColumnGenre,     /* "genre" */
  kColumnYear,      /* "year": a number */
  kColumnImgNum,    /* "imgnum": a number */
  kColumnR,         /* "r": a number */
  kColumnCreator,   /* "creator" */
  kColumnMemo,      /* "memo" */
  kColumnKana,      /* "kana" */
  kColumnDeveloper, /* "developer" */
  kColumnSaleDate,  /* "saledate" */
  kColumnModel,     /* "model" */
  kColumnPrice,     /* "price" */
  kColumnMedia,     /* "media" */
  kColumnDevice,    /* "device" */
  kColumnPlayer,    /* "player" */
  kColumnSave,      /* "save" */
  kColumnSound,     /* "sound" */
  kColumnCero,      /* "cero" */
  kColumnCount
};

/* A field of the list: its first byte and its length in bytes (no terminating zero follows it). */
typedef struct ListField {
  const char *text;
  size_t length;
} ListField;

/* Finds the first row whose key column, chosen by the key type code, holds the key, and gives the
 * field of `item` in that row. Returns 1 with *field set, or a status code:
 *   QB2LPT_LIST_NOT_OPEN  there is no list data (a null pointer);
 *   QB2LPT_LIST_UNUSABLE  the first line names no key column for this key type;
 *   QB2LPT_KEY_NOT_FOUND  no row holds the key (also for an unknown key type code, and for a key
 *                         that cannot be one: empty, with a tab or line break, a CRC not in hex);
 *   QB2LPT_ITEM_ABSENT    the row was found, but the item's column is missing or its field empty.
 */
int FindListItem(const char *listData, const char *key, int keyType, enum ListColumn item,
                 ListField *field);

/* The value of a field written as decimal digits, 0 to 32767; -1 for anything else. */
int FieldNumber(ListField field);

/* The length of the longest start of the text, at most `limit` bytes, that does not cut a
 * double-byte character in two. */
size_t WholeCharacterLength(const char *text, size_t length, size_t limit);

#ifdef __cplusplus
}
#endif

#endif /* SAMPLE_LIST_LOOKUP_H */
