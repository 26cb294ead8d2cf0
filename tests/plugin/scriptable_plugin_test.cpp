// The scriptable test plugin itself, called directly: other tests rely on its answers following
// the script exactly and on its log telling the truth about what it received.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/plugins/scriptable_support.h"
#include "win/scoped_win.h"

namespace {

using VersionFn = int32_t(__stdcall*)();
using PluginTextFn = int32_t(__stdcall*)(char**, uint32_t);
using SizedTextFn = int32_t(__stdcall*)(const char*, const char*, uint32_t, char**, uint32_t);
using NumberFn = int32_t(__stdcall*)(const char*, const char*, uint32_t);

class ScriptablePluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_.Reset(LoadLibraryA("scriptable_plugin.dll"));
    ASSERT_TRUE(module_.IsValid());
  }
  void TearDown() override { module_.Reset(); }

  template <typename Fn>
  Fn Export(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
  }

  // A sized-text call with a buffer variable holding `buffer`.
  int32_t SizedText(const char* name, const std::string& listData, const char* key, char* buffer,
                    uint32_t size, uint32_t keyType = 0) {
    char* variable = buffer;
    return Export<SizedTextFn>(name)(listData.c_str(), key, keyType, &variable, size);
  }

  ScriptedPluginFiles files_{"scriptable_plugin_test"};
  LibraryModule module_;
};

