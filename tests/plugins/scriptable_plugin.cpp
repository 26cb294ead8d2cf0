// The scriptable test plugin: every export answers what a script tells it, and every call is
// recorded in a log file, so that tests can set any answer and check what crossed the boundary.
//
// SCRIPT
//
// A script is text in lines (LF or CRLF). A script line starts with the name of an export, then
// gives fields separated by spaces or tabs, for example
//
//   GetTitle key=ABC probe=24 result=1 write=fit text=Some title
//
//   key=K       the line applies only when the key text passed equals K byte for byte; without
//               key= it applies to any key (and it is the only kind that GetPluginVersion,
//               GetPluginAuthor and GetPluginInfo can match, since they receive no key).
//   probe=N     the result of a probe, i.e. a text export's call whose buffer variable holds null.
//               Default: the length of the text plus one.
//   result=N    the result of a text export's other call, of a numeric export and of
//               GetPluginVersion. Default: 1 for a text export, 0 otherwise.
//   write=M     what a text export's non-probe call writes at the address in the buffer
//               variable, where size is the low 16 bits of the size slot:
//                 fit      (default) the text cut to size - 1 bytes, then a zero byte; nothing
//                          when size is 0;
//                 fill     exactly size bytes of the text, repeated as often as needed, and no
//                          zero byte (nothing when the text is empty);
//                 overrun  the whole text and its zero byte, whatever the size.
//               Writing stops at the end of the buffer's writable pages in every mode, so the
//               plugin itself never faults.
//   retarget=R  after writing, "static" points the buffer variable at the plugin's own copy of
//               the text, and "null" sets it to null. Default: the variable is left unchanged.
//   text=T      the text; it takes the rest of the line, so it comes last.
//
// N is a 32-bit integer in decimal or 0x hexadecimal, negative allowed; the export returns it
// whole in EAX (0x00010005 has the low 16 bits 5). In K and T, %HH stands for the byte with the
// hexadecimal value HH (%25 for '%', %20 for a trailing space, %0A for a line feed); every other
// byte stands for itself, so Shift-JIS text is written as it is.
//
// Where lines come from: first the list data (only exports with five or three parameters receive
// it), then the file named by the environment variable SCRIPTABLE_PLUGIN_SCRIPT, read afresh on
// every call. The first line that names the export and whose key= matches wins. When no line
// matches, the export returns -512 (the key is not in the list) and writes nothing.
//
// Every other line is ignored, so a script can sit inside any list data; comments need no
// marker. A line naming the export that cannot be read (an unknown field, a field without '=', a
// bad number or mode) is skipped and recorded in the log as "ScriptError <the line>".
//
// LOG
//
// When the environment variable SCRIPTABLE_PLUGIN_LOG names a file, every call appends one line
// ending in LF: the export name, then these space-separated fields in this order, each present
// only when the export receives what it describes:
//
//   listdata=ro|rw|bad    the list data: ro when it is readable up to its zero byte and none of its
//                         pages (zero byte included) is writable; rw when some page is writable;
//                         bad when the slot is null, unreadable or has no zero byte in reach
//   listaddr=0xXXXXXXXX   the list-data slot
//   listlen=N             the bytes before the list data's zero byte (-1 when bad)
//   keydata=ro|rw|bad     the same for the key text
//   keyaddr=0xXXXXXXXX    the key slot
//   keytype=0xXXXXXXXX    the raw 32-bit slot of the key type code
//   bufref=0xXXXXXXXX     the buffer-reference slot (the address of the caller's variable)
//   buffer=null|noref|0xXXXXXXXX
//                         what that variable held on entry; noref when the slot is null or not
//                         readable
//   size=0xXXXXXXXX       the raw 32-bit size slot
//   writable=N            the bytes writable from the buffer's start to the end of its run of
//                         writable pages (0 for a null buffer)
//   zeroed=yes|no|-       whether the first size bytes of the buffer (as far as they are
//                         readable) were all zero on entry; - for a null buffer
//   wrote=N               the bytes written into the buffer
//   returned=0xXXXXXXXX   the 32-bit value returned
//   keytext=T             the key text, last, taking the rest of the line; bytes below 0x20,
//                         0x7F and '%' appear as %HH (empty when keydata=bad)
//
// Script errors found while answering a call are logged just before that call's line.
#include "tests/plugins/scriptable_plugin.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kScriptVariable[] = "SCRIPTABLE_PLUGIN_SCRIPT";
constexpr char kLogVariable[] = "SCRIPTABLE_PLUGIN_LOG";
constexpr int32_t kKeyNotFound = -512;

// ---- What the memory behind a slot allows

bool IsReadable(DWORD protect) {
  if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                    PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY);
}

bool IsWritable(DWORD protect) {
  if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return protect &
         (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY);
}

