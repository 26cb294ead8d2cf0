// Reading a library file's headers without loading it, and naming near-miss export names.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "checker/file_bytes.h"
#include "checker/pe_image.h"
#include "checker/plugin_diagnostics.h"
#include "plugin/contract.h"
#include "tests/checker/pe_image_checks.h"

namespace {

PeFacts InspectFile(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(path, bytes)) << path;
  return InspectPeImage(BytesImage(bytes));
}

bool Has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(PeImage, TellsTheKindOfEachTestFile) {
  const struct {
    const char* file;
    bool isPe;
    uint16_t machine;
    bool isDll;
  } kFiles[] = {
      {"..\\plugins\\sample.dll", true, IMAGE_FILE_MACHINE_I386, true},
      {"plugin64.dll", true, IMAGE_FILE_MACHINE_AMD64, true},
      {"..\\QB2LPT.exe", true, IMAGE_FILE_MACHINE_I386, false},
      {"not_a_library.qbd", false, 0, false},
  };
  for (const auto& f : kFiles) {
    const PeFacts facts = InspectFile(f.file);
    EXPECT_EQ(facts.isPe, f.isPe) << f.file;
    EXPECT_EQ(facts.machine, f.machine) << f.file;
    EXPECT_EQ(facts.isDll, f.isDll) << f.file;
  }
  EXPECT_TRUE(InspectFile("plugin64.dll").isPe32Plus);
}

TEST(PeImage, ListsExportsAndImports) {
  const PeFacts sample = InspectFile("..\\plugins\\sample.dll");
  EXPECT_TRUE(sample.directoriesReadable);
  for (const ExportInfo& e : kExports) EXPECT_TRUE(Has(sample.exports, e.name)) << e.name;
  const PeFacts decorated = InspectFile("decorated_plugin.dll");
  EXPECT_TRUE(Has(decorated.exports, "GetTitle@20"));
  EXPECT_TRUE(Has(decorated.exports, "GetImgNum"));
  const PeFacts needy = InspectFile("needs_missing_dll.dll");
  EXPECT_TRUE(Has(needy.imports, "missing_helper.dll"));
}

TEST(PeImage, ListsImportedFunctionsByNameAndByOrdinal) {
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile("..\\plugins\\sample.dll", bytes));
  const PeFacts named = InspectPeImage(BytesImage(bytes));
  const PeImport abortByName{"msvcrt.dll", "abort", false, 0};
  for (const PeImport& expected : {PeImport{"KERNEL32.dll", "GetProcAddress", false, 0}, abortByName}) {
    EXPECT_EQ(std::count(named.importedFunctions.begin(), named.importedFunctions.end(), expected), 1)
        << expected.name;
  }
  // The same image with abort's lookup and address entries (the RVA of its hint and name in the
  // import section) turned into entries for ordinal 7.
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(
      bytes.data() + reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data())->e_lfanew);
  const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
  const IMAGE_SECTION_HEADER* idata = std::find_if(
      sections, sections + nt->FileHeader.NumberOfSections,
      [](const IMAGE_SECTION_HEADER& s) { return std::string(reinterpret_cast<const char*>(s.Name)) == ".idata"; });
  ASSERT_NE(idata, sections + nt->FileHeader.NumberOfSections);
  const std::string section = bytes.substr(idata->PointerToRawData, idata->SizeOfRawData);
  const uint32_t hintRva = static_cast<uint32_t>(section.find(std::string("abort", 6)) - 2) + idata->VirtualAddress;
  const uint32_t ordinalEntry = 0x80000007;
  size_t patched = 0;
  for (size_t at = 0; at + 4 <= section.size(); at += 4) {
    if (std::memcmp(section.data() + at, &hintRva, 4) != 0) continue;
    std::memcpy(&bytes[idata->PointerToRawData + at], &ordinalEntry, 4);
    ++patched;
  }
  ASSERT_EQ(patched, 2u);
  const PeFacts byOrdinal = InspectPeImage(BytesImage(bytes));
  ASSERT_EQ(PeFactsFault(bytes, byOrdinal), "");
  std::vector<PeImport> expected = named.importedFunctions;
  std::replace(expected.begin(), expected.end(), abortByName, PeImport{"msvcrt.dll", "", true, 7});
  EXPECT_EQ(byOrdinal.importedFunctions, expected);
}

