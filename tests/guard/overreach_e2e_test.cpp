// A plugin that reaches past its calls, in the real window: clicks that its own message loop lets
// through are ignored, ending the process fails only that call, and detach code that faults ends
// neither a load nor the bench. Each time the next request is exact and closing saves the settings.
#include <gtest/gtest.h>

#include "drive/bench_driver.h"

namespace {

class OverreachInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(e2e::WriteFileBytes(list_, "list data\r\n"));
    ASSERT_TRUE(bench_.Start(folder_));
    ASSERT_TRUE(Load("overreaching.dll"));
    ASSERT_TRUE(bench_.SetText(DatFileEdit, list_) && bench_.SetText(TestKeyEdit, "key"));
  }
  void TearDown() override {
    EXPECT_EQ(bench_.Close(), 0u);
    std::string settings;
    e2e::ReadFileBytes(folder_ + "\\QB2LPT.ini", settings);
    EXPECT_NE(settings.find("DatFile=" + list_), std::string::npos) << settings;
  }

  bool Load(const char* plugin) {
    char path[MAX_PATH] = {};
    GetFullPathNameA(plugin, MAX_PATH, path, nullptr);
    return bench_.ClickThroughFileDialog(LoadButton, path).actionEnded;
  }
  // The report lines that running `request` appends.
  std::vector<std::string> Run(const char* request) {
    const size_t before = bench_.ResultLines().size();
    if (!bench_.SelectText(RequestCombo, request) || !bench_.Click(RunButton)) return {"no end"};
    const std::vector<std::string> all = bench_.ResultLines();
    if (all.size() <= before) return {"no lines"};
    return std::vector<std::string>(all.begin() + static_cast<long>(before), all.end());
  }

  const std::string folder_ = e2e::FreshFolder("overreach_e2e");
  const std::string list_ = folder_ + "\\list.txt";
  e2e::BenchProcess bench_;
};

TEST_F(OverreachInWindow, ClicksThatAPluginsMessageLoopLetsThroughAreIgnored) {
  // The first call clicks RunButton, LoadButton and BrowseButton and handles the messages itself.
  const std::vector<std::string> pumped = Run("GetModel");
  EXPECT_EQ(pumped.back(), "pumped");
  EXPECT_EQ(Run("GetModel"), pumped);
}

TEST_F(OverreachInWindow, EndingTheProcessFailsOnlyThatCall) {
  const std::vector<std::string> title = Run("GetTitle");
  EXPECT_EQ(Run("GetMaker").back(),
            "エラー：プラグインの呼び出し中にプロセスの終了 (ExitProcess(0)) が要求されました "
            "(GetMaker)：終了させずに呼び出しを打ち切りました");
  EXPECT_EQ(Run("GetTitle"), title);
}

TEST_F(OverreachInWindow, DetachCodeThatFaultsEndsNeitherALoadNorTheBench) {
  ASSERT_TRUE(Load("faultdetach.dll"));
  ASSERT_TRUE(Load("overreaching.dll"));
  EXPECT_EQ(Run("GetTitle").back(), "well behaved");
  ASSERT_TRUE(Load("faultdetach.dll"));  // released as the bench closes
}

}  // namespace
