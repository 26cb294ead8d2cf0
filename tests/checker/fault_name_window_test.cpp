// A plugin whose file name holds 5C trail bytes (表 95 5C, ソ 83 5C) faults: the window and the
// checker both name it in full in the same fault line.
#include <gtest/gtest.h>

#include "drive/bench_driver.h"
#include "tests/checker/checker_process.h"

namespace {

TEST(FaultName, TheWindowAndTheCheckerNameAJapanesePluginInFull) {
  const std::string plugin = TestPath("表示ソフト.dll");  // the faulty contract plugin, renamed
  const std::string list = ScratchFile("fault-name.txt", "list data\r\n");
  e2e::BenchProcess bench;
  ASSERT_TRUE(bench.Start(e2e::FreshFolder("fault_name")));
  ASSERT_TRUE(bench.ClickThroughFileDialog(LoadButton, plugin).actionEnded);
  ASSERT_TRUE(bench.SetText(DatFileEdit, list));
  ASSERT_TRUE(bench.SetText(TestKeyEdit, "key"));
  ASSERT_TRUE(bench.SelectText(RequestCombo, "GetMaker"));  // a write through a null pointer
  ASSERT_TRUE(bench.Click(RunButton));
  const std::string windowLine = bench.ResultLines().back();
  EXPECT_EQ(bench.Close(), 0u);

  EXPECT_EQ(windowLine.rfind("エラー：", 0), 0u) << windowLine;
  EXPECT_NE(windowLine.find("(表示ソフト.dll+0x"), std::string::npos) << windowLine;
  const CheckerResult run = RunChecker({"--plugin", plugin, "--list", list, "--key", "key",
                                        "--request", "GetMaker", "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.OutLines().back(), windowLine);
}

}  // namespace
