// LoadButton on the running bench: the plugin chooser, the report lines and the request list
// after full, partial and failed loads, and what a cancelled chooser leaves to load.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "drive/bench_driver.h"
#include "tests/plugin/expected_exports.h"

namespace {

const std::string kSeparator = "-------------";
const std::vector<std::string> kFailedLoadLines = {"DLL解放", "DLLロード -> NG"};
const std::vector<std::string> kSeparatorsOnly = {kSeparator, kSeparator};

// A file of the tests folder, as a full path typed into the open-file dialog.
std::string TestFile(const char* name) {
  char folder[MAX_PATH];
  GetCurrentDirectoryA(sizeof folder, folder);
  return std::string(folder) + "\\" + name;
}

std::vector<std::string> SuccessfulLoadLines(const std::vector<std::string>& present) {
  std::vector<std::string> lines = {"DLL解放", "DLLロード -> OK"};
  for (const char* name : kNames) {
    bool found = false;
    for (const std::string& p : present) found = found || p == name;
    lines.push_back(std::string("...") + name + (found ? " -> OK" : " -> NG"));
  }
  return lines;
}

std::vector<std::string> AllNames() { return std::vector<std::string>(kNames, kNames + 24); }

std::vector<std::string> FullRequestList() {
  std::vector<std::string> list(kNames, kNames + 3);
  list.push_back(kSeparator);
  list.insert(list.end(), kNames + 3, kNames + 13);
  list.push_back(kSeparator);
  list.insert(list.end(), kNames + 13, kNames + 24);
  return list;
}

class LoadPluginE2eTest : public ::testing::Test {
 protected:
  void StartBench(const char* folderName) {
    folder_ = e2e::FreshFolder(folderName);
    ASSERT_TRUE(bench_.Start(folder_));
    seen_ = bench_.ResultLines().size();
  }

  // Clicks LoadButton, types `typedName` into the chooser (cancels it when empty) and returns
  // the lines that the action appended.
  std::vector<std::string> Load(const std::string& typedName) {
    const e2e::FileDialogVisit visit = bench_.ClickThroughFileDialog(LoadButton, typedName);
    EXPECT_TRUE(visit.opened && visit.closed && visit.actionEnded) << typedName;
    const std::vector<std::string> lines = bench_.ResultLines();
    std::vector<std::string> appended(lines.begin() + std::min(seen_, lines.size()), lines.end());
    seen_ = lines.size();
    return appended;
  }

  void TearDown() override { EXPECT_EQ(bench_.Close(), 0u); }

  std::string folder_;  // the bench's start-up folder
  e2e::BenchProcess bench_;
  size_t seen_ = 0;
};

TEST_F(LoadPluginE2eTest, EachLoadReplacesTheRequestListWithNothingSelected) {
  StartBench("load_full_partial");
  EXPECT_EQ(bench_.ComboItems(RequestCombo), kSeparatorsOnly);

  const std::string path = TestFile("scriptable_plugin.dll");
  EXPECT_EQ(Load(path), SuccessfulLoadLines(AllNames()));  // the first load releases too
  EXPECT_EQ(bench_.Text(PluginEdit), path);
  EXPECT_EQ(bench_.ComboItems(RequestCombo), FullRequestList());
  EXPECT_EQ(bench_.ComboSelection(RequestCombo), -1);
  EXPECT_EQ(bench_.Text(LoadButton), "DLLロード");

  ASSERT_TRUE(bench_.SelectText(RequestCombo, "GetTitle"));
  const std::vector<std::string> present = {"GetPluginAuthor", "GetTitle",    "GetR",
                                            "GetMemo",         "GetSaleDate", "GetCeroRating"};
  EXPECT_EQ(Load(TestFile("partial_plugin.dll")), SuccessfulLoadLines(present));
  const std::vector<std::string> expected = {"GetPluginAuthor", kSeparator,    "GetTitle",
                                             "GetR",            "GetMemo",     kSeparator,
                                             "GetSaleDate",     "GetCeroRating"};
  EXPECT_EQ(bench_.ComboItems(RequestCombo), expected);
  EXPECT_EQ(bench_.ComboSelection(RequestCombo), -1);

  EXPECT_EQ(Load(TestFile("no_exports_plugin.dll")), SuccessfulLoadLines({}));
  EXPECT_EQ(bench_.ComboItems(RequestCombo), kSeparatorsOnly);
}

// Every kind of unloadable library is covered in process; here one chosen and one typed.
TEST_F(LoadPluginE2eTest, FailedLoadAfterSuccessEmptiesTheRequestList) {
  StartBench("load_failed");
  EXPECT_EQ(Load(TestFile("scriptable_plugin.dll")), SuccessfulLoadLines(AllNames()));
  ASSERT_TRUE(bench_.SelectText(RequestCombo, "GetTitle"));
  EXPECT_EQ(Load(TestFile("not_a_library.qbd")), kFailedLoadLines);
  EXPECT_EQ(bench_.ComboItems(RequestCombo), kSeparatorsOnly);
  EXPECT_EQ(bench_.ComboSelection(RequestCombo), -1);

  // A path that names nothing cannot be chosen, but can be typed into PluginEdit.
  EXPECT_EQ(Load(TestFile("scriptable_plugin.dll")), SuccessfulLoadLines(AllNames()));
  ASSERT_TRUE(bench_.SetText(PluginEdit, TestFile("no_such_plugin.dll")));
  EXPECT_EQ(Load(""), kFailedLoadLines);
  EXPECT_EQ(bench_.ComboItems(RequestCombo), kSeparatorsOnly);
}

TEST_F(LoadPluginE2eTest, CancelledChooserLoadsWhateverPluginEditHolds) {
  StartBench("load_cancel");
  ASSERT_TRUE(bench_.SetText(PluginEdit, ""));
  EXPECT_EQ(Load(""), std::vector<std::string>());
  EXPECT_EQ(bench_.ComboItems(RequestCombo), kSeparatorsOnly);

  // Typed by hand: a bare file name is found in the bench's current folder.
  ASSERT_TRUE(CopyFileA("partial_plugin.dll", (folder_ + "\\typed_plugin.dll").c_str(), FALSE));
  ASSERT_TRUE(bench_.SetText(PluginEdit, "typed_plugin.dll"));
  EXPECT_EQ(Load(""), SuccessfulLoadLines({"GetPluginAuthor", "GetTitle", "GetR", "GetMemo",
                                           "GetSaleDate", "GetCeroRating"}));
  EXPECT_EQ(bench_.Text(PluginEdit), "typed_plugin.dll");

  // Left from a chosen load: cancelling releases and reloads the same library.
  const std::string full = TestFile("scriptable_plugin.dll");
  EXPECT_EQ(Load(full), SuccessfulLoadLines(AllNames()));
  EXPECT_EQ(Load(""), SuccessfulLoadLines(AllNames()));
  EXPECT_EQ(bench_.Text(PluginEdit), full);
  EXPECT_EQ(bench_.ComboItems(RequestCombo), FullRequestList());
}

}  // namespace
