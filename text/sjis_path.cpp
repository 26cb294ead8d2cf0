#include "text/sjis_path.h"

bool IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool EndsWithCutCharacter(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    if (!IsSjisLeadByte(static_cast<unsigned char>(text[i]))) {
      ++i;
    } else if (i + 1 == text.size()) {
      return true;
    } else {
      i += 2;
    }
  }
  return false;
}

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A lead byte at the very end (a character cut in half) is a character of its own.
size_t FileNameOffset(const char* path, size_t length) {
  size_t offset = 0;
  for (size_t i = 0; i < length; ++i) {
    if (IsSeparator(path[i])) offset = i + 1;
    if (IsSjisLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < length) ++i;
  }
  return offset;
}

}  // namespace

size_t FileNameOffset(const char* path) {
  size_t length = 0;
  while (path[length] != '\0') ++length;
  return FileNameOffset(path, length);
}

size_t FileNameOffset(const std::string& path) { return FileNameOffset(path.data(), path.size()); }

std::string FileNameOf(const std::string& path) { return path.substr(FileNameOffset(path)); }

std::string FolderOf(const std::string& path) { return path.substr(0, FileNameOffset(path)); }

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && FileNameOffset(path) == path.size();
}
