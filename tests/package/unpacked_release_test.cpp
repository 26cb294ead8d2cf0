// The unpacked release, run by package_test.sh in a wine prefix of its own with two arguments: the
// unpacked folder (a Windows path) and the version that the zip's name carries. Both programs carry
// that version; the bench started there runs README.txt's first try with the bundled sample and
// keeps its settings next to itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "drive/bench_driver.h"

namespace {

std::string g_folder;
std::string g_version;

std::string VersionText(const std::vector<char>& info, const std::string& name) {
  char* text = nullptr;
  UINT size = 0;
  const std::string path = "\\StringFileInfo\\041103A4\\" + name;
  if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &size)) {
    return "<missing>";
  }
  return text;
}

// "major.minor.patch" of a fixed version record's two halves; the fourth part must be 0.
std::string VersionNumbers(DWORD high, DWORD low) {
  if (LOWORD(low) != 0) return "<fourth part " + std::to_string(LOWORD(low)) + ">";
  return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
         std::to_string(HIWORD(low));
}

TEST(UnpackedRelease, BothProgramsCarryTheVersionOfTheZip) {
  for (const std::string name : {"QB2LPT.exe", "QB2LPTCheck.exe"}) {
    const std::string program = g_folder + "\\" + name;
    DWORD unused = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(program.c_str(), &unused));
    ASSERT_FALSE(info.empty()) << name;
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size)) << name;
    EXPECT_EQ(VersionNumbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS), g_version) << name;
    EXPECT_EQ(VersionNumbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS), g_version) << name;
    EXPECT_EQ(VersionText(info, "FileVersion"), g_version) << name;
    EXPECT_EQ(VersionText(info, "ProductVersion"), g_version) << name;
    EXPECT_EQ(VersionText(info, "OriginalFilename"), name);
  }
}

TEST(UnpackedRelease, BenchRunsTheFirstTryAndKeepsItsSettingsBesideItself) {
  const std::string settings = g_folder + "\\QB2LPT.ini";
  ASSERT_FALSE(e2e::FileExists(settings));
  e2e::BenchProcess bench;
  ASSERT_TRUE(bench.Start(g_folder, {}, g_folder + "\\QB2LPT.exe"));
  EXPECT_TRUE(IsWindowVisible(bench.Window()));
  EXPECT_EQ(bench.Text(VersionLabel), "Ver 0.62");

  ASSERT_TRUE(bench.ClickThroughFileDialog(LoadButton, g_folder + "\\sample\\sample.dll").actionEnded);
  ASSERT_TRUE(
      bench.ClickThroughFileDialog(BrowseButton, g_folder + "\\sample\\sample-list.txt").actionEnded);
  ASSERT_TRUE(bench.SetText(TestKeyEdit, "1A2B"));
  ASSERT_TRUE(bench.SelectText(KeyTypeCombo, "16 bit CRC"));
  ASSERT_TRUE(bench.SelectText(RequestCombo, "GetTitle"));
  ASSERT_TRUE(bench.Click(RunButton));
  const std::vector<std::string> lines = bench.ResultLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
            (std::vector<std::string>{"[タイトル]", "必要バイト数 : 13", "星の海の冒険"}));

  EXPECT_EQ(bench.Close(), 0u);
  EXPECT_TRUE(e2e::FileExists(settings));
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: unpacked_release_test UNPACKED_FOLDER VERSION\n");
    return 2;
  }
  g_folder = argv[1];
  g_version = argv[2];
  return RUN_ALL_TESTS();
}
