// The test-vector file format and the difference shown for a failed case.
#include <gtest/gtest.h>

#include "checker/test_vectors.h"
#include "checker/text_encoding.h"
#include "checker/vector_writer.h"
#include "plugin/contract.h"

namespace {

TEST(TestVectors, ReadsCasesWithTheirFieldsAndExpectedLines) {
  const std::string text =
      "\xEF\xBB\xBF# comment\r\n"
      "case first one\r\n"
      "list lists/a b.txt\r\n"
      "key  two spaces \r\n"
      "key-type body.ext\r\n"
      "request GetTitle\r\n"
      "req-len 12.9\r\n"
      "> [x]\r\n"
      "\r\n"
      ">  indented \r\n"
      "case second\n"
      "key\n"
      "request GetYear\n";
  std::vector<TestVector> cases;
  std::string error;
  ASSERT_TRUE(ParseTestVectors(text, cases, error)) << error;
  ASSERT_EQ(cases.size(), 2u);
  EXPECT_EQ(cases[0].name, "first one");
  EXPECT_EQ(cases[0].line, 2);
  EXPECT_EQ(cases[0].list, "lists/a b.txt");
  EXPECT_EQ(cases[0].key, " two spaces ");
  EXPECT_EQ(cases[0].keyType, KeyType::BodyExt);
  EXPECT_EQ(cases[0].request, kGetTitle);
  EXPECT_EQ(cases[0].requestedLength, "12.9");
  EXPECT_EQ(cases[0].expected, (std::vector<std::string>{"[x]", " indented "}));
  EXPECT_EQ(cases[1].key, "");
  EXPECT_EQ(cases[1].keyType, KeyType::Crc32);  // the default
  EXPECT_TRUE(cases[1].expected.empty());
}

TEST(TestVectors, NamesTheLineOfEachMistake) {
  const struct {
    const char* text;
    const char* error;
  } kCases[] = {
      {"", "holds no case"},
      {"# only a comment\n", "holds no case"},
      {"request GetTitle\n", "line 1: \"request\" before the first case"},
      {"> x\n", "line 1: an expected line before the first case"},
      {"case a\nrequest GetTitle\n>\n", "line 3: an expected line cannot be empty"},
      {"case a\nrequest GetTitel\n", "line 2: \"GetTitel\" is not one of the 24"},
      {"case a\nkey-type crc64\n", "line 2: unknown key type"},
      {"case a\nrequest GetTitle\nkey a\nkey b\n", "line 4: \"key\" is given twice"},
      {"case a\ncolour red\n", "line 2: unknown field \"colour\""},
      {"case a\nkey k\ncase b\nrequest GetTitle\n", "case \"a\" (line 1) has no request"},
      {"case \nrequest GetTitle\n", "line 1: a case needs a name"},
      {"case a\nkey k\nkey-bytes 41\n", "line 3: the case gives both \"key\" and \"key-bytes\""},
      {"case a\nkey-bytes 4\n", "line 2: key-bytes needs hexadecimal bytes"},
      {"case a\nkey-bytes 41x2\n", "line 2: key-bytes needs hexadecimal bytes"},
  };
  for (const auto& c : kCases) {
    std::vector<TestVector> cases;
    std::string error;
    EXPECT_FALSE(ParseTestVectors(c.text, cases, error)) << c.text;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

// What the record mode and the saved fuzz failures write is read back byte for byte.
TEST(VectorWriter, WritesCasesThatReadBackAsTheBenchRanThem) {
  const std::string keys[] = {"0BADF00D", "表示 ソフト ", "", "K\x82", "a\rb", std::string("z\0z", 3)};
  for (const std::string& key : keys) {
    TestVector bench;
    bench.name = "GetTitle";
    bench.list = "../lists/a b.txt";
    bench.key = key;
    bench.keyType = std::nullopt;
    bench.request = kGetTitle;
    bench.requestedLength = "12.9";
    bench.expected = {"[タイトル]", "表示・"};
    std::string text, problem, error;
    ASSERT_TRUE(FormatVectorCase(bench, {"a comment"}, text, problem)) << problem;
    std::vector<TestVector> read;
    ASSERT_TRUE(ParseTestVectors(text, read, error)) << error << "\n" << text;
    ASSERT_EQ(read.size(), 1u);
    std::string readKey = read[0].key;
    if (!read[0].keyIsBytes) {
      ASSERT_TRUE(Utf8ToSjis(read[0].key, readKey));
    }
    EXPECT_EQ(readKey, key) << text;
    EXPECT_EQ(read[0].list, bench.list);
    EXPECT_EQ(read[0].keyType, std::nullopt);
    EXPECT_EQ(read[0].requestedLength, "12.9");
    ASSERT_EQ(read[0].expected.size(), 2u);
    std::string line;
    EXPECT_TRUE(Utf8ToSjis(read[0].expected[1], line) && line == bench.expected[1]) << text;
  }
  TestVector broken;
  broken.name = "GetMemo";
  broken.request = kGetMemo;
  broken.expected = {"two\nlines"};
  std::string text, problem;
  EXPECT_FALSE(FormatVectorCase(broken, {}, text, problem));
  EXPECT_NE(problem.find("line 1 of GetMemo"), std::string::npos) << problem;
}

TEST(LineDifference, AlignsOnTheCommonLines) {
  using Lines = std::vector<std::string>;
  const struct {
    Lines expected, actual, diff;
  } kCases[] = {
      {{"a", "b"}, {"a", "b"}, {"  a", "  b"}},
      {{"a", "b", "c"}, {"a", "x", "c"}, {"  a", "- b", "+ x", "  c"}},
      {{"a"}, {"a", "b"}, {"  a", "+ b"}},
      {{"a", "b"}, {"b"}, {"- a", "  b"}},
      {{}, {"z"}, {"+ z"}},
      {{"z"}, {}, {"- z"}},
  };
  for (const auto& c : kCases) EXPECT_EQ(LineDifference(c.expected, c.actual), c.diff);
}

}  // namespace
