#include "checker/test_vectors.h"

#include <algorithm>

#include "checker/command_line.h"
#include "plugin/contract.h"

namespace {

bool IsBlank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a UTF-8 byte order mark
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "82 41 0D": two hexadecimal digits per byte, the bytes apart by blanks.
bool ReadHexBytes(const std::string& value, std::string& bytes) {
  bytes.clear();
  size_t i = 0;
  while (i < value.size()) {
    if (value[i] == ' ' || value[i] == '\t') {
      ++i;
      continue;
    }
    if (i + 1 >= value.size() || HexDigit(value[i]) < 0 || HexDigit(value[i + 1]) < 0) return false;
    bytes += static_cast<char>(HexDigit(value[i]) * 16 + HexDigit(value[i + 1]));
    i += 2;
    if (i < value.size() && value[i] != ' ' && value[i] != '\t') return false;
  }
  return true;
}

bool ReadField(const std::string& field, const std::string& value, TestVector& vector,
               std::vector<std::string>& seen, std::string& error) {
  for (const std::string& s : seen) {
    if (s == field) {
      error = "\"" + field + "\" is given twice in the case";
      return false;
    }
  }
  const char* other = field == "key" ? "key-bytes" : field == "key-bytes" ? "key" : nullptr;
  for (const std::string& s : seen) {
    if (other != nullptr && s == other) {
      error = "the case gives both \"key\" and \"key-bytes\"";
      return false;
    }
  }
  seen.push_back(field);
  if (field == "list") {
    vector.list = value;
  } else if (field == "key") {
    vector.key = value;
  } else if (field == "key-bytes") {
    vector.keyIsBytes = true;
    if (!ReadHexBytes(value, vector.key)) {
      error = "key-bytes needs hexadecimal bytes apart by blanks, e.g. \"82 41\", not \"" + value + "\"";
      return false;
    }
  } else if (field == "key-type") {
    if (!KeyTypeFromOptionName(value, vector.keyType)) {
      error = "unknown key type \"" + value + "\" (use crc16, crc32, body, body.ext or none)";
      return false;
    }
  } else if (field == "request") {
    vector.request = FindExport(value.c_str());
    if (vector.request < 0) {
      error = "\"" + value + "\" is not one of the 24 export names";
      return false;
    }
  } else if (field == "req-len") {
    vector.requestedLength = value;
  } else {
    error = "unknown field \"" + field + "\"";
    return false;
  }
  return true;
}

bool FinishCase(const TestVector& vector, std::string& error) {
  if (vector.request >= 0) return true;
  error = "case \"" + vector.name + "\" (line " + std::to_string(vector.line) + ") has no request";
  return false;
}

}  // namespace

bool ParseTestVectors(const std::string& text, std::vector<TestVector>& cases, std::string& error) {
  cases.clear();
  std::vector<std::string> seen;
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::string where = "line " + std::to_string(i + 1) + ": ";
    if (IsBlank(line) || line[0] == '#') continue;
    if (line.compare(0, 2, "> ") == 0 || line == ">") {
      if (cases.empty()) {
        error = where + "an expected line before the first case";
        return false;
      }
      if (line.size() <= 2) {
        error = where + "an expected line cannot be empty (the bench never shows an empty line)";
        return false;
      }
      cases.back().expected.push_back(line.substr(2));
      continue;
    }
    const size_t space = line.find(' ');
    const std::string field = line.substr(0, space);
    const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (field == "case") {
      if (!cases.empty() && !FinishCase(cases.back(), error)) return false;
      if (IsBlank(value)) {
        error = where + "a case needs a name";
        return false;
      }
      cases.emplace_back();
      cases.back().name = value;
      cases.back().line = static_cast<int>(i + 1);
      seen.clear();
      continue;
    }
    if (cases.empty()) {
      error = where + "\"" + field + "\" before the first case";
      return false;
    }
    if (!ReadField(field, value, cases.back(), seen, error)) {
      error = where + error;
      return false;
    }
  }
  if (cases.empty()) {
    error = "the file holds no case";
    return false;
  }
  return FinishCase(cases.back(), error);
}

std::vector<std::string> LineDifference(const std::vector<std::string>& expected,
                                        const std::vector<std::string>& actual) {
  const size_t n = expected.size(), m = actual.size();
  // common[i][j]: the longest common run of expected[i..] and actual[j..].
  std::vector<std::vector<size_t>> common(n + 1, std::vector<size_t>(m + 1, 0));
  for (size_t i = n; i-- > 0;) {
    for (size_t j = m; j-- > 0;) {
      common[i][j] = expected[i] == actual[j] ? common[i + 1][j + 1] + 1
                                              : std::max(common[i + 1][j], common[i][j + 1]);
    }
  }
  std::vector<std::string> diff;
  size_t i = 0, j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && expected[i] == actual[j]) {
      diff.push_back("  " + expected[i++]);
      ++j;
    } else if (i < n && (j == m || common[i + 1][j] >= common[i][j + 1])) {
      diff.push_back("- " + expected[i++]);
    } else {
      diff.push_back("+ " + actual[j++]);
    }
  }
  return diff;
}
