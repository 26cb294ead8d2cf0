// The loader against the test plugins, in process: the report lines, PluginModule and PluginTable
// after every kind of load, and when each library is really released.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "plugin/loader.h"
#include "plugin/plugin_call.h"
#include "request/report_lines.h"
#include "tests/plugin/expected_exports.h"
#include "tests/plugins/scriptable_support.h"

namespace {

const std::set<int> kAllExports = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                   12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
// GetPluginAuthor, GetTitle, GetR, GetMemo, GetSaleDate, GetCeroRating.
const std::set<int> kPartialExports = {1, 3, 10, 12, 15, 23};

constexpr char kScriptable[] = "scriptable_plugin.dll";

int PresentEntries() {
  int present = 0;
  for (void* entry : PluginTable) present += entry != nullptr;
  return present;
}

bool IsLoaded(const char* moduleName) { return GetModuleHandleA(moduleName) != nullptr; }

// Records the line of every step, with the state of the table and of one library at the moment
// the step was reported.
class RecordingSink : public LoadReport {
 public:
  struct Moment {
    int presentEntries;
    bool watchedLoaded;
  };

  explicit RecordingSink(const char* watchedModule = kScriptable) : watched_(watchedModule) {}

  void Report(const LoadEvent& event) override {
    lines.push_back(ReportLine(event));
    moments.push_back({PresentEntries(), IsLoaded(watched_)});
  }

  std::vector<std::string> lines;
  std::vector<Moment> moments;

