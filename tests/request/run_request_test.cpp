// Requests run in-process against entry points of this program, through a bench without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "plugin/contract.h"
#include "request/run_request.h"
#include "tests/request/fake_bench.h"

namespace {

using Lines = std::vector<std::string>;
using Reads = std::vector<std::string>;

const char kNoOpen[] = "リストデータファイルが開けませんでした";
const char kSizeZero[] = "警告：バッファサイズが 0 です";
const char kWarnMonth[] = "[警告]YYYY-mm形式じゃないみたい";
const char kWarnDay[] = "[警告]YYYY-mm-dd形式じゃないみたい";

class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    Script = PluginScript();
    Seen.clear();
    InstallFakePlugin();
    bench.listDataFilePath = WriteListDataFile("run_request_list.dat", "LIST DATA");
  }
  void TearDown() override {
    RemovePlugin();
    DeleteFileA("run_request_list.dat");
  }
  Lines RunNamed(const char* name) {
    bench.requestName = name;
    RunRequest(bench);
    return bench.lines;
  }
  FakeBench bench;
};

// One request of each negotiating pattern: five parameters, and two.
struct Request {
  const char* name;
  const char* label;
};
const Request kTwoPatterns[] = {{"GetMemo", "[メモ]"}, {"GetPluginInfo", "[プラグイン情報]"}};

enum class Kind { Version, PluginText, SizedText, SaleDate, Number };

TEST_F(Run, EveryRequestHasItsLabelAndCallPattern) {
  const struct {
    const char* name;
    const char* label;
    Kind kind;
  } rows[] = {
      {"GetPluginVersion", "[プラグインバージョン]", Kind::Version},
      {"GetPluginAuthor", "[プラグイン作者]", Kind::PluginText},
      {"GetPluginInfo", "[プラグイン情報]", Kind::PluginText},
      {"GetTitle", "[タイトル]", Kind::SizedText},
      {"GetMaker", "[メーカー]", Kind::SizedText},
      {"GetCountry", "[国]", Kind::SizedText},
      {"GetVersion", "[バージョン]", Kind::SizedText},
      {"GetGenre", "[ジャンル]", Kind::SizedText},
      {"GetYear", "[発売年]", Kind::Number},
      {"GetImgNum", "[イメージ番号]", Kind::Number},
      {"GetR", "[R指定]", Kind::Number},
      {"GetCreator", "[クリエイター]", Kind::SizedText},
      {"GetMemo", "[メモ]", Kind::SizedText},
      {"GetKana", "[読み仮名]", Kind::SizedText},
      {"GetDeveloper", "[開発元]", Kind::SizedText},
      {"GetSaleDate", "[発売年月日]", Kind::SaleDate},
      {"GetModel", "[型番]", Kind::SizedText},
      {"GetPrice", "[価格]", Kind::SizedText},
      {"GetMediaInfo", "[メディア情報]", Kind::SizedText},
      {"GetDeviceInfo", "[対応機器]", Kind::SizedText},
      {"GetPlayer", "[プレイヤー数]", Kind::SizedText},
      {"GetSaveInfo", "[セーブデータ情報]", Kind::SizedText},
      {"GetSoundInfo", "[サウンド情報]", Kind::SizedText},
      {"GetCeroRating", "[拡張R指定]", Kind::SizedText},
  };
  for (int i = 0; i < kExportCount; ++i) {
    SCOPED_TRACE(rows[i].name);
    bench = FakeBench();
    bench.listDataFilePath = "run_request_list.dat";
    Seen.clear();
    Lines expected;
    size_t calls = 2, slots = 0;
    switch (rows[i].kind) {
      case Kind::Version: expected = {rows[i].label, "0.62"}, calls = 1; break;
      case Kind::PluginText: expected = {rows[i].label, "必要バイト数 : 5", "abc"}, slots = 2; break;
      case Kind::SizedText: expected = {rows[i].label, "必要バイト数 : 5", "abc"}, slots = 5; break;
      case Kind::SaleDate:
        expected = {rows[i].label, "必要バイト数 : 5", kWarnDay, "abc"}, slots = 5;
        break;
      case Kind::Number: expected = {rows[i].label, "1987"}, calls = 1, slots = 3; break;
    }
    EXPECT_EQ(RunNamed(rows[i].name), expected);
    ASSERT_EQ(Seen.size(), calls);
    for (const SeenCall& call : Seen) {
      EXPECT_EQ(call.exportIndex, i);
      EXPECT_EQ(call.slots.size(), slots);
    }
  }
}

