#include "list_lookup.h"

#include <emmintrin.h>
#include <stdint.h>
#include <string.h>

#include "sdk/qb2lpt_plugin.h"

#if defined(_MSC_VER)
#include <intrin.h>
static unsigned LowestSetBit(unsigned mask) {
  unsigned long index;
  _BitScanForward(&index, mask);
  return (unsigned)index;
}
#else
static unsigned LowestSetBit(unsigned mask) { return (unsigned)__builtin_ctz(mask); }
#endif

/* Header names, in the order of enum ListColumn. */
static const char *const kColumnNames[kColumnCount] = {
    "crc16", "crc32",  "body",   "file",    "title", "maker", "country",   "version",  "genre",
    "year",  "imgnum", "r",      "creator", "memo",  "kana",  "developer", "saledate", "model",
    "price", "media",  "device", "player",  "save",  "sound", "cero"};

static int IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

static int IsAsciiLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

static unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? (unsigned char)(c + 32) : c;
}

/* Tab, line feed and zero bytes never occur inside a Shift-JIS double-byte character (its second
 * byte is 0x40 or above), so fields and rows can be split byte by byte. */
static int EndsField(const char *text) {
  return *text == '\t' || *text == '\n' || *text == '\0' || (*text == '\r' && text[1] == '\n');
}

static const char *FieldEnd(const char *text) {
  while (!EndsField(text)) ++text;
  return text;
}

static int SameLetters(const char *a, const char *b, size_t length) {
  size_t i;
  for (i = 0; i < length; ++i) {
    if (FoldAscii((unsigned char)a[i]) != FoldAscii((unsigned char)b[i])) return 0;
  }
  return 1;
}

static int ColumnNamed(const char *name, size_t length) {
  int column;
  for (column = 0; column < kColumnCount; ++column) {
    const char *known = kColumnNames[column];
    if (strlen(known) == length && SameLetters(name, known, length)) return column;
  }
  return -1;
}

/* Reads the header row into columnOf (the position of each known column, or -1) and returns where
 * the first data row starts. A name that occurs twice counts at its first position. */
static const char *ReadHeader(const char *list, int columnOf[kColumnCount]) {
  const char *field = list;
  int position = 0;
  int column;
  for (column = 0; column < kColumnCount; ++column) columnOf[column] = -1;
  for (;; ++position) {
    const char *end = FieldEnd(field);
    column = ColumnNamed(field, (size_t)(end - field));
    if (column >= 0 && columnOf[column] < 0) columnOf[column] = position;
    if (*end == '\r') ++end;
    if (*end != '\t') return *end == '\n' ? end + 1 : end;
    field = end + 1;
  }
}

static int KeyColumnFor(int keyType) {
  switch (keyType) {
    case QB2LPT_KEY_CRC16:
      return kColumnCrc16;
    case QB2LPT_KEY_CRC32:
      return kColumnCrc32;
    case QB2LPT_KEY_BODY:
      return kColumnBody;
    case QB2LPT_KEY_BODY_EXT:
      return kColumnFile;
    default:
      return -1;
  }
}

static int IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

/* A CRC key as the list writes it: exactly `digits` hex digits. The key may carry a 0x prefix and
 * fewer digits (leading zeros are added); case does not matter. Returns 0 for a key that is not
 * such a number. */
static size_t CrcKeyAsListed(const char *key, size_t digits, char *listed) {
  size_t length;
  if (key[0] == '0' && (key[1] == 'x' || key[1] == 'X')) key += 2;
  for (length = 0; IsHexDigit(key[length]); ++length) {
    if (length == digits) return 0;
  }
  if (length == 0 || key[length] != '\0') return 0;
  memset(listed, '0', digits - length);
  memcpy(listed + digits - length, key, length);
  return digits;
}

/* A file name key is compared as it is; it cannot hold a field or row separator. */
static size_t NameKeyLength(const char *key) {
  size_t length = strlen(key);
  if (length == 0 || strcspn(key, "\t\r\n") != length) return 0;
  return length;
}

/* Key comparison: ASCII letters match either case (file names and hex digits alike); every other
 * byte, and both bytes of a double-byte character, must be equal. */
