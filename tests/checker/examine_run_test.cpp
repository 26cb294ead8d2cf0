// Reading a run of the real request runner: in-process stand-ins for plugin exports, put into
// PluginTable, behave in each way that the checker must tell apart.
#include <gtest/gtest.h>

#include <cstring>

#include "checker/checker_bench.h"
#include "checker/file_bytes.h"
#include "plugin/contract.h"
#include "tests/checker/checker_process.h"

namespace {

short Answer(const char* text, char** buffer, unsigned short size) {
  const size_t length = std::strlen(text);
  if (*buffer == nullptr) return static_cast<short>(length + 1);
  const size_t fits = length < size ? length : size - 1u;
  std::memcpy(*buffer, text, fits);
  (*buffer)[fits] = '\0';
  return static_cast<short>(length + 1);
}

short __stdcall Fine(const char*, const char*, short, char** buffer, unsigned short size) {
  return Answer("abc", buffer, size);
}
short __stdcall NotThereWithText(const char*, const char*, short, char** buffer, unsigned short size) {
  if (*buffer == nullptr) return 8;
  Answer("partial", buffer, size);
  return -768;
}
short __stdcall Unterminated(const char*, const char*, short, char** buffer, unsigned short size) {
  if (*buffer == nullptr) return 4;
  std::memset(*buffer, 'x', size);
  return 4;
}
char OwnText[] = "mine";
short __stdcall Retargets(const char*, const char*, short, char** buffer, unsigned short) {
  if (*buffer == nullptr) return 5;
  *buffer = OwnText;
  return 5;
}
short __stdcall ZeroProbe(const char*, const char*, short, char**, unsigned short) { return 0; }
short __stdcall NotANumber(const char*, const char*, short) { return -769; }
short __cdecl CdeclNumber(const char*, const char*, short) { return 7; }
char* volatile NullPointer = nullptr;
short __stdcall NullWrite(const char*, const char*, short) {
  *NullPointer = 'x';
  return 0;
}
short __stdcall OverrunsSecondCall(const char*, const char*, short, char** buffer, unsigned short size) {
  if (*buffer == nullptr) return 4;
  std::memset(*buffer, 'x', size + 64u);
  return 4;
}
short __stdcall BadDate(const char*, const char*, short, char** buffer, unsigned short size) {
  return Answer("", buffer, size);
}
// Texts that read like the bench's own lines about an answer.
short __stdcall LooksLikeAFinding(const char*, const char*, short, char** buffer, unsigned short size) {
  return Answer("警告：プラグインがバッファのアドレスを書き換えました", buffer, size);
}
short __stdcall LooksLikeADateWarning(const char*, const char*, short, char** buffer,
                                      unsigned short size) {
  return Answer("[警告]YYYY-mm形式じゃないみたい", buffer, size);
}

class ExamineRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (void*& entry : PluginTable) entry = nullptr;
    list_ = ScratchFile("examine.txt", "list data");
  }
  void TearDown() override {
    for (void*& entry : PluginTable) entry = nullptr;
  }

  RequestOutcome Run(int request, void* entry, const std::string& requestedLength = "") {
    PluginTable[request] = entry;
    RequestInputs inputs;
    inputs.request = request;
    inputs.listPath = list_;
    inputs.key = "k";
    inputs.requestedLength = requestedLength;
    CheckerBench bench(inputs);
    RunOneRequest(bench, DescribeInputs(inputs));
    lines_ = ReportLines(bench.events());
    return ExamineRun(bench);
  }

  std::string list_;
  std::vector<std::string> lines_;
};

TEST_F(ExamineRunTest, AWellBehavedTextRequest) {
  const RequestOutcome o = Run(kGetTitle, reinterpret_cast<void*>(&Fine), "3");
  EXPECT_TRUE(o.called && o.completed);
  EXPECT_TRUE(o.hasProbe && o.probe == 4);
  EXPECT_TRUE(o.hasAnswer && o.answer == 4 && o.bufferSize == 3);
  EXPECT_TRUE(o.hasText);
  EXPECT_EQ(o.text, "ab");
  EXPECT_TRUE(o.warnings.empty() && o.breaches.empty() && !o.abandoned);
}

TEST_F(ExamineRunTest, AStatusMessageBeforeTheTextIsNeitherTextNorWarning) {
  const RequestOutcome o = Run(kGetMaker, reinterpret_cast<void*>(&NotThereWithText));
  EXPECT_EQ(o.answer, -768);
  EXPECT_EQ(o.text, "partial");
  EXPECT_TRUE(o.warnings.empty());
}

TEST_F(ExamineRunTest, TheBenchsBufferWarningsAreWarningsNotText) {
  const RequestOutcome unterminated = Run(kGetCountry, reinterpret_cast<void*>(&Unterminated));
  EXPECT_TRUE(unterminated.completed);
  ASSERT_FALSE(unterminated.warnings.empty());
  EXPECT_TRUE(IsBenchFinding(unterminated.warnings[0]));
  EXPECT_EQ(unterminated.text, "xxxx");

  const RequestOutcome retargeted = Run(kGetVersion, reinterpret_cast<void*>(&Retargets));
  EXPECT_FALSE(retargeted.hasText);
  ASSERT_EQ(retargeted.warnings.size(), 1u);
  EXPECT_TRUE(IsBenchFinding(retargeted.warnings[0]));
}