TEST_F(Run, ProbeAtOrBelowZeroEndsTheRequestWithItsStatusLine) {
  const struct {
    int16_t probe;
    const char* message;  // null: no line
  } rows[] = {
      {0, kSizeZero},
      {-256, "エラー：リストファイルが開けない"},
      {-512, "エラー：リストファイル中に指定されたキーが無い"},
      {-513, "エラー：利用できないリストっぽい"},
      {-768, "エラー：正しく取得したが該当データは不在だった"},
      {-769, "エラー：正しく取得したが数値ではなかった"},
      {-1, nullptr},
      {-257, nullptr},
      {-32768, nullptr},
  };
  for (const char* request : {"GetTitle", "GetPluginAuthor", "GetSaleDate"}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(request) + " " + std::to_string(row.probe));
      bench = FakeBench();
      bench.listDataFilePath = "run_request_list.dat";
      bench.requestedLength = "8";
      Seen.clear();
      Script.probe = row.probe;
      const Lines lines = RunNamed(request);
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(Lines(lines.begin() + 1, lines.end()),
                row.message ? Lines{row.message} : Lines{});
      EXPECT_EQ(Seen.size(), 1u);
      EXPECT_EQ(std::count(bench.reads.begin(), bench.reads.end(), "reqlen"), 0);
    }
  }
}

TEST_F(Run, ProbeHandsANullBufferAndSizeZero) {
  Script.probe = 24;
  RunNamed("GetTitle");
  ASSERT_EQ(Seen.size(), 2u);
  EXPECT_EQ(Seen[0].bufferVariable, 0u);
  EXPECT_EQ(Seen[0].slots[4], 0u);
  // The second call gets the same variable, now holding a zero-filled buffer of the asked size.
  EXPECT_EQ(Seen[1].slots[3], Seen[0].slots[3]);
  EXPECT_NE(Seen[1].bufferVariable, 0u);
  EXPECT_EQ(Seen[1].slots[4], 24u);
  EXPECT_EQ(Seen[1].bufferAccessible, 24u);
  EXPECT_TRUE(Seen[1].bufferZero);
  EXPECT_EQ(bench.lines[1], "必要バイト数 : 24");
}

TEST_F(Run, SecondCallStatusLineComesBeforeTheText) {
  const struct {
    int16_t second;
    const char* message;
  } rows[] = {
      {0, kSizeZero},
      {-256, "エラー：リストファイルが開けない"},
      {-512, "エラー：リストファイル中に指定されたキーが無い"},
      {-513, "エラー：利用できないリストっぽい"},
      {-768, "エラー：正しく取得したが該当データは不在だった"},
      {-769, "エラー：正しく取得したが数値ではなかった"},
      {-1, nullptr},
      {-257, nullptr},
      {7, nullptr},
  };
  for (const Request& request : kTwoPatterns) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(request.name) + " " + std::to_string(row.second));
      bench = FakeBench();
      bench.listDataFilePath = "run_request_list.dat";
      Script.second = row.second;
      Lines expected = {request.label, "必要バイト数 : 5"};
      if (row.message) expected.push_back(row.message);
      expected.push_back("abc");
      EXPECT_EQ(RunNamed(request.name), expected);
    }
  }
}

TEST_F(Run, EmptyReturnedTextAppendsNoLine) {
  Script.written = std::string(1, '\0');
  EXPECT_EQ(RunNamed("GetGenre"), (Lines{"[ジャンル]", "必要バイト数 : 5"}));
}