TEST(PeImage, ACutImageIsSeenAsDamagedOrAsWhole) {
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile("..\\plugins\\sample.dll", bytes));
  const PeFacts whole = InspectPeImage(BytesImage(bytes));
  ASSERT_TRUE(whole.isPe && whole.directoriesReadable && !whole.exports.empty());
  // Cut anywhere in the headers (at every byte), the tables and the names (at every 13th byte):
  // either the cut shows, or everything read lies before it.
  size_t damaged = 0;
  for (size_t length = 0; length <= std::min<size_t>(bytes.size(), 0x8000);
       length += length < 1024 ? 1 : 13) {
    const std::string cut = bytes.substr(0, length);
    const PeFacts facts = InspectPeImage(BytesImage(cut));
    ASSERT_EQ(PeFactsFault(cut, facts), "") << length;
    const bool seenAsDamaged = !facts.isPe || !facts.directoriesReadable;
    ASSERT_TRUE(seenAsDamaged || SameFacts(facts, whole)) << length;
    damaged += seenAsDamaged ? 1 : 0;
  }
  // Both kinds occur: the sample's tables end between 16 and 32 KiB.
  EXPECT_GT(damaged, 1024u);
  EXPECT_LT(damaged, 1024u + (0x8000u - 1024u) / 13);
}

TEST(PeImage, DamagedHeadersNeverLeadOutsideTheFile) {
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile("..\\plugins\\sample.dll", bytes));
  // Random bytes written over the first pages: whatever is found lies in the file.
  std::mt19937 random(7);
  size_t stillNamed = 0;
  for (int round = 0; round < 300; ++round) {
    std::string damaged = bytes;
    for (int i = 0; i < 8; ++i) damaged[random() % std::min<size_t>(damaged.size(), 4096)] = static_cast<char>(random());
    const PeFacts facts = InspectPeImage(BytesImage(damaged));
    ASSERT_EQ(PeFactsFault(damaged, facts), "") << round;
    stillNamed += facts.exports.empty() ? 0 : 1;
  }
  EXPECT_GT(stillNamed, 0u);  // the damage leaves many images readable: the checks saw names
}

TEST(NameMismatches, FindsDecoratedAndWronglyCasedNames) {
  const struct {
    std::vector<std::string> exported;
    int exportIndex;  // -1: no mismatch
    bool decorated;
  } kCases[] = {
      {{"_GetTitle@20"}, kGetTitle, true},
      {{"GetTitle@20"}, kGetTitle, true},
      {{"GetPluginVersion@0"}, kGetPluginVersion, true},
      {{"gettitle"}, kGetTitle, false},
      {{"GetTitle"}, -1, false},
      {{"GetTitle", "GetTitle@20"}, -1, false},  // the plain name is there too
      {{"GetTitle@"}, -1, false},
      {{"GetTitle@2x"}, -1, false},
      {{"GetTitles@20"}, -1, false},
      {{"__GetTitle@20"}, -1, false},
  };
  for (const auto& c : kCases) {
    const std::vector<NameMismatch> found = FindNameMismatches(c.exported);
    if (c.exportIndex < 0) {
      EXPECT_TRUE(found.empty()) << c.exported[0];
      continue;
    }
    ASSERT_EQ(found.size(), 1u) << c.exported[0];
    EXPECT_EQ(found[0].exportIndex, c.exportIndex);
    EXPECT_EQ(found[0].decorated, c.decorated);
    EXPECT_EQ(found[0].exported, c.exported[0]);
  }
}

TEST(NameMismatches, OneLineNamesTheFixForBothKinds) {
  const std::string line =
      DescribeNameMismatches("C:\\p\\x.dll", FindNameMismatches({"_GetTitle@20", "getyear"}));
  EXPECT_EQ(line.find('\n'), std::string::npos);
  for (const char* part : {"x.dll exports _GetTitle@20", "(GetTitle)", "--kill-at", "getyear", "GetYear"}) {
    EXPECT_NE(line.find(part), std::string::npos) << part << " in " << line;
  }
  EXPECT_EQ(DescribeNameMismatches("x.dll", {}), "");
}

}  // namespace
