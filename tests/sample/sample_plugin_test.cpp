// The sample plugin as a host sees it: loaded with LoadLibraryA, every export found by its plain
// name and called through the SDK's typedefs, with list data and keys laid out read-only in memory
// as the bench lays them out.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "plugin/contract.h"
#include "sdk/qb2lpt_plugin.h"
#include "win/scoped_win.h"

namespace {

constexpr size_t kPage = 4096;

// Read-only text between two inaccessible pages, its zero byte the last byte before the second,
// so that any read past the end of the text faults at once; a text that fills whole pages starts
// right after the first, so that reading before its start faults too.
class GuardedText {
 public:
  explicit GuardedText(const std::string& text) {
    const size_t size = text.size() + 1;
    const size_t pages = (size + kPage - 1) / kPage;
    const size_t reserved = (pages + 2) * kPage;
    pages_.Reset(VirtualAlloc(nullptr, reserved, MEM_RESERVE, PAGE_NOACCESS));
    char* const base = static_cast<char*>(pages_.get());
    VirtualAlloc(base + kPage, pages * kPage, MEM_COMMIT, PAGE_READWRITE);
    text_ = base + (pages + 1) * kPage - size;
    std::memcpy(text_, text.data(), size);
    DWORD previous;
    VirtualProtect(base + kPage, pages * kPage, PAGE_READONLY, &previous);
  }
  const char* get() const { return text_; }

 private:
  PageReservation pages_;
  char* text_;
};

// A zero-filled result buffer followed by marked bytes that no call may touch.
class CheckedBuffer {
 public:
  explicit CheckedBuffer(size_t size) : bytes_(size + kTail, '\0'), size_(size) {
    std::memset(bytes_.data() + size, kMark, kTail);
  }
  char* data() { return bytes_.data(); }
  size_t size() const { return size_; }
  bool TailUntouched() const {
    for (size_t i = size_; i < bytes_.size(); ++i) {
      if (bytes_[i] != kMark) return false;
    }
    return true;
  }
  std::string Text() const { return std::string(bytes_.data(), strnlen(bytes_.data(), size_)); }

 private:
  static constexpr size_t kTail = 16;
  static constexpr char kMark = '\x5A';
  std::vector<char> bytes_;
  size_t size_;
};

LibraryModule plugin;
std::unique_ptr<GuardedText> sampleList;

std::string ReadFile(const char* path) {
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file.good()) << path;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

template <typename Fn>
Fn Export(const char* name) {
  const Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(plugin.get(), name)));
  EXPECT_NE(fn, nullptr) << name;
  return fn;
}

std::string Status(int code) { return "status " + std::to_string(code); }

// Both calls of a text export, the second with a buffer of `size` bytes (the probe's size when
// negative), checking what every call must keep to. Gives the text written when the probe asked
// for its length plus one and the second call answered the same; otherwise the status or sizes.
template <typename Call>
std::string Negotiate(Call call, int size = -1) {
  char* variable = nullptr;
  const short probe = call(&variable, 0);
  EXPECT_EQ(variable, nullptr) << "the probe set the buffer variable";
  if (probe <= 0) return Status(probe);
  CheckedBuffer buffer(size < 0 ? probe : size);
  variable = buffer.data();
  const short status = call(&variable, static_cast<unsigned short>(buffer.size()));
  EXPECT_EQ(variable, buffer.data()) << "the buffer variable was changed";
  EXPECT_TRUE(buffer.TailUntouched()) << "written past the end of the buffer";
  const std::string text = buffer.Text();
  if (status != probe || (size < 0 && static_cast<size_t>(probe) != text.size() + 1)) {
    return "probe " + std::to_string(probe) + ", status " + std::to_string(status) +
           ", text " + text;
  }
  return text;
}

std::string AskText(const char* name, const GuardedText& list, const char* key, short keyType,
                    int size = -1) {
  const auto fn = Export<Qb2lptSizedTextFn>(name);
  if (fn == nullptr) return "absent";
  const GuardedText guardedKey(key);
  return Negotiate(
      [&](char** buffer, unsigned short bufferSize) {
        return fn(list.get(), guardedKey.get(), keyType, buffer, bufferSize);
      },
      size);
}