TEST_F(ExamineRunTest, AZeroProbeIsAWarningAndEndsTheRequest) {
  const RequestOutcome o = Run(kGetGenre, reinterpret_cast<void*>(&ZeroProbe));
  EXPECT_TRUE(o.hasProbe && o.probe == 0);
  EXPECT_FALSE(o.hasAnswer);
  ASSERT_EQ(o.warnings.size(), 1u);
  const auto* status = std::get_if<StatusAnswered>(&o.warnings[0]);
  EXPECT_TRUE(status && status->code == 0);
  EXPECT_FALSE(IsBenchFinding(o.warnings[0]));  // the plugin's own answer
}

TEST_F(ExamineRunTest, AnEmptySaleDateGivesTheDateWarningAndNoText) {
  const RequestOutcome o = Run(kGetSaleDate, reinterpret_cast<void*>(&BadDate));
  EXPECT_FALSE(o.hasText);
  ASSERT_EQ(o.warnings.size(), 1u);
  EXPECT_TRUE(std::holds_alternative<SaleDateMisformed>(o.warnings[0]));
  EXPECT_FALSE(IsBenchFinding(o.warnings[0]));
}

TEST_F(ExamineRunTest, APluginsTextIsTextWhateverItSays) {
  const struct {
    int request;
    void* entry;
    bool dateWarning;  // the text is no date, and the bench says so
  } kCases[] = {
      {kGetTitle, reinterpret_cast<void*>(&LooksLikeAFinding), false},
      {kGetSaleDate, reinterpret_cast<void*>(&LooksLikeAFinding), true},
      {kGetSaleDate, reinterpret_cast<void*>(&LooksLikeADateWarning), true},
  };
  for (const auto& c : kCases) {
    const RequestOutcome o = Run(c.request, c.entry);
    ASSERT_TRUE(o.completed && o.hasText);
    EXPECT_EQ(o.text, lines_.back());
    ASSERT_EQ(o.warnings.size(), c.dateWarning ? 1u : 0u) << o.text;
    if (c.dateWarning) {
      EXPECT_TRUE(std::holds_alternative<SaleDateMisformed>(o.warnings[0]));
      EXPECT_FALSE(IsBenchFinding(o.warnings[0]));
    }
  }
}

TEST_F(ExamineRunTest, NumbersAndTheirStatusCodes) {
  const RequestOutcome o = Run(kGetYear, reinterpret_cast<void*>(&NotANumber));
  EXPECT_TRUE(o.completed && o.hasAnswer);
  EXPECT_EQ(o.answer, -769);
  EXPECT_FALSE(o.hasProbe);
}

TEST_F(ExamineRunTest, ConventionBreachesAreSeparatedFromTheAnswer) {
  const RequestOutcome o = Run(kGetImgNum, reinterpret_cast<void*>(&CdeclNumber));
  EXPECT_TRUE(o.completed);
  EXPECT_EQ(o.answer, 7);
  ASSERT_EQ(o.breaches.size(), 1u);
  EXPECT_EQ(o.breaches[0].breach.kind, ConventionBreach::Kind::Cdecl);
  EXPECT_EQ(lines_.back(), "7");
}

TEST_F(ExamineRunTest, FaultsOnEitherCallLeaveTheRunIncomplete) {
  const RequestOutcome first = Run(kGetR, reinterpret_cast<void*>(&NullWrite));
  EXPECT_TRUE(first.called);
  EXPECT_FALSE(first.completed);
  ASSERT_EQ(FailureLines(first).size(), 1u);
  EXPECT_EQ(FailureLines(first)[0], lines_.back());

  const RequestOutcome second = Run(kGetKana, reinterpret_cast<void*>(&OverrunsSecondCall), "2");
  EXPECT_FALSE(second.completed);
  EXPECT_TRUE(second.hasProbe);
  EXPECT_EQ(FailureLines(second).size(), 1u);  // the override line is not part of it
  EXPECT_TRUE(second.breaches.empty());
}

TEST_F(ExamineRunTest, AnAbsentExportOrUnreadableListIsNoCall) {
  EXPECT_FALSE(Run(kGetTitle, nullptr).called);
  list_ = "no such list file";
  EXPECT_FALSE(Run(kGetTitle, reinterpret_cast<void*>(&Fine)).called);
  EXPECT_EQ(lines_.size(), 1u);
}

TEST(CopyBoxText, KeepsWithinTheLimitWithoutSplittingACharacter) {
  const struct {
    std::string text;
    int limit;
    std::string expected;
  } kCases[] = {
      {"abc", 10, "abc"},     {"abcdef", 4, "abc"},   {"", 5, ""},
      {"日本", 4, "日"},       {"日本", 5, "日本"},     {"a日本", 5, "a日"},
  };
  for (const auto& c : kCases) {
    char buffer[16];
    std::memset(buffer, 'z', sizeof buffer);
    CopyBoxText(c.text, buffer, c.limit);
    EXPECT_EQ(std::string(buffer), c.expected) << c.text << " " << c.limit;
  }
}

}  // namespace