 private:
  const char* watched_;
};

std::vector<std::string> SuccessfulLoadLines(const std::set<int>& present) {
  std::vector<std::string> lines = {"DLL解放", "DLLロード -> OK"};
  for (int i = 0; i < 24; ++i) {
    lines.push_back(std::string("...") + kNames[i] + (present.count(i) ? " -> OK" : " -> NG"));
  }
  return lines;
}

const std::vector<std::string> kFailedLoadLines = {"DLL解放", "DLLロード -> NG"};

void ExpectTableMatches(HMODULE module, const std::set<int>& present) {
  for (int i = 0; i < 24; ++i) {
    const void* expected =
        present.count(i) ? reinterpret_cast<void*>(GetProcAddress(module, kNames[i])) : nullptr;
    EXPECT_EQ(PluginTable[i], expected) << kNames[i];
  }
}

class LoaderTest : public ::testing::Test {
 protected:
  void TearDown() override { ReleasePlugin(); }
};

TEST_F(LoaderTest, FullLoadResolvesEveryExportBeforeReportingAny) {
  RecordingSink sink;
  ASSERT_TRUE(LoadPluginLibrary(sink, kScriptable));

  EXPECT_EQ(sink.lines, SuccessfulLoadLines(kAllExports));
  ASSERT_EQ(sink.moments.size(), 26u);
  EXPECT_EQ(sink.moments[0].presentEntries, 0);  // "DLL解放"
  EXPECT_EQ(sink.moments[2].presentEntries, 24);  // the first export line
  EXPECT_EQ(PluginModule, GetModuleHandleA(kScriptable));
  ExpectTableMatches(PluginModule, kAllExports);
}

TEST_F(LoaderTest, LoadedEntryPointsAnswerThroughTheCallRoutine) {
  ScriptedPluginFiles files("loader_call");
  files.SetScript("GetPluginVersion result=62\n");
  RecordingSink sink;
  ASSERT_TRUE(LoadPluginLibrary(sink, kScriptable));

  const CallOutcome outcome = CallPlugin(kGetPluginVersion, nullptr, 0);
  ASSERT_TRUE(outcome.returned);
  EXPECT_EQ(outcome.result, 62);
}

TEST_F(LoaderTest, PartialLoadReportsPresentAndMissingInExportOrder) {
  RecordingSink sink("partial_plugin.dll");
  ASSERT_TRUE(LoadPluginLibrary(sink, "partial_plugin.dll"));

  EXPECT_EQ(sink.lines, SuccessfulLoadLines(kPartialExports));
  EXPECT_EQ(sink.moments[2].presentEntries, 6);
  ExpectTableMatches(PluginModule, kPartialExports);
}

TEST_F(LoaderTest, NamesAreMatchedExactlySoNearMissesLoadWithNoEntryPoints) {
  // The library exports GetPluginVersion@0, GetTitle@20 and getyear.
  RecordingSink sink;
  ASSERT_TRUE(LoadPluginLibrary(sink, "no_exports_plugin.dll"));

  EXPECT_EQ(sink.lines, SuccessfulLoadLines({}));
  EXPECT_NE(PluginModule, nullptr);
  EXPECT_EQ(PresentEntries(), 0);
}

TEST_F(LoaderTest, FailedLoadAfterSuccessLeavesNothingCallable) {
  const char* const kUnloadable[] = {
      "no_such_plugin.dll",   // missing
      "not_a_library.qbd",    // not a library
      "plugin64.dll",         // another processor
      "refusing_plugin.dll",  // its start-up refuses
      "plugins",              // a folder
  };
  for (const char* path : kUnloadable) {
    SCOPED_TRACE(path);
    RecordingSink first;
    ASSERT_TRUE(LoadPluginLibrary(first, kScriptable));

    RecordingSink sink;
    EXPECT_FALSE(LoadPluginLibrary(sink, path));
    EXPECT_EQ(sink.lines, kFailedLoadLines);
    ASSERT_EQ(sink.moments.size(), 2u);
    EXPECT_FALSE(sink.moments[0].watchedLoaded) << "released before \"DLL解放\"";
    EXPECT_EQ(sink.moments[0].presentEntries, 0);
    EXPECT_EQ(PluginModule, nullptr);
    EXPECT_EQ(PresentEntries(), 0);
    EXPECT_FALSE(IsLoaded(kScriptable));
    EXPECT_FALSE(IsLoaded(path));
  }
}

TEST_F(LoaderTest, LoadingTheSamePathAgainReleasesBeforeReloading) {
  RecordingSink first;
  ASSERT_TRUE(LoadPluginLibrary(first, kScriptable));
  RecordingSink again;
  ASSERT_TRUE(LoadPluginLibrary(again, kScriptable));

  EXPECT_EQ(again.lines, SuccessfulLoadLines(kAllExports));
  EXPECT_FALSE(again.moments[0].watchedLoaded);
  ExpectTableMatches(PluginModule, kAllExports);

  // One release is enough: the reload left no second reference behind.
  ReleasePlugin();
  EXPECT_FALSE(IsLoaded(kScriptable));
  EXPECT_EQ(PluginModule, nullptr);
  EXPECT_EQ(PresentEntries(), 0);
}

TEST_F(LoaderTest, ReleaseWithNothingLoadedIsHarmless) {
  ReleasePlugin();
  ReleasePlugin();
  EXPECT_EQ(PluginModule, nullptr);
  EXPECT_EQ(PresentEntries(), 0);

  RecordingSink sink;
  EXPECT_FALSE(LoadPluginLibrary(sink, "no_such_plugin.dll"));
  EXPECT_EQ(sink.lines, kFailedLoadLines);
}

// Makes a folder with a renamed copy of the scriptable plugin current for as long as it lives.
class CurrentFolderWithPluginCopy {
 public:
  CurrentFolderWithPluginCopy(const char* folder, const char* copyName)
      : folder_(folder), copy_(std::string(folder) + "\\" + copyName) {
    GetCurrentDirectoryA(sizeof previous_, previous_);
    CreateDirectoryA(folder_.c_str(), nullptr);
    CopyFileA(kScriptable, copy_.c_str(), FALSE);
    SetCurrentDirectoryA(folder_.c_str());
  }
  CurrentFolderWithPluginCopy(const CurrentFolderWithPluginCopy&) = delete;
  CurrentFolderWithPluginCopy& operator=(const CurrentFolderWithPluginCopy&) = delete;
  ~CurrentFolderWithPluginCopy() {
    SetCurrentDirectoryA(previous_);
    DeleteFileA(copy_.c_str());
    RemoveDirectoryA(folder_.c_str());
  }

 private:
  std::string folder_;
  std::string copy_;
  char previous_[MAX_PATH] = {};
};

TEST_F(LoaderTest, BareFileNamesAreSearchedThePlatformsWay) {
  CurrentFolderWithPluginCopy current("bare_name_folder", "current_folder_plugin.dll");
  {
    RecordingSink sink("current_folder_plugin.dll");
    EXPECT_TRUE(LoadPluginLibrary(sink, "current_folder_plugin.dll"));  // the current folder
    EXPECT_EQ(sink.lines, SuccessfulLoadLines(kAllExports));
  }
  {
    RecordingSink sink("partial_plugin.dll");
    EXPECT_TRUE(LoadPluginLibrary(sink, "partial_plugin.dll"));  // the program's folder
    EXPECT_EQ(sink.lines, SuccessfulLoadLines(kPartialExports));
  }
  ReleasePlugin();  // before the copy is deleted
}

}  // namespace
