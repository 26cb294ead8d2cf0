#include "checker/command_line.h"

#include <cstring>

namespace {

struct KeyTypeName {
  const char* name;
  std::optional<KeyType> keyType;
};
const KeyTypeName kKeyTypeOptionNames[] = {{"crc16", KeyType::Crc16},
                                           {"crc32", KeyType::Crc32},
                                           {"body", KeyType::Body},
                                           {"body.ext", KeyType::BodyExt},
                                           {"none", std::nullopt}};

// The argument in double quotes when it is empty or holds one of `special`, by the rules that the
// system's command-line splitting follows: backslashes are literal unless they precede a quote.
std::string QuoteWhenItHolds(const std::string& arg, const char* special) {
  if (!arg.empty() && arg.find_first_of(special) == std::string::npos) return arg;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') quoted.append(backslashes * 2 + 1, '\\');
    else quoted.append(backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

}  // namespace

const char* KeyTypeOptionName(std::optional<KeyType> keyType) {
  for (const KeyTypeName& entry : kKeyTypeOptionNames) {
    if (entry.keyType == keyType) return entry.name;
  }
  return "none";
}

bool KeyTypeFromOptionName(const std::string& name, std::optional<KeyType>& keyType) {
  for (const KeyTypeName& entry : kKeyTypeOptionNames) {
    if (name == entry.name) {
      keyType = entry.keyType;
      return true;
    }
  }
  return false;
}

std::string QuoteArgument(const std::string& arg) { return QuoteWhenItHolds(arg, " \t\""); }

std::string QuoteForCmd(const std::string& arg) { return QuoteWhenItHolds(arg, " \t\"&|<>^()"); }

std::string QuoteForPosixShell(const std::string& arg) {
  static const char kPlain[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-+=.,/:@%";
  bool plain = !arg.empty();
  for (char c : arg) plain = plain && c != '\0' && std::strchr(kPlain, c) != nullptr;
  if (plain) return arg;
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