// The bytes from `p` to the end of the run of committed pages whose protection passes `test`.
size_t Extent(const void* p, bool (*test)(DWORD)) {
  if (p == nullptr) return 0;
  const char* at = static_cast<const char*>(p);
  size_t total = 0;
  MEMORY_BASIC_INFORMATION info;
  while (VirtualQuery(at, &info, sizeof info) == sizeof info && info.State == MEM_COMMIT &&
         test(info.Protect)) {
    const char* end = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    total += end - at;
    at = end;
  }
  return total;
}

bool AnyPageWritable(const char* p, size_t n) {
  const char* end = p + n;
  MEMORY_BASIC_INFORMATION info;
  for (const char* at = p; at < end;
       at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
    if (VirtualQuery(at, &info, sizeof info) != sizeof info) return false;
    if (info.State == MEM_COMMIT && IsWritable(info.Protect)) return true;
  }
  return false;
}

// A zero-terminated text handed over by the caller (the list data or the key).
struct TextRegion {
  bool usable = false;  // readable up to a zero byte
  bool readOnly = false;
  size_t length = 0;
};

TextRegion ObserveText(const char* p) {
  TextRegion region;
  const void* zero = p ? std::memchr(p, 0, Extent(p, IsReadable)) : nullptr;
  if (zero == nullptr) return region;
  region.usable = true;
  region.length = static_cast<const char*>(zero) - p;
  region.readOnly = !AnyPageWritable(p, region.length + 1);
  return region;
}

// ---- Texts

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Unescape(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

std::string Escape(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c < 0x20 || c == 0x7F || c == '%') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      text += escaped;
    } else {
      text += static_cast<char>(c);
    }
  }
  return text;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::string Address(const void* p) {
  return Hex(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)));
}

// ---- Scripts

enum class WriteMode { Fit, Fill, Overrun };
enum class Retarget { None, Static, Null };

struct ScriptLine {
  bool anyKey = true;
  std::string key;
  bool hasProbe = false;
  int32_t probe = 0;
  bool hasResult = false;
  int32_t result = 0;
  WriteMode write = WriteMode::Fit;
  Retarget retarget = Retarget::None;
  std::string text;
};

bool ParseNumber(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long long number = std::strtoll(text.c_str(), &end, 0);
  if (*end != '\0' || number < INT32_MIN || number > UINT32_MAX) return false;
  value = static_cast<int32_t>(static_cast<uint32_t>(number));
  return true;
}

bool ParseField(const std::string& name, const std::string& value, ScriptLine& line) {
  if (name == "key") {
    line.anyKey = false;
    line.key = Unescape(value);
    return true;
  }
  if (name == "probe") {
    line.hasProbe = ParseNumber(value, line.probe);
    return line.hasProbe;
  }
  if (name == "result") {
    line.hasResult = ParseNumber(value, line.result);
    return line.hasResult;
  }
  if (name == "write" && value == "fit") line.write = WriteMode::Fit;
  else if (name == "write" && value == "fill") line.write = WriteMode::Fill;
  else if (name == "write" && value == "overrun") line.write = WriteMode::Overrun;
  else if (name == "retarget" && value == "static") line.retarget = Retarget::Static;
  else if (name == "retarget" && value == "null") line.retarget = Retarget::Null;
  else return false;
  return true;
}

constexpr char kBlanks[] = " \t";

// Reads the fields of a script line whose export name ends at `at`.
bool ParseFields(const std::string& text, size_t at, ScriptLine& line) {
  while (at != std::string::npos) {
    at = text.find_first_not_of(kBlanks, at);
    if (at == std::string::npos) break;
    if (text.compare(at, 5, "text=") == 0) {
      line.text = Unescape(text.substr(at + 5));
      break;
    }
    const size_t end = text.find_first_of(kBlanks, at);
    const std::string field = text.substr(at, end == std::string::npos ? end : end - at);
    const size_t equals = field.find('=');
    if (equals == std::string::npos ||
        !ParseField(field.substr(0, equals), field.substr(equals + 1), line)) {
      return false;
    }
    at = end;
  }
  return true;
}

// Adds the lines of `script` that name `exportName` to `lines`, or to `errors` when they cannot
// be read.
void ReadScript(const std::string& script, const char* exportName, std::vector<ScriptLine>& lines,
                std::vector<std::string>& errors) {
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    std::string text = script.substr(start, end - start);
    start = end + 1;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    const size_t nameEnd = text.find_first_of(kBlanks);
    if (text.compare(0, nameEnd, exportName) != 0) continue;
    ScriptLine line;
    if (ParseFields(text, nameEnd, line)) {
      lines.push_back(line);
    } else {
      errors.push_back(text);
    }
  }
}

