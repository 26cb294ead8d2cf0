// The timed list files: exact sizes, whole rows in the sample plugin's format, and a key that the
// sample plugin searches the whole file for without finding it. The bare read reads them whole.
#include "bench/list_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "bench/bare_read.h"
#include "sdk/qb2lpt_plugin.h"
#include "win/scoped_win.h"

namespace {

using SizedText = short(__stdcall*)(const char*, const char*, short, char**, unsigned short);

std::string TempPath(const char* name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

TEST(ListBytes, ExactSizeAndWholeRowsThatCarryOn) {
  for (size_t size : {size_t{0}, size_t{10}, size_t{1000}, size_t{100000}}) {
    EXPECT_EQ(ListBytes(size).size(), size);
  }
  // A shorter list is the start of a longer one: rows cut at a piece's end carry on.
  const std::string longer = ListBytes(50000);
  EXPECT_EQ(ListBytes(30001), longer.substr(0, 30001));
  EXPECT_EQ(longer.compare(0, 6, "crc16\t"), 0);
  EXPECT_EQ(longer.find(kAbsentCrc32Key), std::string::npos);
}

TEST(EnsureListFile, WritesTheSameBytesAcrossChunksAndKeepsAFileOfTheRightSize) {
  const std::string path = TempPath("qb2lpt-bench-list.txt");
  DeleteFileA(path.c_str());
  const size_t size = (size_t{1} << 20) * 2 + 12345;  // crosses two chunk boundaries
  ASSERT_TRUE(EnsureListFile(path, size));
  {
    const BareRead read(path.c_str());
    ASSERT_NE(read.data(), nullptr);
    ASSERT_EQ(read.size(), size);
    EXPECT_EQ(std::string(read.data(), size), ListBytes(size));
    EXPECT_EQ(read.data()[size], '\0');  // the page allocator's zero after the content
  }
  WIN32_FILE_ATTRIBUTE_DATA before, after;
  ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &before));
  Sleep(20);
  ASSERT_TRUE(EnsureListFile(path, size));
  ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &after));
  EXPECT_EQ(CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0);
  ASSERT_TRUE(EnsureListFile(path, 100));  // another size is written afresh
  EXPECT_EQ(BareRead(path.c_str()).size(), 100u);
  DeleteFileA(path.c_str());
}

TEST(BareRead, AMissingFileGivesNoData) {
  EXPECT_EQ(BareRead(TempPath("qb2lpt-bench-no-such-file.txt").c_str()).data(), nullptr);
}

// Both plugins the timings use, called the way the bench calls them.
TEST(TimedPlugins, SampleScansForTheAbsentKeyAndFindsAPresentOne_NullPluginAnswersEmpty) {
  const std::string list = ListBytes(200000);
  const LibraryModule sample(LoadLibraryA(SAMPLE_PLUGIN_DLL));
  const LibraryModule null(LoadLibraryA(NULL_PLUGIN_DLL));
  ASSERT_TRUE(sample.IsValid());
  ASSERT_TRUE(null.IsValid());
  const auto sampleTitle = reinterpret_cast<SizedText>(
      reinterpret_cast<void*>(GetProcAddress(sample.get(), "GetTitle")));
  const auto nullTitle = reinterpret_cast<SizedText>(
      reinterpret_cast<void*>(GetProcAddress(null.get(), "GetTitle")));
  ASSERT_NE(sampleTitle, nullptr);
  ASSERT_NE(nullTitle, nullptr);
  char* variable = nullptr;
  EXPECT_EQ(sampleTitle(list.c_str(), kAbsentCrc32Key, QB2LPT_KEY_CRC32, &variable, 0),
            QB2LPT_KEY_NOT_FOUND);
  // The last whole row's name key is found: the rows are well formed to the end.
  const size_t lastRow = list.rfind("\r\n", list.rfind("\r\n") - 1) + 2;
  const std::string name = list.substr(lastRow + 14, 11);  // the body field: game and 7 digits
  ASSERT_EQ(name.compare(0, 4, "game"), 0);
  EXPECT_GT(sampleTitle(list.c_str(), name.c_str(), QB2LPT_KEY_BODY, &variable, 0), 1);

  char buffer[4] = {};
  variable = buffer;
  EXPECT_EQ(nullTitle(nullptr, nullptr, 0, &variable, sizeof buffer), 1);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(variable, buffer);
}

}  // namespace