short AskNumber(const char* name, const GuardedText& list, const char* key, short keyType) {
  const auto fn = Export<Qb2lptNumberFn>(name);
  if (fn == nullptr) return 1;
  const GuardedText guardedKey(key);
  return fn(list.get(), guardedKey.get(), keyType);
}

class SamplePlugin : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    plugin.Reset(LoadLibraryA("..\\plugins\\sample.dll"));
    sampleList = std::make_unique<GuardedText>(ReadFile("sample-list.txt"));
  }
  static void TearDownTestSuite() {
    sampleList.reset();
    plugin.Reset();
  }
  void SetUp() override { ASSERT_TRUE(plugin.IsValid()) << "..\\plugins\\sample.dll did not load"; }
};

TEST_F(SamplePlugin, ExportsAllTwentyFourNamesUndecorated) {
  for (const ExportInfo& info : kExports) {
    EXPECT_NE(GetProcAddress(plugin.get(), info.name), nullptr) << info.name;
  }
}

TEST_F(SamplePlugin, DescribesItself) {
  EXPECT_EQ(Export<Qb2lptVersionFn>("GetPluginVersion")(), 100);
  const struct {
    const char* name;
    std::string text;
    std::string inNineBytes;  // cut before a double-byte character that would not fit
  } cases[] = {
      {"GetPluginAuthor", "QB2LPT プロジェクト", "QB2LPT "},
      {"GetPluginInfo",
       "サンプルリストプラグイン：タブ区切りの Shift-JIS リスト（1行目は項目名、キーは crc16 / "
       "crc32 / body / file 列）",
       "サンプル"},
  };
  for (const auto& c : cases) {
    const auto fn = Export<Qb2lptPluginTextFn>(c.name);
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(Negotiate(fn), c.text) << c.name;
    EXPECT_EQ(Negotiate(fn, 9), c.inNineBytes) << c.name;
  }
}

TEST_F(SamplePlugin, GivesEveryItemOfAFullRowAndTheSameAnswerTwice) {
  const struct {
    const char* name;
    std::string text;
  } items[] = {
      {"GetTitle", "星の海の冒険"},
      {"GetMaker", "青空ソフト"},
      {"GetCountry", "日本"},
      {"GetVersion", "1.02"},
      {"GetGenre", "ロールプレイング"},
      {"GetCreator", "青空ソフト企画室"},
      {"GetMemo", "初回限定版：サウンドトラックCD付き"},
      {"GetKana", "ほしのうみのぼうけん"},
      {"GetDeveloper", "青空ソフト開発部"},
      {"GetSaleDate", "2013-03-08"},
      {"GetModel", "AS-0001"},
      {"GetPrice", "6,800円"},
      {"GetMediaInfo", "CD-ROM 2枚"},
      {"GetDeviceInfo", "Windows 7/8"},
      {"GetPlayer", "1人"},
      {"GetSaveInfo", "3ブロック"},
      {"GetSoundInfo", "ステレオ"},
      {"GetCeroRating", "A"},
  };
  int textExports = 0;
  for (const ExportInfo& info : kExports) textExports += info.pattern == CallPattern::SizedText;
  EXPECT_EQ(textExports, static_cast<int>(std::size(items)));
  for (const auto& item : items) {
    EXPECT_EQ(AskText(item.name, *sampleList, "1A2B", QB2LPT_KEY_CRC16), item.text) << item.name;
    EXPECT_EQ(AskText(item.name, *sampleList, "1A2B", QB2LPT_KEY_CRC16), item.text) << item.name;
  }
  EXPECT_EQ(AskNumber("GetYear", *sampleList, "1A2B", QB2LPT_KEY_CRC16), 2013);
  EXPECT_EQ(AskNumber("GetImgNum", *sampleList, "1A2B", QB2LPT_KEY_CRC16), 1);
  EXPECT_EQ(AskNumber("GetR", *sampleList, "1A2B", QB2LPT_KEY_CRC16), 0);  // 0 is a value
}