static int SameKey(const char *field, const char *key, size_t length) {
  size_t i = 0;
  while (i < length) {
    if (IsLeadByte((unsigned char)key[i]) && i + 1 < length) {
      if (field[i] != key[i] || field[i + 1] != key[i + 1]) return 0;
      i += 2;
    } else {
      if (FoldAscii((unsigned char)field[i]) != FoldAscii((unsigned char)key[i])) return 0;
      ++i;
    }
  }
  return 1;
}

/* The start of the row when the key ends at keyEnd as a whole field of the key column. */
static const char *RowHoldingKey(const char *body, const char *keyEnd, const char *key,
                                 size_t length, int keyColumn) {
  const char *start;
  const char *row;
  int column = 0;
  if (!EndsField(keyEnd + 1) || (size_t)(keyEnd - body) + 1 < length) return NULL;
  start = keyEnd + 1 - length;
  /* body follows the header's line feed, so start[-1] is always part of the list. */
  if ((start[-1] != '\t' && start[-1] != '\n') || !SameKey(start, key, length)) return NULL;
  for (row = start; row > body && row[-1] != '\n'; --row) {
    if (row[-1] == '\t') ++column;
  }
  return column == keyColumn ? row : NULL;
}

/* The key, and the bytes a whole-field match of it must show, ready for 16-byte comparisons. */
typedef struct KeyScan {
  const char *body;
  const char *key;
  size_t length;
  int keyColumn;
  __m128i firstFold, firstByte; /* byte | fold == first byte | fold */
  __m128i lastFold, lastByte;
} KeyScan;

static void ByteToMatch(unsigned char byte, __m128i *fold, __m128i *folded) {
  /* Letters match either case; or-ing 0x20 into every byte keeps both cases of the letter and
   * lets a few other bytes through, which the full check turns away. */
  const char bit = IsAsciiLetter(byte) ? 0x20 : 0;
  *fold = _mm_set1_epi8(bit);
  *folded = _mm_set1_epi8((char)(byte | bit));
}

static __m128i Matches(__m128i bytes, __m128i fold, __m128i folded) {
  return _mm_cmpeq_epi8(_mm_or_si128(bytes, fold), folded);
}

/* The exact look at one aligned 16-byte block: a byte that could be the key's last byte and is
 * followed by a field separator is checked in full by RowHoldingKey. Returns 1 when the pass is
 * over, with *row set to the row found or to NULL at the zero byte behind the list. */
static int ScanBlock(const KeyScan *scan, const char *block, const char **row) {
  const __m128i bytes = _mm_load_si128((const __m128i *)block);
  const __m128i zeros = _mm_cmpeq_epi8(bytes, _mm_setzero_si128());
  const __m128i tabs = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t'));
  const __m128i lineEnds = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')),
                                        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
  const __m128i separators = _mm_or_si128(_mm_or_si128(zeros, tabs), lineEnds);
  const ptrdiff_t beforeBody = scan->body - block;
  const unsigned inList = beforeBody <= 0   ? 0xFFFFu
                          : beforeBody < 16 ? (0xFFFFu << beforeBody) & 0xFFFFu
                                            : 0u;
  const unsigned zeroBits = (unsigned)_mm_movemask_epi8(zeros) & inList;
  /* Bit i: byte i + 1 separates; the byte after the block is left to RowHoldingKey. */
  const unsigned beforeSeparator = ((unsigned)_mm_movemask_epi8(separators) >> 1) | 0x8000u;
  const unsigned lastBytes =
      (unsigned)_mm_movemask_epi8(Matches(bytes, scan->lastFold, scan->lastByte));
  unsigned candidates = lastBytes & beforeSeparator & inList;
  if (zeroBits != 0) candidates &= (zeroBits & (0u - zeroBits)) - 1u;
  for (; candidates != 0; candidates &= candidates - 1u) {
    const char *keyEnd = block + LowestSetBit(candidates);
    *row = RowHoldingKey(scan->body, keyEnd, scan->key, scan->length, scan->keyColumn);
    if (*row != NULL) return 1;
  }
  *row = NULL;
  return zeroBits != 0;
}

