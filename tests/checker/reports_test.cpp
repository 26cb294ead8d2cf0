// The JSON and JUnit writers: valid documents whatever the report lines hold.
#include <gtest/gtest.h>

#include "checker/reports.h"
#include "checker/text_encoding.h"

namespace {

TEST(AsShown, ALeadByteCutFromItsTrailIsShownAsTheWindowShowsIt) {
  EXPECT_EQ(AsShown("星の海の"), "星の海の");
  EXPECT_EQ(AsShown("ab\x82"), "ab・");
  EXPECT_EQ(AsShown(""), "");
}

TEST(JsonQuote, EscapesWhatJsonCannotHoldAndConvertsToUtf8) {
  const struct {
    std::string sjis;
    std::string json;
  } kCases[] = {
      {"plain", "\"plain\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"line\nbreak\r\ttab", "\"line\\nbreak\\r\\ttab\""},
      {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
      {"表示", "\"" + SjisToUtf8("表示") + "\""},  // 0x5C as a trail byte is no backslash
  };
  for (const auto& c : kCases) EXPECT_EQ(JsonQuote(c.sjis), c.json) << c.sjis;
}

TEST(JsonWriter, NestsObjectsAndArraysWithCommas) {
  JsonWriter json;
  json.BeginObject();
  json.Key("a");
  json.Number(-5);
  json.Key("b");
  json.StringArray({"x", "y"});
  json.Key("c");
  json.BeginArray();
  json.EndArray();
  json.Key("d");
  json.Bool(false);
  json.EndObject();
  std::string compact;
  for (char c : json.Text()) {
    if (c != ' ' && c != '\r' && c != '\n') compact += c;
  }
  EXPECT_EQ(compact, "{\"a\":-5,\"b\":[\"x\",\"y\"],\"c\":[],\"d\":false}");
}

CaseResult Case(const std::string& name, const std::vector<std::string>& failures = {},
                const std::vector<std::string>& output = {}) {
  CaseResult c;
  c.name = name;
  c.failures = failures;
  c.output = output;
  return c;
}

TEST(JunitReport, CountsFailuresAndEscapesMarkup) {
  const std::string xml = JunitReport(
      "suite", {Case("passes"), Case("fails <1>", {"bad & \"worse\""}, {"line", "エラー：x\x01"})});
  for (const std::string& part : {
           std::string("<testsuites tests=\"2\" failures=\"1\" errors=\"0\" skipped=\"0\""),
           std::string("<testcase classname=\"suite\" name=\"passes\" time=\"0.000\"/>"),
           std::string("name=\"fails &lt;1&gt;\""),
           std::string("<failure message=\"bad &amp; &quot;worse&quot;\">"),
           std::string("<system-out>line\n") + SjisToUtf8("エラー：") + "x?\n</system-out>",
       }) {
    EXPECT_NE(xml.find(part), std::string::npos) << part << "\n" << xml;
  }
}

TEST(JunitReport, AFaultIsAnErrorAWrongAnswerAFailureAndEachCaseCountsOnce) {
  CaseResult fault = Case("fault", {"wrong too"});
  fault.errors = {"crashed"};
  fault.seconds = 1.5;
  CaseResult wrong = Case("wrong", {"lines differ", "and a warning"});
  wrong.failureDetail = {"- old", "+ new"};
  wrong.seconds = 0.25;
  CaseResult absent = Case("absent");
  absent.skipped = "not exported";
  const std::string xml = JunitReport("s", {fault, wrong, absent, Case("fine")});
  for (const std::string& part : {
           std::string("<testsuite name=\"s\" tests=\"4\" failures=\"1\" errors=\"1\" skipped=\"1\" "
                       "time=\"1.750\">"),
           std::string("name=\"fault\" time=\"1.500\">\r\n      <error message=\"crashed\">"),
           std::string("<failure message=\"lines differ\">lines differ\n- old\n+ new</failure>"),
           std::string("<failure message=\"and a warning\">and a warning</failure>"),
           std::string("name=\"absent\" time=\"0.000\">\r\n      <skipped message=\"not exported\"/>"),
       }) {
    EXPECT_NE(xml.find(part), std::string::npos) << part << "\n" << xml;
  }
}

}  // namespace