TEST_F(Run, NumericResultsWhereZeroIsAValue) {
  const struct {
    int16_t value;
    Lines after;
  } rows[] = {
      {0, {"0"}},
      {1987, {"1987"}},
      {32767, {"32767"}},
      {-769, {"エラー：正しく取得したが数値ではなかった"}},
      {-768, {"エラー：正しく取得したが該当データは不在だった"}},
      {-1, {}},
      {-32768, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    bench = FakeBench();
    bench.listDataFilePath = "run_request_list.dat";
    bench.requestedLength = "12";
    Script.number = row.value;
    Lines expected = {"[R指定]"};
    expected.insert(expected.end(), row.after.begin(), row.after.end());
    EXPECT_EQ(RunNamed("GetR"), expected);
    EXPECT_EQ(bench.reads, (Reads{"keytype", "name", "path", "key"}));
  }
}

TEST_F(Run, VersionIsShownAsAHundredth) {
  const struct {
    int16_t version;
    const char* text;
  } rows[] = {{62, "0.62"}, {100, "1"},  {150, "1.5"},
              {0, "0"},     {-5, "-0.05"}, {-32768, "-327.68"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.version);
    bench = FakeBench();
    Script.version = row.version;
    EXPECT_EQ(RunNamed("GetPluginVersion"), (Lines{"[プラグインバージョン]", row.text}));
    // The key type is read on every run; the list-data file and the key are not touched.
    EXPECT_EQ(bench.reads, (Reads{"keytype", "name"}));
  }
}

TEST_F(Run, PluginDescriptionsNeedNoListDataFile) {
  bench.listDataFilePath = "no_such_list.dat";
  EXPECT_EQ(RunNamed("GetPluginAuthor"), (Lines{"[プラグイン作者]", "必要バイト数 : 5", "abc"}));
  EXPECT_EQ(bench.reads, (Reads{"keytype", "name", "reqlen"}));
}

TEST_F(Run, RequestedLengthOverridesTheProbedSize) {
  const struct {
    const char* typed;
    const char* line;  // null: no override line
    size_t bufferSize;
    uint32_t sizeSlot;
  } rows[] = {
      {"", nullptr, 5, 5},
      {"0", nullptr, 5, 5},
      {"-5", nullptr, 5, 5},
      {"abc", nullptr, 5, 5},
      {"0.9", nullptr, 5, 5},
      {"2147483648", nullptr, 5, 5},
      {"-2147483649", nullptr, 5, 5},
      {"12.9", "バイト数 : 12 でリクエストしてみるテスト", 12, 12},
      {"&H10", "バイト数 : 16 でリクエストしてみるテスト", 16, 16},
      {"3", "バイト数 : 3 でリクエストしてみるテスト", 3, 3},
      {"70000", "バイト数 : 70000 でリクエストしてみるテスト", 70000, 4464},
      {"65536", "バイト数 : 65536 でリクエストしてみるテスト", 65536, 0},
  };
  for (const Request& request : kTwoPatterns) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(request.name) + " '" + row.typed + "'");
      bench = FakeBench();
      bench.listDataFilePath = "run_request_list.dat";
      bench.requestedLength = row.typed;
      Seen.clear();
      Script.written = std::string("x", 2);
      Lines expected = {request.label, "必要バイト数 : 5"};
      if (row.line) expected.push_back(row.line);
      expected.push_back("x");
      EXPECT_EQ(RunNamed(request.name), expected);
      ASSERT_EQ(Seen.size(), 2u);
      EXPECT_EQ(Seen[1].bufferAccessible, row.bufferSize);
      EXPECT_TRUE(Seen[1].bufferZero);
      EXPECT_EQ(Seen[1].slots.back(), row.sizeSlot);
      ASSERT_EQ(bench.returned.size(), 2u);
      EXPECT_EQ(bench.returned[1].bufferSize, static_cast<int32_t>(row.bufferSize));
    }
  }
}

