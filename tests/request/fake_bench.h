// A bench without a window, and stdcall entry points defined in the test program, for running
// requests in-process and seeing exactly what a plugin is handed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "request/report_lines.h"
#include "request/request_bench.h"

// What a bench was asked, in order: "keytype", "name", "path", "key", "reqlen"; the lines that the
// run showed, as the window shows them, and the calls that came back.
struct FakeBench final : RequestBench {
  std::optional<KeyType> keyType = KeyType::Crc32;
  std::string requestName;
  std::string listDataFilePath;
  std::string testKey = "KEY";
  std::string requestedLength;

  std::vector<std::string> lines;
  std::vector<std::string> reads;
  struct Returned {
    int exportIndex;
    int32_t bufferSize;
    int16_t result;
  };
  std::vector<Returned> returned;

  void Report(const RunEvent& event) override {
    std::string line = ReportLine(event);
    if (!line.empty()) lines.push_back(std::move(line));
    if (const auto* call = std::get_if<CallReturned>(&event)) {
      returned.push_back({call->exportIndex, call->bufferSize, call->result});
    }
  }
  std::optional<KeyType> SelectedKeyType() override {
    reads.push_back("keytype");
    return keyType;
  }
  void ReadRequestName(char* name, int capacity) override {
    reads.push_back("name");
    Copy(requestName, name, capacity);
  }
  void ReadListDataFilePath(char* text, int limit) override {
    reads.push_back("path");
    Copy(listDataFilePath, text, limit);
  }
  void ReadTestKey(char* text, int limit) override {
    reads.push_back("key");
    Copy(testKey, text, limit);
  }
  void ReadRequestedLength(char* text, int limit) override {
    reads.push_back("reqlen");
    Copy(requestedLength, text, limit);
  }
 private:
  // As an edit box hands out its text: at most limit - 1 bytes and a terminating zero.
  static void Copy(const std::string& from, char* to, int limit) {
    const size_t n = from.size() < static_cast<size_t>(limit - 1) ? from.size() : limit - 1;
    from.copy(to, n);
    to[n] = '\0';
  }
};

// What every fake entry point returns and writes; reset before each test.
struct PluginScript {
  int16_t version = 62;
  int16_t probe = 5;   // probe result of the text patterns
  int16_t second = 1;  // second-call result of the text patterns
  int16_t number = 1987;
  std::string written = std::string("abc", 4);  // bytes put into the buffer on the second call
  bool fillBuffer = false;      // instead fill the whole buffer with 'A', no zero
  bool replaceAddress = false;  // instead put another address into the buffer variable
  bool overrun = false;         // instead write one byte more than the buffer holds
  bool writeListData = false;   // write into the list data, then into the key
  bool writeKey = false;
};

// One call as the entry point saw it.
struct SeenCall {
  int exportIndex;
  std::vector<uint32_t> slots;
  uint32_t bufferVariable = 0;   // the variable's content on entry (text patterns)
  size_t bufferAccessible = 0;   // bytes from the buffer to the end of its accessible pages
  bool bufferZero = false;       // all those bytes zero on entry
  std::string listData, key;
  size_t listDataTerminator = 0;  // offset of the first zero in the list data
  DWORD listProtect = 0, keyProtect = 0;
  size_t keyAccessible = 0;
};

extern PluginScript Script;
extern std::vector<SeenCall> Seen;

// Puts the fake of the right pattern into every PluginTable entry.
void InstallFakePlugin();
void RemovePlugin();

// Files for DatFileEdit in the working folder, removed by the fixture.
std::string WriteListDataFile(const std::string& name, const std::string& content);
