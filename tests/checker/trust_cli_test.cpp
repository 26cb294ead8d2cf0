// What real plugins and real files bring: a plugin's text that reads like a bench warning, a vector
// file in a folder whose name holds a 5C trail byte, plugin and list files of hundreds of
// megabytes, and a hang among slow list reads.
#include <gtest/gtest.h>

#include "checker/file_bytes.h"
#include "checker/text_encoding.h"
#include "tests/checker/checker_process.h"
#include "win/scoped_win.h"

namespace {

// A file of `size` bytes that starts with `head`; the rest is a hole that takes no disk space.
std::string SparseFile(const std::string& name, const std::string& head, int64_t size) {
  const std::string path = ScratchFile(name, head);
  const FileHandle file(CreateFileW(WidePath(SjisToUtf8(path)).c_str(), GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER end;
  end.QuadPart = size;
  EXPECT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()))
      << name;
  return path;
}

std::string FileBytes(const std::string& sjisPath) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(SjisToUtf8(sjisPath), bytes)) << sjisPath;
  return bytes;
}

TEST(TrustCli, APluginTextThatReadsLikeABenchLineIsThePluginsAnswer) {
  // Each ends in a single-byte character: the smaller buffers cut none in half.
  for (const char* text : {"警告：これはデータです.", "エラー：これもデータ.", "[警告]も."}) {
    const std::string list = ScratchFile("plugin-text.txt", std::string("GetTitle text=") + text + "\n");
    const CheckerResult run = RunChecker({"--check", "--strict", "--plugin", TestPath("scriptable_plugin.dll"),
                                          "--list", list, "--key", "A", "--key-type", "crc32",
                                          "--request", "GetTitle", "--encoding", "sjis"});
    EXPECT_EQ(run.exitCode, 0u) << text << "\n" << run.out;
  }
}

TEST(TrustCli, AVectorFileInAFolderNamedWithA5CTrailByteFindsItsList) {
  // 表 is 95 5C in Shift-JIS: its second byte must not be taken for the folder's separator.
  CreateDirectoryW(WidePath(SjisToUtf8(TestPath("checker-run\\表"))).c_str(), nullptr);
  ScratchFile("表\\list.txt", "GetTitle text=見つけた\n");
  const std::string vectors = ScratchFile("表\\found.vectors", SjisToUtf8(
      "case list beside the vectors\nlist list.txt\nkey A\nrequest GetTitle\n"
      "> [タイトル]\n> 必要バイト数 : 9\n> 見つけた\n"));
  const CheckerResult run = RunChecker({"--plugin", TestPath("scriptable_plugin.dll"), "--expect",
                                        vectors, "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(run.OutLines().back(), "PASS 1 passed, 0 failed");
}

TEST(TrustCli, AHugeFileThatIsNoLibraryIsAnsweredAtOnce) {
  const std::string small = ScratchFile("small.dll", "not a library");
  const CheckerResult smallRun = RunChecker({"--plugin", small, "--list", small, "--key", "k"});
  const std::string plugin = SparseFile("huge.dll", "not a library", 500ll << 20);
  const CheckerResult run = RunChecker({"--plugin", plugin, "--list", plugin, "--key", "k"});
  DeleteFileW(WidePath(SjisToUtf8(plugin)).c_str());
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(run.ErrLines().size(), 1u) << run.err;
  EXPECT_TRUE(AnyLineHas(run.ErrLines(), {"huge.dll is not a Windows DLL"})) << run.err;
  // Only the headers are read: about as quick as for a small file (reading it all takes seconds).
  EXPECT_LT(run.elapsedMs, 3 * smallRun.elapsedMs + 1000) << smallRun.elapsedMs;
}

TEST(TrustCli, APluginWithAHugeTailIsInspectedAndLoaded) {
  // Beyond the 512 MiB that a whole-file read would allow.
  const std::string plugin = SparseFile("tailed.dll", FileBytes("..\\plugins\\sample.dll"), 600ll << 20);
  const CheckerResult run = RunChecker({"--plugin", plugin, "--list", "..\\run\\sample-list.txt",
                                        "--key", "0BADF00D", "--request", "GetTitle", "--encoding", "sjis"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.OutLines().back(), "星の海の冒険");
  DeleteFileW(WidePath(SjisToUtf8(plugin)).c_str());
}

TEST(TrustCli, OnlyThePluginsTimeIsWatchedAndAHangStillGetsWholeReports) {
  // Reading 384 MiB takes the bench well over the second a call may take here.
  const std::string list = SparseFile("slow.txt", "list data\n", 384ll << 20);
  const std::string junit = TestPath("checker-run\\slow.xml");
  const CheckerResult run = RunChecker({"--plugin", TestPath("misbehaving_plugin.dll"), "--list", list,
                                        "--key", "hang", "--request", "GetTitle", "--request", "GetMemo",
                                        "--timeout", "1", "--json", "--junit", junit});
  DeleteFileW(WidePath(SjisToUtf8(list)).c_str());
  EXPECT_EQ(run.exitCode, 1u);
  // The hang, then the summary of the run so far.
  ASSERT_EQ(run.ErrLines().size(), 2u) << run.err;
  EXPECT_TRUE(AnyLineHas({run.ErrLines()[0]}, {"HANG: GetMemo key=hang key-type=crc32 did not return within 1 second;"}));
  EXPECT_TRUE(AnyLineHas({run.ErrLines()[1]}, {"FAIL 1 passed, 1 failed (a plugin call hung)"})) << run.err;
  // The JSON report is whole: GetTitle's case, then the hung case with the lines so far.
  EXPECT_EQ(run.out.front(), '{');
  EXPECT_EQ(run.out.substr(run.out.size() - 3), "}\r\n");
  const size_t title = run.out.find("\"text\": \"Well behaved\"");
  const size_t hung = run.out.find("\"HANG: GetMemo key=hang key-type=crc32 did not return in time\"");
  ASSERT_NE(title, std::string::npos) << run.out;
  ASSERT_NE(hung, std::string::npos) << run.out;
  EXPECT_LT(title, hung);
  EXPECT_NE(run.out.find(SjisToUtf8("\"[メモ]\""), hung), std::string::npos);
  const std::string xml = FileBytes(junit);
  EXPECT_NE(xml.find("<error message=\"HANG: GetMemo"), std::string::npos) << xml;
  EXPECT_EQ(xml.substr(xml.size() - 15), "</testsuites>\r\n");
}

}  // namespace