TEST_F(Run, KeyTypeCodeComesFromTheSelectedEntry) {
  const struct {
    std::optional<KeyType> keyType;
    uint32_t slot;
  } rows[] = {{KeyType::Crc16, 16}, {KeyType::Crc32, 0}, {KeyType::Body, 100},
              {KeyType::BodyExt, 101}, {std::nullopt, 0}};
  for (const auto& row : rows) {
    for (const char* request : {"GetTitle", "GetImgNum"}) {
      SCOPED_TRACE(std::string(request) + " " + std::to_string(row.slot));
      bench = FakeBench();
      bench.listDataFilePath = "run_request_list.dat";
      bench.keyType = row.keyType;
      Seen.clear();
      RunNamed(request);
      ASSERT_FALSE(Seen.empty());
      for (const SeenCall& call : Seen) EXPECT_EQ(call.slots[2], row.slot);
      EXPECT_EQ(bench.reads.front(), "keytype");
    }
  }
}

TEST_F(Run, ListDataAndKeyAreReadOnlyAndZeroTerminatedDuringEveryCall) {
  WriteListDataFile("run_request_list.dat", std::string("LIST\nDATA\x82\xA0", 11));
  bench.testKey = "Game (J).zip";
  RunNamed("GetSaleDate");
  RunNamed("GetYear");
  ASSERT_EQ(Seen.size(), 3u);
  for (const SeenCall& call : Seen) {
    EXPECT_EQ(call.listData, std::string("LIST\nDATA\x82\xA0", 11));
    EXPECT_EQ(call.listDataTerminator, 11u);
    EXPECT_EQ(call.listProtect, static_cast<DWORD>(PAGE_READONLY));
    EXPECT_EQ(call.key, "Game (J).zip");
    EXPECT_EQ(call.keyProtect, static_cast<DWORD>(PAGE_READONLY));
    EXPECT_GE(call.keyAccessible, 260u);
  }
  // Both calls of one negotiation see the same regions.
  EXPECT_EQ(Seen[0].slots[0], Seen[1].slots[0]);
  EXPECT_EQ(Seen[0].slots[1], Seen[1].slots[1]);
}

TEST_F(Run, KeyIsCutAt259Bytes) {
  bench.testKey = std::string(300, 'k');
  RunNamed("GetKana");
  ASSERT_FALSE(Seen.empty());
  EXPECT_EQ(Seen[0].key, std::string(259, 'k'));
}

TEST_F(Run, EmptyListDataAppendsNothingAndCallsNothing) {
  for (const std::string& content : {std::string(), std::string("\0LIST", 5)}) {
    WriteListDataFile("run_request_list.dat", content);
    for (const char* request : {"GetTitle", "GetYear", "GetSaleDate", "GetCeroRating"}) {
      SCOPED_TRACE(request);
      bench = FakeBench();
      bench.listDataFilePath = "run_request_list.dat";
      EXPECT_EQ(RunNamed(request), Lines{});
      EXPECT_EQ(bench.reads, (Reads{"keytype", "name", "path", "key"}));
    }
  }
  EXPECT_TRUE(Seen.empty());
}

TEST_F(Run, UnreadableListDataFileIsReportedEvenWithoutAPlugin) {
  CreateDirectoryA("run_request_folder", nullptr);
  for (bool loaded : {true, false}) {
    if (loaded) InstallFakePlugin(); else RemovePlugin();
    for (const char* path : {"", "no_such_list.dat", "run_request_folder", "C:\\"}) {
      for (const char* request : {"GetTitle", "GetYear", "GetSaleDate", "-------------", ""}) {
        SCOPED_TRACE(std::string(request) + " '" + path + "' " + (loaded ? "loaded" : "none"));
        bench = FakeBench();
        bench.listDataFilePath = path;
        EXPECT_EQ(RunNamed(request), Lines{kNoOpen});
        EXPECT_EQ(bench.reads, (Reads{"keytype", "name", "path"}));
      }
    }
  }
  RemoveDirectoryA("run_request_folder");
  EXPECT_TRUE(Seen.empty());
}