TEST_F(SamplePlugin, FindsTheRowByEachKeyType) {
  const std::string hoshi = "星の海の冒険", kaze = "風のまにまに", aqua = "アクアの旅";
  const struct {
    const char* key;
    short keyType;
    std::string title;
  } cases[] = {
      {"1A2B", QB2LPT_KEY_CRC16, hoshi},
      {"1a2b", QB2LPT_KEY_CRC16, hoshi},
      {"0x1A2B", QB2LPT_KEY_CRC16, hoshi},
      {"12", QB2LPT_KEY_CRC16, kaze},  // the list writes 0012
      {"5E6F", QB2LPT_KEY_CRC16, "空っぽの箱"},  // the first of two rows with this CRC
      {"0BADF00D", QB2LPT_KEY_CRC32, hoshi},
      {"0xbadf00d", QB2LPT_KEY_CRC32, hoshi},
      {"1234ABCD", QB2LPT_KEY_CRC32, aqua},  // the list writes 1234abcd
      {"FEDCBA98", QB2LPT_KEY_CRC32, "二番目の箱"},
      {"hoshi_no_umi", QB2LPT_KEY_BODY, hoshi},
      {"HOSHI_NO_UMI", QB2LPT_KEY_BODY, hoshi},
      {"アクア", QB2LPT_KEY_BODY, aqua},
      {"hoshi_no_umi.zip", QB2LPT_KEY_BODY_EXT, hoshi},
      {"KAZE.zip", QB2LPT_KEY_BODY_EXT, kaze},  // the list writes kaze.ZIP
      {"アクア.lzh", QB2LPT_KEY_BODY_EXT, aqua},
      {"FFFF", QB2LPT_KEY_CRC16, Status(-512)},  // present, but as a model number
      {"1A2B3", QB2LPT_KEY_CRC16, Status(-512)},
      {"XYZ", QB2LPT_KEY_CRC16, Status(-512)},
      {" 1A2B", QB2LPT_KEY_CRC16, Status(-512)},
      {"", QB2LPT_KEY_CRC16, Status(-512)},
      {"1A2B", QB2LPT_KEY_CRC32, Status(-512)},
      {"0BADF00D", QB2LPT_KEY_CRC16, Status(-512)},
      // ヂハヂ is 83 61 83 6E 83 61 and アクア 83 41 83 4E 83 41: letter case folding must not
      // reach the second byte of a double-byte character.
      {"ヂハヂ", QB2LPT_KEY_BODY, Status(-512)},
      {"hoshi_no_umi.zip", QB2LPT_KEY_BODY, Status(-512)},
      {"hoshi_no_umi", QB2LPT_KEY_BODY_EXT, Status(-512)},
      {"hoshi", QB2LPT_KEY_BODY, Status(-512)},
      {"no_umi", QB2LPT_KEY_BODY, Status(-512)},
      {"hoshi_no_umi\t", QB2LPT_KEY_BODY, Status(-512)},
      {"星の海の冒険", QB2LPT_KEY_BODY, Status(-512)},  // a title is not a key
      {"1A2B", 32, Status(-512)},
      {"1A2B", -1, Status(-512)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AskText("GetTitle", *sampleList, c.key, c.keyType), c.title)
        << c.key << " " << c.keyType;
  }
}

TEST_F(SamplePlugin, ReportsAbsentItemsAndEachSaleDateForm) {
  const struct {
    const char* name;
    const char* crc16;
    std::string text;
  } cases[] = {
      {"GetSaleDate", "C3D4", "2013-03"},
      {"GetSaleDate", "0012", "1998"},
      {"GetSaleDate", "9ABC", "2013/03/08"},
      {"GetSaleDate", "7F80", "2013-3-8"},
      {"GetMemo", "C3D4", Status(-768)},  // an empty field
      {"GetMaker", "5E6F", Status(-768)},  // the row ends after its title
      {"GetCeroRating", "5E6F", Status(-768)},
      {"GetVersion", "7F80", "0.9β"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AskText(c.name, *sampleList, c.crc16, QB2LPT_KEY_CRC16), c.text)
        << c.name << " " << c.crc16;
  }
}

TEST_F(SamplePlugin, AnswersNumbersOrTheirStatus) {
  const struct {
    const char* name;
    const char* file;
    short expected;
  } cases[] = {
      {"GetYear", "kaze.zip", 1998},
      {"GetR", "アクア.lzh", 15},
      {"GetImgNum", "nibanme.zip", 7},
      {"GetYear", "karappo.txt", -768},
      {"GetR", "karappo.txt", -768},
      {"GetYear", "kazu.zip", -769},    // 199X
      {"GetImgNum", "kazu.zip", -769},  // 12a
      {"GetR", "kazu.zip", -769},       // 40000 is beyond a 16-bit result
      {"GetYear", "nothing.zip", -512},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AskNumber(c.name, *sampleList, c.file, QB2LPT_KEY_BODY_EXT), c.expected)
        << c.name << " " << c.file;
  }
}