TEST_F(ScriptablePluginTest, ProbeAsksForTheTextThenTheSecondCallWritesIt) {
  const std::string list = "GetTitle text=Hello\n";
  EXPECT_EQ(SizedText("GetTitle", list, "K", nullptr, 0), 6);
  char buffer[6] = {};
  EXPECT_EQ(SizedText("GetTitle", list, "K", buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "Hello");

  const std::vector<std::string> log = files_.LogLines();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(LogExport(log[0]), "GetTitle");
  EXPECT_EQ(LogField(log[0], "buffer"), "null");
  EXPECT_EQ(LogField(log[0], "zeroed"), "-");
  EXPECT_EQ(LogField(log[0], "wrote"), "0");
  EXPECT_EQ(LogField(log[0], "returned"), "0x00000006");
  EXPECT_EQ(LogField(log[1], "zeroed"), "yes");
  EXPECT_EQ(LogField(log[1], "wrote"), "6");
  EXPECT_EQ(LogField(log[1], "size"), "0x00000006");
  EXPECT_EQ(LogField(log[1], "listlen"), std::to_string(list.size()));
  EXPECT_EQ(LogField(log[1], "keytext"), "K");
}

TEST_F(ScriptablePluginTest, WriteModesAndSizes) {
  struct Case {
    const char* line;
    uint32_t sizeSlot;
    int32_t result;
    std::string written;  // the first bytes of the buffer afterwards; the rest stays '*'
  };
  const Case cases[] = {
      {"GetMemo text=Hello", 4, 1, std::string("Hel\0", 4)},
      {"GetMemo write=fit text=Hello", 0, 1, ""},
      {"GetMemo write=fit text=Hello", 0x00010003, 1, std::string("He\0", 3)},  // low 16 bits
      {"GetMemo write=fill result=7 text=abc", 8, 7, "abcabcab"},
      {"GetMemo write=fill text=", 8, 1, ""},
      {"GetMemo write=overrun result=0 text=Hello", 2, 0, std::string("Hello\0", 6)},
      {"GetMemo result=-513 text=%41%5a%25%2", 16, -513, std::string("AZ%%2\0", 6)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    char buffer[16];
    std::memset(buffer, '*', sizeof buffer);
    EXPECT_EQ(SizedText("GetMemo", c.line, "K", buffer, c.sizeSlot), c.result);
    std::string expected = c.written + std::string(sizeof buffer - c.written.size(), '*');
    EXPECT_EQ(std::string(buffer, sizeof buffer), expected);
    const std::string last = files_.LogLines().back();
    EXPECT_EQ(LogField(last, "wrote"), std::to_string(c.written.size()));
    EXPECT_EQ(LogField(last, "zeroed"), c.sizeSlot & 0xFFFF ? "no" : "yes");
  }
}

TEST_F(ScriptablePluginTest, TheFirstLineWhoseKeyMatchesWins) {
  const std::string list =
      "some list data line\n"
      "GetTitle key=A text=first-A\r\n"
      "GetTitle key=two%20words text=spaced\n"
      "GetTitle key=B text=first-B\n"
      "GetTitleX text=other export\n"
      "GetTitle text=any key\n"
      "GetTitle key=A text=second-A\n";
  const struct {
    const char* key;
    const char* text;
  } cases[] = {{"A", "first-A"},
               {"B", "first-B"},
               {"two words", "spaced"},
               {"a", "any key"},
               {"", "any key"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    char buffer[32] = {};
    EXPECT_EQ(SizedText("GetTitle", list, c.key, nullptr, 0),
              static_cast<int32_t>(std::strlen(c.text) + 1));
    EXPECT_EQ(SizedText("GetTitle", list, c.key, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, c.text);
  }
}

TEST_F(ScriptablePluginTest, ShiftJisTextPassesUnchanged) {
  // 表 and ソ end in the byte 5C, the backslash.
  char buffer[32] = {};
  EXPECT_EQ(SizedText("GetKana", "GetKana key=表 text=ソフト表示\n", "表", buffer, sizeof buffer),
            1);
  EXPECT_STREQ(buffer, "ソフト表示");
  EXPECT_EQ(LogField(files_.LogLines().back(), "keytext"), "表");
}

TEST_F(ScriptablePluginTest, WithoutAMatchingLineTheKeyIsNotFound) {
  char buffer[8] = {};
  EXPECT_EQ(SizedText("GetTitle", "GetTitle key=A text=x\n", "B", nullptr, 0), -512);
  EXPECT_EQ(SizedText("GetTitle", "GetTitle key=A text=x\n", "B", buffer, sizeof buffer), -512);
  EXPECT_EQ(LogField(files_.LogLines().back(), "wrote"), "0");
  EXPECT_EQ(Export<NumberFn>("GetYear")("", "K", 0), -512);
  EXPECT_EQ(Export<VersionFn>("GetPluginVersion")(), -512);
}

TEST_F(ScriptablePluginTest, NumbersAndVersionsAreReturnedWhole) {
  const NumberFn getYear = Export<NumberFn>("GetYear");
  EXPECT_EQ(getYear("GetYear result=1998", "K", 0), 1998);
  EXPECT_EQ(getYear("GetYear", "K", 0), 0);
  EXPECT_EQ(getYear("GetYear result=-769", "K", 0), -769);
  EXPECT_EQ(getYear("GetYear result=0x00010005", "K", 0), 0x00010005);
  EXPECT_EQ(getYear("GetYear result=0xFFFFFFFF", "K", 0), -1);

  files_.SetScript("GetPluginVersion result=62\n");
  EXPECT_EQ(Export<VersionFn>("GetPluginVersion")(), 62);
  EXPECT_EQ(files_.LogLines().back(), "GetPluginVersion returned=0x0000003E");
}

TEST_F(ScriptablePluginTest, TheSideScriptServesThePluginTextsAndComesAfterTheListData) {
  files_.SetScript(
      "GetPluginAuthor probe=3 result=-1 text=ab\n"
      "GetTitle text=from the side script\n"
      "GetGenre text=side genre\n");
  const PluginTextFn author = Export<PluginTextFn>("GetPluginAuthor");
  char* variable = nullptr;
  EXPECT_EQ(author(&variable, 0), 3);
  char buffer[3] = {};
  variable = buffer;
  EXPECT_EQ(author(&variable, sizeof buffer), -1);
  EXPECT_STREQ(buffer, "ab");
  const std::string last = files_.LogLines().back();
  EXPECT_EQ(LogField(last, "listdata"), "(absent)");

  char title[32] = {};
  EXPECT_EQ(SizedText("GetTitle", "GetTitle text=from the list\n", "K", title, sizeof title), 1);
  EXPECT_STREQ(title, "from the list");
  char genre[32] = {};
  EXPECT_EQ(SizedText("GetGenre", "GetTitle text=from the list\n", "K", genre, sizeof genre), 1);
  EXPECT_STREQ(genre, "side genre");
}

TEST_F(ScriptablePluginTest, RetargetReplacesTheBufferVariable) {
  char buffer[8] = {};
  char* variable = buffer;
  const SizedTextFn getPrice = Export<SizedTextFn>("GetPrice");
  EXPECT_EQ(getPrice("GetPrice retarget=static text=elsewhere", "K", 0, &variable, sizeof buffer),
            1);
  ASSERT_NE(variable, buffer);
  EXPECT_STREQ(variable, "elsewhere");
  EXPECT_STREQ(buffer, "elsewhe");

  variable = buffer;
  EXPECT_EQ(getPrice("GetPrice retarget=null text=x", "K", 0, &variable, sizeof buffer), 1);
  EXPECT_EQ(variable, nullptr);
}

TEST_F(ScriptablePluginTest, UnreadableLinesAreLoggedAndSkipped) {
  const std::string list =
      "GetTitle stauts=1 text=typo\n"
      "GetTitle probe=twelve\n"
      "GetTitle write=all\n"
      "GetTitle key\n"
      "GetMaker nonsense here\n";
  EXPECT_EQ(SizedText("GetTitle", list, "K", nullptr, 0), -512);
  const std::vector<std::string> log = files_.LogLines();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0], "ScriptError GetTitle stauts=1 text=typo");
  EXPECT_EQ(log[3], "ScriptError GetTitle key");
  EXPECT_EQ(LogExport(log[4]), "GetTitle");
}

// A page of list data or key text, its protection set as the bench sets it during a call.
class ProtectedPage {
 public:
  ProtectedPage(const std::string& text, DWORD protection) {
    page_.Reset(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::memcpy(page_.get(), text.c_str(), text.size() + 1);
    DWORD previous;
    VirtualProtect(page_.get(), 4096, protection, &previous);
  }
  const char* text() const { return static_cast<const char*>(page_.get()); }

 private:
  PageReservation page_;
};

TEST_F(ScriptablePluginTest, TheLogTellsWhatCrossedTheBoundary) {
  const ProtectedPage list("GetCountry text=JP", PAGE_READONLY);
  const std::string key = "a%b\tc";  // writable, on the heap

  // A buffer whose last 8 bytes end the committed memory: two pages reserved, one committed.
  const PageReservation region(VirtualAlloc(nullptr, 8192, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(VirtualAlloc(region.get(), 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  char* buffer = static_cast<char*>(region.get()) + 4096 - 8;
  char* variable = buffer;
  EXPECT_EQ(Export<SizedTextFn>("GetCountry")(list.text(), key.c_str(), 0xFFFFFFF0, &variable,
                                              0x00010008),
            1);
  EXPECT_STREQ(buffer, "JP");

  const std::string line = files_.LogLines().back();
  char address[16];
  std::snprintf(address, sizeof address, "0x%08X",
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(list.text())));
  EXPECT_EQ(LogField(line, "listaddr"), address);
  std::snprintf(address, sizeof address, "0x%08X",
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(&variable)));
  EXPECT_EQ(LogField(line, "bufref"), address);
  std::snprintf(address, sizeof address, "0x%08X",
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(buffer)));
  EXPECT_EQ(LogField(line, "buffer"), address);
  EXPECT_EQ(LogField(line, "listdata"), "ro");
  EXPECT_EQ(LogField(line, "listlen"), "18");
  EXPECT_EQ(LogField(line, "keydata"), "rw");
  EXPECT_EQ(LogField(line, "keytype"), "0xFFFFFFF0");
  EXPECT_EQ(LogField(line, "size"), "0x00010008");
  EXPECT_EQ(LogField(line, "writable"), "8");
  EXPECT_EQ(LogField(line, "zeroed"), "yes");
  EXPECT_EQ(LogField(line, "wrote"), "3");
  EXPECT_EQ(LogField(line, "keytext"), "a%25b%09c");

  // Overrunning a buffer at the end of the committed memory stops there instead of faulting.
  variable = buffer;
  EXPECT_EQ(SizedText("GetCountry", "GetCountry write=overrun text=0123456789", "K", buffer, 8), 1);
  EXPECT_EQ(LogField(files_.LogLines().back(), "wrote"), "8");
  EXPECT_EQ(std::string(buffer, 8), "01234567");
}

TEST_F(ScriptablePluginTest, BadSlotsAreLoggedNotFollowed) {
  const NumberFn getR = Export<NumberFn>("GetR");
  EXPECT_EQ(getR(nullptr, nullptr, 101), -512);
  const std::string line = files_.LogLines().back();
  EXPECT_EQ(LogField(line, "listdata"), "bad");
  EXPECT_EQ(LogField(line, "listlen"), "-1");
  EXPECT_EQ(LogField(line, "keydata"), "bad");
  EXPECT_EQ(LogField(line, "keytype"), "0x00000065");
  EXPECT_EQ(LogField(line, "keytext"), "");

  files_.SetScript("GetPluginInfo text=info\n");
  EXPECT_EQ(Export<PluginTextFn>("GetPluginInfo")(nullptr, 0), 5);
  EXPECT_EQ(LogField(files_.LogLines().back(), "buffer"), "noref");
}

}  // namespace