TEST_F(Run, SeparatorOrNoSelectionReadsTheFileAndCallsNothing) {
  for (const char* request : {"-------------", "", "gettitle", "GetTitle ", "Get"}) {
    SCOPED_TRACE(request);
    bench = FakeBench();
    bench.listDataFilePath = "run_request_list.dat";
    EXPECT_EQ(RunNamed(request), Lines{});
    EXPECT_EQ(bench.reads, (Reads{"keytype", "name", "path", "key"}));
  }
  EXPECT_TRUE(Seen.empty());
}

TEST_F(Run, AbsentEntryPointAppendsNothing) {
  RemovePlugin();
  for (const char* request : {"GetPluginVersion", "GetPluginAuthor", "GetPluginInfo"}) {
    bench = FakeBench();
    EXPECT_EQ(RunNamed(request), Lines{});
    EXPECT_EQ(bench.reads, (Reads{"keytype", "name"}));
  }
  for (const char* request : {"GetTitle", "GetYear", "GetSaleDate"}) {
    bench = FakeBench();
    bench.listDataFilePath = "run_request_list.dat";
    EXPECT_EQ(RunNamed(request), Lines{});
  }
  // A plugin lacking only the selected export.
  InstallFakePlugin();
  PluginTable[kGetPrice] = nullptr;
  bench = FakeBench();
  bench.listDataFilePath = "run_request_list.dat";
  EXPECT_EQ(RunNamed("GetPrice"), Lines{});
  EXPECT_TRUE(Seen.empty());
}

TEST_F(Run, SaleDateWarningSitsBetweenStatusLineAndText) {
  const struct {
    int16_t second;
    std::string text;
    Lines after;  // the lines after "必要バイト数"
  } rows[] = {
      {1, "2013", {"2013"}},
      {1, "ABCD", {"ABCD"}},
      {1, "日本", {"日本"}},
      {1, "2013-03", {"2013-03"}},
      {1, "2013-0-", {"2013-0-"}},
      {1, "2013/03", {kWarnMonth, "2013/03"}},
      {1, "201-303", {kWarnMonth, "201-303"}},
      {-768, "2013/03", {"エラー：正しく取得したが該当データは不在だった", kWarnMonth, "2013/03"}},
      {-1, "2013/03", {kWarnMonth, "2013/03"}},
      {1, "2013-03-08", {"2013-03-08"}},
      {1, "2013--3-08", {"2013--3-08"}},
      {1, "2013-03-0-", {"2013-03-0-"}},
      {1, "2013/03/08", {kWarnDay, "2013/03/08"}},
      {1, "2013-0--08", {kWarnDay, "2013-0--08"}},
      {1, "日本語2013", {kWarnDay, "日本語2013"}},
      {1, "2013-3-8", {kWarnDay, "2013-3-8"}},
      {1, "20130308", {kWarnDay, "20130308"}},
      {1, "2013-03-08 ", {kWarnDay, "2013-03-08 "}},
      {1, "", {kWarnDay}},
      {0, "", {kSizeZero, kWarnDay}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text + " " + std::to_string(row.second));
    bench = FakeBench();
    bench.listDataFilePath = "run_request_list.dat";
    Script.second = row.second;
    Script.written = row.text + '\0';
    Script.probe = static_cast<int16_t>(row.text.size() + 1);
    Lines expected = {"[発売年月日]", "必要バイト数 : " + std::to_string(row.text.size() + 1)};
    expected.insert(expected.end(), row.after.begin(), row.after.end());
    EXPECT_EQ(RunNamed("GetSaleDate"), expected);
  }
}

TEST_F(Run, SaleDateProbeFailureGivesNoDateWarning) {
  Script.probe = 0;
  EXPECT_EQ(RunNamed("GetSaleDate"), (Lines{"[発売年月日]", kSizeZero}));
}

TEST_F(Run, SuccessiveRunsAppendAfterEachOther) {
  RunNamed("GetYear");
  Script.number = 0;
  EXPECT_EQ(RunNamed("GetYear"), (Lines{"[発売年]", "1987", "[発売年]", "0"}));
}

}  // namespace