TEST_F(SamplePlugin, ReadsListsOfEveryShape) {
  const struct {
    std::string list;
    const char* key;
    short keyType;
    std::string title;
  } cases[] = {
      {ReadFile("unusable-list.txt"), "1A2B", QB2LPT_KEY_CRC16, Status(-513)},
      {ReadFile("unusable-list.txt"), "hoshi_no_umi.zip", QB2LPT_KEY_BODY_EXT, Status(-513)},
      {"", "a.zip", QB2LPT_KEY_BODY_EXT, Status(-513)},
      {"title\tfile\nx\tx.zip\n", "1A2B", QB2LPT_KEY_CRC16, Status(-513)},  // no crc16 column
      {"title\tfile\nx\tx.zip\n", "x.zip", QB2LPT_KEY_CRC32 + 1, Status(-512)},
      {"crc16\ttitle\n", "1A2B", QB2LPT_KEY_CRC16, Status(-512)},  // a header and no rows
      {"title\tfile\nLast\tlast.zip", "last.zip", QB2LPT_KEY_BODY_EXT, "Last"},
      {"Title\tFILE\r\nA\ta.zip\r\n", "a.zip", QB2LPT_KEY_BODY_EXT, "A"},
      {"file\ttitle\ttitle\nx\tfirst\tsecond\n", "x", QB2LPT_KEY_BODY_EXT, "first"},
      {"file\ttitle\r\nx\r\n", "x", QB2LPT_KEY_BODY_EXT, Status(-768)},
      {"file\ttitle\r\nx\t\r\n", "x", QB2LPT_KEY_BODY_EXT, Status(-768)},
      {"file\ttitle\nx\ta\rb\n", "x", QB2LPT_KEY_BODY_EXT, "a\rb"},
      {"file\ttitle\n\n\nx\tX\n", "x", QB2LPT_KEY_BODY_EXT, "X"},
      // A key never spans two fields.
      {"file\ttitle\tmemo\nx\ty\tz\n", "x\ty", QB2LPT_KEY_BODY_EXT, Status(-512)},
      {"title\tfile\ny.zip\tx.zip\n", "y.zip", QB2LPT_KEY_BODY_EXT, Status(-512)},
      {"title\tfile\ny.zip\tx.zip\n", "x.zip", QB2LPT_KEY_BODY_EXT, "y.zip"},
  };
  for (const auto& c : cases) {
    const GuardedText list(c.list);
    EXPECT_EQ(AskText("GetTitle", list, c.key, c.keyType), c.title) << c.list;
  }
}

TEST_F(SamplePlugin, FindsEveryRowOfALargeListWhereverItsKeyFallsInTheScan) {
  std::string list = "title\tmemo\tfile\n";
  for (int row = 0; row < 3000; ++row) {
    const std::string number = std::to_string(row);
    // Names of varying length end at every offset of a 16-byte block; the memos are near misses
    // that end in the same bytes as the names.
    const std::string memo = std::string(row % 17, 'm') + "p.zip";
    list += "T" + number + "\t" + memo + "\tn" + std::string(row % 5, 'a') + number + ".zip\n";
  }
  const GuardedText guarded(list);
  for (int row = 0; row < 3000; row += 7) {
    const std::string number = std::to_string(row);
    const std::string key = "n" + std::string(row % 5, 'a') + number + ".zip";
    ASSERT_EQ(AskText("GetTitle", guarded, key.c_str(), QB2LPT_KEY_BODY_EXT), "T" + number) << key;
  }
  EXPECT_EQ(AskText("GetTitle", guarded, "n3000.zip", QB2LPT_KEY_BODY_EXT), Status(-512));
  EXPECT_EQ(AskText("GetTitle", guarded, "p.zip", QB2LPT_KEY_BODY_EXT), Status(-512));
}