// The value of an environment variable; empty when it is not set.
std::string Environment(const char* name) {
  char value[MAX_PATH + 1];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string ReadWholeFile(const std::string& path) {
  std::string content;
  if (path.empty()) return content;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
    std::fclose(file);
  }
  return content;
}

void AppendToLog(const std::string& lines) {
  const std::string path = Environment(kLogVariable);
  if (path.empty()) return;
  if (FILE* file = std::fopen(path.c_str(), "ab")) {
    std::fwrite(lines.data(), 1, lines.size(), file);
    std::fclose(file);
  }
}

const ScriptLine* FindLine(const std::vector<ScriptLine>& lines, const std::string* key) {
  for (const ScriptLine& line : lines) {
    if (line.anyKey || (key && line.key == *key)) return &line;
  }
  return nullptr;
}

// The bytes that a non-probe call writes for `line` into a buffer of `size` bytes.
std::string BytesToWrite(const ScriptLine& line, size_t size) {
  switch (line.write) {
    case WriteMode::Fit:
      return size == 0 ? std::string() : line.text.substr(0, size - 1) + '\0';
    case WriteMode::Fill: {
      std::string bytes;
      while (!line.text.empty() && bytes.size() < size) bytes += line.text;
      return bytes.substr(0, size);
    }
    case WriteMode::Overrun:
      return line.text + '\0';
  }
  return std::string();
}

// Where retarget=static points the buffer variable; kept until the next such call.
std::string RetargetedText;

}  // namespace

int32_t RunScriptedCall(const ScriptedCall& call) {
  std::string log = call.exportName;

  TextRegion listData;
  TextRegion key;
  std::string keyText;
  if (call.takesKey) {
    listData = ObserveText(call.listData);
    key = ObserveText(call.key);
    if (key.usable) keyText.assign(call.key, key.length);
    log += std::string(" listdata=") + (!listData.usable ? "bad" : listData.readOnly ? "ro" : "rw");
    log += " listaddr=" + Address(call.listData);
    log += " listlen=" + std::to_string(listData.usable ? static_cast<long>(listData.length) : -1L);
    log += std::string(" keydata=") + (!key.usable ? "bad" : key.readOnly ? "ro" : "rw");
    log += " keyaddr=" + Address(call.key);
    log += " keytype=" + Hex(call.keyTypeSlot);
  }

  std::vector<ScriptLine> lines;
  std::vector<std::string> errors;
  if (listData.usable) {
    ReadScript(std::string(call.listData, listData.length), call.exportName, lines, errors);
  }
  ReadScript(ReadWholeFile(Environment(kScriptVariable)), call.exportName, lines, errors);
  const ScriptLine* line = FindLine(lines, key.usable ? &keyText : nullptr);

  int32_t returned = line ? line->result : kKeyNotFound;
  if (call.takesBuffer) {
    const bool refReadable = Extent(call.bufferRef, IsReadable) >= sizeof(char*);
    char* buffer = refReadable ? *call.bufferRef : nullptr;
    const size_t size = call.sizeSlot & 0xFFFF;
    const size_t writable = Extent(buffer, IsWritable);
    const size_t readable = Extent(buffer, IsReadable);
    const bool zeroed =
        buffer && std::string(buffer, size < readable ? size : readable).find_first_not_of('\0') ==
                      std::string::npos;

    size_t wrote = 0;
    if (line && buffer == nullptr) {
      returned = line->hasProbe ? line->probe : static_cast<int32_t>(line->text.size() + 1);
    } else if (line) {
      if (!line->hasResult) returned = 1;
      const std::string bytes = BytesToWrite(*line, size);
      wrote = bytes.size() < writable ? bytes.size() : writable;
      std::memcpy(buffer, bytes.data(), wrote);
      if (line->retarget != Retarget::None && Extent(call.bufferRef, IsWritable) >= sizeof(char*)) {
        RetargetedText = line->text;
        *call.bufferRef = line->retarget == Retarget::Static ? &RetargetedText[0] : nullptr;
      }
    }

    log += " bufref=" + Address(call.bufferRef);
    log += " buffer=" + (!refReadable ? std::string("noref") : buffer ? Address(buffer) : "null");
    log += " size=" + Hex(call.sizeSlot);
    log += " writable=" + std::to_string(writable);
    log += std::string(" zeroed=") + (!buffer ? "-" : zeroed ? "yes" : "no");
    log += " wrote=" + std::to_string(wrote);
  }
  log += " returned=" + Hex(static_cast<uint32_t>(returned));
  if (call.takesKey) log += " keytext=" + Escape(keyText);

  std::string record;
  for (const std::string& error : errors) record += "ScriptError " + error + "\n";
  AppendToLog(record + log + "\n");
  return returned;
}
