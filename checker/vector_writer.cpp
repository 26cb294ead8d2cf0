#include "checker/vector_writer.h"

#include <windows.h>

#include <cstdio>

#include "checker/command_line.h"
#include "checker/file_bytes.h"
#include "checker/text_encoding.h"
#include "plugin/contract.h"

namespace {

// The UTF-8 text whose Shift-JIS form is `sjis` byte for byte and that one line of a vector
// file can hold; false when there is none.
bool LineText(const std::string& sjis, std::string& utf8) {
  if (sjis.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
  utf8 = SjisToUtf8(sjis);
  std::string back;
  return Utf8ToSjis(utf8, back) && back == sjis;
}

std::string HexBytes(const std::string& bytes) {
  std::string hex;
  for (unsigned char byte : bytes) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%s%02X", hex.empty() ? "" : " ", byte);
    hex += pair;
  }
  return hex;
}

std::string FullPath(const std::string& path) {
  const std::wstring wide = WidePath(path);
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return std::string();
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size) return std::string();
  full.resize(length);
  return WideToUtf8(full);
}

std::vector<std::wstring> Components(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (wchar_t c : path) {
    if (c == L'\\' || c == L'/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// File names compare as the file system does: without regard to case.
bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool FormatVectorCase(const TestVector& bench, const std::vector<std::string>& comments,
                      std::string& text, std::string& problem) {
  text.clear();
  for (const std::string& comment : comments) text += "# " + comment + "\n";
  text += "case " + bench.name + "\n";
  if (!bench.list.empty()) text += "list " + bench.list + "\n";
  std::string key;
  text += LineText(bench.key, key) ? (key.empty() ? "key\n" : "key " + key + "\n")
                                   : "key-bytes " + HexBytes(bench.key) + "\n";
  text += std::string("key-type ") + KeyTypeOptionName(bench.keyType) + "\n";
  text += std::string("request ") + kExports[bench.request].name + "\n";
  if (!bench.requestedLength.empty()) {
    std::string length;
    if (!LineText(bench.requestedLength, length)) {
      problem = "the requested length cannot be written as one line of text";
      return false;
    }
    text += "req-len " + length + "\n";
  }
  for (size_t i = 0; i < bench.expected.size(); ++i) {
    std::string line;
    if (!LineText(bench.expected[i], line)) {
      problem = "line " + std::to_string(i + 1) + " of " + kExports[bench.request].name +
                " holds a line break or a character that a vector file cannot give back";
      return false;
    }
    text += "> " + line + "\n";
  }
  return true;
}

std::string ListPathFrom(const std::string& vectorFile, const std::string& file) {
  const std::string fullVector = FullPath(vectorFile), fullFile = FullPath(file);
  if (fullVector.empty() || fullFile.empty()) return file;
  const std::vector<std::wstring> from = Components(WidePath(PathFolder(fullVector)));
  const std::vector<std::wstring> to = Components(WidePath(fullFile));
  if (from.empty() || to.empty() || !SameName(from[0], to[0])) return fullFile;
  size_t common = 0;
  while (common < from.size() && common + 1 < to.size() && SameName(from[common], to[common])) ++common;
  std::string relative;
  for (size_t i = common; i < from.size(); ++i) relative += "../";
  for (size_t i = common; i < to.size(); ++i) {
    relative += WideToUtf8(to[i]) + (i + 1 < to.size() ? "/" : "");
  }
  return relative;
}