TEST_F(SamplePlugin, ReadsNothingOutsideTheList) {
  // Fills a page exactly: a long key at the end of the last row, a header shorter than the key.
  const std::string key(200, 'k');
  const std::string lastRow = "\n" + key + "\tT";
  std::string list = "file\ttitle\n";
  while (list.size() + 4 + lastRow.size() <= kPage - 1) list += "f\tt\n";
  list += std::string(kPage - 1 - lastRow.size() - list.size(), 'n') + lastRow;
  ASSERT_EQ(list.size(), kPage - 1);
  const GuardedText guarded(list);
  EXPECT_EQ(AskText("GetTitle", guarded, key.c_str(), QB2LPT_KEY_BODY_EXT), "T");
  const std::string shorterKey(199, 'k');
  EXPECT_EQ(AskText("GetTitle", guarded, shorterKey.c_str(), QB2LPT_KEY_BODY_EXT), Status(-512));
  // Bytes behind the zero byte that ends the list are no part of it, even if they look like a row.
  const std::string ended = std::string("file\ttitle\nx\tX\n") + '\0' + "\nk\tZ";
  const GuardedText endedList(ended);
  EXPECT_EQ(AskText("GetTitle", endedList, "k", QB2LPT_KEY_BODY_EXT), Status(-512));
}

TEST_F(SamplePlugin, NeverWritesPastASmallerBufferNorCutsACharacter) {
  // 星の海の冒険 is 12 bytes; the probe asks for 13, and every call answers 13.
  const struct {
    int size;
    std::string text;
  } cases[] = {{1, ""},     {2, ""},           {3, "星"},          {4, "星"},
               {5, "星の"}, {12, "星の海の冒"}, {200, "星の海の冒険"}};
  for (const auto& c : cases) {
    EXPECT_EQ(AskText("GetTitle", *sampleList, "1A2B", QB2LPT_KEY_CRC16, c.size), c.text) << c.size;
  }
}

TEST_F(SamplePlugin, HandlesBuffersWithoutASizeAndSizesWithoutABuffer) {
  const auto getTitle = Export<Qb2lptSizedTextFn>("GetTitle");
  ASSERT_NE(getTitle, nullptr);
  const GuardedText key("1A2B");
  // A buffer with size 0 (a 65536-byte buffer arrives so): status 0, nothing written.
  CheckedBuffer buffer(64);
  char* variable = buffer.data();
  EXPECT_EQ(getTitle(sampleList->get(), key.get(), QB2LPT_KEY_CRC16, &variable, 0),
            QB2LPT_BUFFER_SIZE_ZERO);
  EXPECT_EQ(variable, buffer.data());
  EXPECT_EQ(buffer.Text(), "");
  // No buffer at all, whatever the size: answered as a probe.
  variable = nullptr;
  EXPECT_EQ(getTitle(sampleList->get(), key.get(), QB2LPT_KEY_CRC16, &variable, 50), 13);
  EXPECT_EQ(variable, nullptr);
  EXPECT_EQ(getTitle(sampleList->get(), key.get(), QB2LPT_KEY_CRC16, nullptr, 0), 13);
  // No list data, no key.
  EXPECT_EQ(getTitle(nullptr, key.get(), QB2LPT_KEY_CRC16, &variable, 0), QB2LPT_LIST_NOT_OPEN);
  const auto getYear = Export<Qb2lptNumberFn>("GetYear");
  ASSERT_NE(getYear, nullptr);
  EXPECT_EQ(getYear(nullptr, key.get(), QB2LPT_KEY_CRC16), QB2LPT_LIST_NOT_OPEN);
  EXPECT_EQ(getTitle(sampleList->get(), nullptr, QB2LPT_KEY_CRC16, &variable, 0),
            QB2LPT_KEY_NOT_FOUND);
}

TEST_F(SamplePlugin, CutsAnItemTooLongForA16BitSizeAtAWholeCharacter) {
  std::string memo = "x";
  for (int i = 0; i < 20000; ++i) memo += "あ";
  const GuardedText list("file\tmemo\nlong\t" + memo + "\n");
  // 32767 is the largest size a result can ask for; the last whole character ends at byte 32765.
  EXPECT_EQ(AskText("GetMemo", list, "long", QB2LPT_KEY_BODY_EXT), memo.substr(0, 32765));
}

}  // namespace
