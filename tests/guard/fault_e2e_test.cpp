// Faulting plugins in the real window, driven from outside as a user would: every fault ends as a
// report line, the bench answers the next request as before, and closing still saves and exits 0.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drive/bench_driver.h"

namespace {

using e2e::BenchProcess;

std::string FullPath(const char* name) {
  char path[MAX_PATH] = {};
  GetFullPathNameA(name, MAX_PATH, path, nullptr);
  return path;
}

// The lines a run appended, given the lines before it.
std::vector<std::string> NewLines(BenchProcess& bench, size_t before) {
  const std::vector<std::string> all = bench.ResultLines();
  return std::vector<std::string>(all.begin() + static_cast<long>(before), all.end());
}

std::vector<std::string> RunRequestNamed(BenchProcess& bench, const char* request) {
  const size_t before = bench.ResultLines().size();
  EXPECT_TRUE(bench.SelectText(RequestCombo, request)) << request;
  EXPECT_TRUE(bench.Click(RunButton)) << request;
  return NewLines(bench, before);
}

bool IsErrorLine(const std::string& line) { return line.rfind("エラー：", 0) == 0; }

TEST(FaultInWindow, EveryFaultIsOneReportLineAndTheBenchGoesOn) {
  const std::string folder = e2e::FreshFolder("fault_e2e");
  ASSERT_TRUE(e2e::WriteFileBytes(folder + "\\list.txt", "list data\r\n"));
  BenchProcess bench;
  ASSERT_TRUE(bench.Start(folder));
  ASSERT_TRUE(bench.ClickThroughFileDialog(LoadButton, FullPath("faulty_contract.dll")).actionEnded);
  ASSERT_TRUE(bench.SetText(DatFileEdit, folder + "\\list.txt"));
  ASSERT_TRUE(bench.SetText(TestKeyEdit, "key"));

  const std::vector<std::string> wellBehaved = RunRequestNamed(bench, "GetTitle");
  ASSERT_FALSE(wellBehaved.empty());
  EXPECT_EQ(wellBehaved.back(), "key");

  // Access violations (a null write, into the list data, into the key, past the buffer), division
  // by zero, a C++ throw, endless recursion (twice), an illegal instruction and a breakpoint.
  const char* faulting[] = {"GetMaker",     "GetModel",      "GetPrice",     "GetCountry",
                            "GetGenre",     "GetCreator",    "GetMediaInfo", "GetMediaInfo",
                            "GetDeviceInfo", "GetPlayer"};
  for (const char* request : faulting) {
    const std::vector<std::string> lines = RunRequestNamed(bench, request);
    ASSERT_FALSE(lines.empty()) << request;
    EXPECT_TRUE(IsErrorLine(lines.back())) << request << ": " << lines.back();
    EXPECT_EQ(RunRequestNamed(bench, "GetTitle"), wellBehaved) << "after " << request;
  }

  // The same fault over and over recovers every time.
  for (int i = 0; i < 20; ++i) {
    const std::vector<std::string> lines = RunRequestNamed(bench, "GetMaker");
    ASSERT_FALSE(lines.empty());
    ASSERT_TRUE(IsErrorLine(lines.back())) << i;
  }
  EXPECT_EQ(RunRequestNamed(bench, "GetTitle"), wellBehaved);

  EXPECT_EQ(bench.Close(), 0u);
  std::string settings;
  ASSERT_TRUE(e2e::ReadFileBytes(folder + "\\QB2LPT.ini", settings));
  EXPECT_NE(settings.find("DatFile=" + folder + "\\list.txt"), std::string::npos) << settings;
}

}  // namespace