/* One pass over the rows, 64 bytes at a time. A group of four blocks where no byte could be the
 * key's last byte with its first byte `length - 1` bytes before, and where no zero byte ends the
 * list, is passed over at once; any other group gets the exact look. Aligned 64-byte groups never
 * cross a page boundary, so reading a whole group around the list's first and last byte stays in
 * memory that exists; the first-byte loads read only bytes of the list already passed over. */
static const char *FindKeyRow(const char *body, const char *key, size_t length, int keyColumn) {
  KeyScan scan;
  const char *group = (const char *)((uintptr_t)body & ~(uintptr_t)63);
  const char *row;
  int block;
  scan.body = body;
  scan.key = key;
  scan.length = length;
  scan.keyColumn = keyColumn;
  ByteToMatch((unsigned char)key[0], &scan.firstFold, &scan.firstByte);
  ByteToMatch((unsigned char)key[length - 1], &scan.lastFold, &scan.lastByte);
  for (;; group += 64) {
    if (group >= body && (size_t)(group - body) >= length - 1) {
      __m128i found = _mm_setzero_si128();
      for (block = 0; block < 64; block += 16) {
        const __m128i bytes = _mm_load_si128((const __m128i *)(group + block));
        const __m128i firsts = _mm_loadu_si128((const __m128i *)(group + block - (length - 1)));
        found = _mm_or_si128(found, _mm_cmpeq_epi8(bytes, _mm_setzero_si128()));
        found = _mm_or_si128(found, _mm_and_si128(Matches(bytes, scan.lastFold, scan.lastByte),
                                                  Matches(firsts, scan.firstFold, scan.firstByte)));
      }
      if (_mm_movemask_epi8(found) == 0) continue;
    }
    for (block = 0; block < 64; block += 16) {
      if (ScanBlock(&scan, group + block, &row)) return row;
    }
  }
}

static ListField FieldAt(const char *row, int position) {
  ListField field;
  const char *text = row;
  for (; position > 0; --position) {
    while (*text != '\t' && *text != '\n' && *text != '\0') ++text;
    if (*text != '\t') {
      field.text = text;
      field.length = 0;
      return field;
    }
    ++text;
  }
  field.text = text;
  field.length = (size_t)(FieldEnd(text) - text);
  return field;
}

int FindListItem(const char *listData, const char *key, int keyType, enum ListColumn item,
                 ListField *field) {
  int columnOf[kColumnCount];
  char crcKey[8];
  const char *keyText = key;
  const char *body;
  const char *row;
  size_t keyLength;
  const int keyColumn = KeyColumnFor(keyType);
  if (listData == NULL) return QB2LPT_LIST_NOT_OPEN;
  if (keyColumn < 0 || key == NULL) return QB2LPT_KEY_NOT_FOUND;
  body = ReadHeader(listData, columnOf);
  if (columnOf[keyColumn] < 0) return QB2LPT_LIST_UNUSABLE;
  if (keyColumn == kColumnCrc16 || keyColumn == kColumnCrc32) {
    keyLength = CrcKeyAsListed(key, keyColumn == kColumnCrc16 ? 4 : 8, crcKey);
    keyText = crcKey;
  } else {
    keyLength = NameKeyLength(key);
  }
  if (keyLength == 0) return QB2LPT_KEY_NOT_FOUND;
  row = FindKeyRow(body, keyText, keyLength, columnOf[keyColumn]);
  if (row == NULL) return QB2LPT_KEY_NOT_FOUND;
  if (columnOf[item] < 0) return QB2LPT_ITEM_ABSENT;
  *field = FieldAt(row, columnOf[item]);
  return field->length > 0 ? 1 : QB2LPT_ITEM_ABSENT;
}

int FieldNumber(ListField field) {
  int value = 0;
  size_t i;
  if (field.length == 0 || field.length > 5) return -1;
  for (i = 0; i < field.length; ++i) {
    if (field.text[i] < '0' || field.text[i] > '9') return -1;
    value = value * 10 + (field.text[i] - '0');
  }
  return value <= 32767 ? value : -1;
}

size_t WholeCharacterLength(const char *text, size_t length, size_t limit) {
  size_t kept = 0;
  if (length <= limit) return length;
  while (kept < limit) {
    const size_t step = IsLeadByte((unsigned char)text[kept]) ? 2 : 1;
    if (kept + step > limit) break;
    kept += step;
  }
  return kept;
}
