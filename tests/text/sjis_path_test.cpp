// Splitting Shift-JIS paths: a 5C trail byte is part of its character, never a separator.
#include <gtest/gtest.h>
#include <windows.h>

#include "text/sjis_path.h"

namespace {

struct PathCase {
  const char* path;
  const char* fileName;
  const char* folder;
  bool endsWithSeparator;
};

// 表 95 5C, ソ 83 5C, 能 94 5C: each ends in the backslash's byte.
const PathCase kPaths[] = {
    {"表示ソフト.dll", "表示ソフト.dll", "", false},
    {"C:\\plugins\\表示ソフト.dll", "表示ソフト.dll", "C:\\plugins\\", false},
    {"C:\\表\\list.txt", "list.txt", "C:\\表\\", false},
    {"C:\\表", "表", "C:\\", false},
    {"D:\\機能\\", "", "D:\\機能\\", true},
    {"C:\\", "", "C:\\", true},
    {"a/b/ソ", "ソ", "a/b/", false},
    {"", "", "", false},
    // A lead byte cut from its trail at the very end is a character of its own.
    {"x\\\x95", "\x95", "x\\", false},
    // Half-width katakana (A1-DF) are single bytes: the backslash after one separates.
    {"\xB1\\\xB2", "\xB2", "\xB1\\", false},
};

TEST(SjisPath, SplitsAtSeparatorsThatAreCharactersOfTheirOwn) {
  for (const PathCase& c : kPaths) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileNameOf(c.path), c.fileName);
    EXPECT_EQ(FolderOf(c.path), c.folder);
    EXPECT_EQ(EndsWithSeparator(c.path), c.endsWithSeparator);
    EXPECT_EQ(FileNameOffset(c.path), FileNameOffset(std::string(c.path)));
  }
}

TEST(SjisPath, LeadBytesAgreeWithThePlatformsCodePage932) {
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_EQ(IsSjisLeadByte(static_cast<unsigned char>(byte)),
              IsDBCSLeadByteEx(932, static_cast<BYTE>(byte)) != FALSE)
        << byte;
  }
}

// A trail byte can have a lead byte's value (81 81 is one character "＝"), so only a walk from the
// start tells a cut character from a whole one.
TEST(SjisPath, ACutCharacterIsALeadByteLeftWithoutItsTrail) {
  const struct {
    std::string text;
    bool cut;
  } kTexts[] = {
      {"", false},          {"abc", false},          {"星の海", false},
      {"星の\x8A", true},   {"a\x81", true},         {"\x81\x81", false},
      {"\x81\x81\x81", true}, {"表", false},          {"ｱ", false},
  };
  for (const auto& t : kTexts) EXPECT_EQ(EndsWithCutCharacter(t.text), t.cut) << t.text;
}

}  // namespace
