// Reading the checker's command line.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "checker/command_line.h"
#include "checker/options.h"
#include "plugin/contract.h"
#include "win/scoped_win.h"

namespace {

TEST(Options, ReadsEveryOptionOfTheManualMode) {
  CheckerOptions options;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--plugin", "p.dll", "--list=l.txt", "--key", "a b", "--key-type",
                            "body.ext", "--request", "GetYear", "--request", "GetTitle",
                            "--req-len", "12.9", "--encoding", "sjis", "--json", "--strict",
                            "--timeout", "2.5", "--junit", "r.xml"},
                           options, error))
      << error;
  EXPECT_EQ(options.mode, CheckerMode::Manual);
  EXPECT_EQ(options.pluginPath, "p.dll");
  EXPECT_EQ(options.listPath, "l.txt");
  EXPECT_EQ(options.keys, std::vector<std::string>{"a b"});
  EXPECT_EQ(options.keyTypes, std::vector<std::optional<KeyType>>{KeyType::BodyExt});
  EXPECT_EQ(options.requests, (std::vector<int>{kGetYear, kGetTitle}));
  EXPECT_TRUE(options.hasRequestedLength);
  EXPECT_EQ(options.requestedLength, "12.9");
  EXPECT_EQ(options.encoding, OutputEncoding::ShiftJis);
  EXPECT_TRUE(options.json && options.strict);
  EXPECT_DOUBLE_EQ(options.timeoutSeconds, 2.5);
  EXPECT_EQ(options.junitPath, "r.xml");
}

TEST(Options, KeyTypeNamesMapToTheKeyTypes) {
  const struct {
    const char* name;
    bool known;
    std::optional<KeyType> keyType;
  } kNames[] = {{"crc16", true, KeyType::Crc16},  {"crc32", true, KeyType::Crc32},
                {"body", true, KeyType::Body},    {"body.ext", true, KeyType::BodyExt},
                {"none", true, std::nullopt},     {"CRC16", false, std::nullopt},
                {"", false, std::nullopt}};
  for (const auto& k : kNames) {
    std::optional<KeyType> keyType = KeyType::Body;
    EXPECT_EQ(KeyTypeFromOptionName(k.name, keyType), k.known) << k.name;
    if (k.known) {
      EXPECT_EQ(keyType, k.keyType) << k.name;
      EXPECT_STREQ(KeyTypeOptionName(k.keyType), k.name);
    }
  }
}

TEST(Options, ModesAndTheirOwnOptions) {
  CheckerOptions options;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--plugin", "p", "--fuzz", "25", "--seed", "4294967295"}, options, error)) << error;
  EXPECT_EQ(options.mode, CheckerMode::Fuzz);
  EXPECT_EQ(options.fuzzCount, 25u);
  EXPECT_EQ(options.seed, 0xFFFFFFFFu);
  ASSERT_TRUE(ParseOptions({"--plugin", "p", "--check", "--list", "l", "--key", "a", "--key", "b"},
                           options, error)) << error;
  EXPECT_EQ(options.mode, CheckerMode::Check);
  EXPECT_EQ(options.keys.size(), 2u);
  ASSERT_TRUE(ParseOptions({"--plugin", "p", "--expect", "v.txt"}, options, error)) << error;
  EXPECT_EQ(options.mode, CheckerMode::Expect);
  ASSERT_TRUE(ParseOptions({"--plugin", "p", "--leaks", "10", "--list", "l", "--key", "k", "--req-len", "3"},
                           options, error)) << error;
  EXPECT_EQ(options.mode, CheckerMode::Leaks);
  EXPECT_EQ(options.leakCount, 10u);
  // The plugin-description requests need neither list data nor a key.
  ASSERT_TRUE(ParseOptions({"--plugin", "p", "--request", "GetPluginInfo"}, options, error)) << error;
}

TEST(Options, RejectsBadUsageWithAMessage) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } kCases[] = {
      {{"--list", "l", "--key", "k"}, "--plugin FILE is required"},
      {{"--plugin"}, "--plugin needs a value"},
      {{"--plugin="}, "--plugin needs a file name"},
      {{"--plugin", "p", "--key", "k"}, "--list FILE is required"},
      {{"--plugin", "p", "--list", "l", "--key", "a", "--key", "b"}, "--key may be given once in the manual mode"},
      {{"--plugin", "p", "--list", "l", "--key", "k", "--json=yes"}, "--json takes no value"},
      {{"--plugin", "p", "--list", "l", "--key", "k", "--encoding", "latin1"}, "unknown encoding"},
      {{"--plugin", "p", "--list", "l", "--key", "k", "-x"}, "unknown option \"-x\""},
      {{"--plugin", "p", "--list", "l", "--key", "k", "--request", "gettitle"}, "is not one of the 24"},
      {{"--plugin", "p", "--check", "--list", "l", "--key", "k", "--req-len", "3"}, "--req-len belongs"},
      {{"--plugin", "p", "--list", "l", "--key", "k", "--seed", "3"}, "--seed belongs to --fuzz"},
      {{"--plugin", "p", "--list", "l", "--key", "k", "--save-failures", "d"}, "--save-failures belongs to --fuzz"},
      {{"--plugin", "p", "--expect", "v", "--record", "r"}, "--record belongs to the manual mode"},
      {{"--plugin", "p", "--fuzz", "-1"}, "--fuzz needs a count"},
      {{"--plugin", "p", "--fuzz", "1000001"}, "--fuzz needs a count"},
      {{"--plugin", "p", "--fuzz", "2", "--seed", "4294967296"}, "--seed needs a whole number"},
      {{"--plugin", "p", "--fuzz", "2", "--timeout", "-1"}, "--timeout needs a number"},
      {{"--plugin", "p", "--expect", "v", "--key", "k"}, "--expect takes the list"},
      {{"--plugin", "p", "--expect", "v", "--check"}, "cannot be combined"},
      {{"--plugin", "p", "--leaks", "9", "--list", "l", "--key", "k"}, "--leaks needs a count from 10"},
      {{"--plugin", "p", "--leaks", "20", "--list", "l", "--key", "a", "--key", "b"}, "--key may be given once with --leaks"},
      {{"--plugin", "p", "--leaks", "20", "--key", "k"}, "--list FILE is required"},
  };
  for (const auto& c : kCases) {
    CheckerOptions options;
    std::string error;
    EXPECT_FALSE(ParseOptions(c.args, options, error)) << c.error;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

TEST(Options, QuotedArgumentsSplitBackUnchanged) {
  const std::string kArgs[] = {"plain", "with space", "", "quote\"inside", "trailing\\",
                               "C:\\dir with space\\", "back\\\\\"slashes", "tab\there"};
  for (const std::string& arg : kArgs) {
    const std::string line = "program " + QuoteArgument(arg);
    std::wstring wide(line.begin(), line.end());
    int count = 0;
    const LocalMemory<LPWSTR*> argv(CommandLineToArgvW(wide.c_str(), &count));
    ASSERT_EQ(count, 2) << line;
    const std::wstring back = argv.get()[1];
    EXPECT_EQ(std::string(back.begin(), back.end()), arg) << line;
  }
}

}  // namespace
