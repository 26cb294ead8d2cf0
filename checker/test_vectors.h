// The test-vector file of the regression mode, and the line difference it reports.
//
// A UTF-8 text file of cases. Each case starts with a "case" line and gives its fields on lines
// of their own, a field name, one space and the value (the rest of the line, spaces included):
//
//   # GetYear by 32 bit CRC; '#' starts a comment line, blank lines are ignored
//   case year of the first entry
//   list sample-list.txt        the list-data file, relative to the vector file's folder
//   key 0BADF00D                the test key ("key" alone: an empty key)
//   key-bytes 82 41 0D          or the key's Shift-JIS bytes in hexadecimal, for a key that no
//                               line of text can give back (a cut character, a line break)
//   key-type crc32              crc16, crc32 (the default), body, body.ext or none
//   request GetYear             the export to request (required)
//   req-len 12                  the requested length as typed (optional; text requests read it)
//   > [発売年]                   each expected report line, after "> ", exactly
//   > 2013
//
// A case without "> " lines expects the request to show nothing. Values cannot hold line breaks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plugin/contract.h"

struct TestVector {
  std::string name;
  int line = 0;  // the line of its "case"
  std::string list;
  std::string key;
  bool keyIsBytes = false;  // `key` holds the bench's bytes as they are, not UTF-8
  std::optional<KeyType> keyType = KeyType::Crc32;  // none for no selection
  int request = -1;
  std::string requestedLength;
  std::vector<std::string> expected;
};

// Reads the file's text. False, with `error` naming the line, when it is not a valid vector file.
bool ParseTestVectors(const std::string& text, std::vector<TestVector>& cases, std::string& error);

// The lines of `expected` and `actual` aligned on their longest common run: "  " before a line
// both have, "- " before one only expected, "+ " before one only shown.
std::vector<std::string> LineDifference(const std::vector<std::string>& expected,
                                        const std::vector<std::string>& actual);
