#include "checker/console.h"

#include <windows.h>
#include <shellapi.h>

#include "checker/text_encoding.h"

namespace {

OutputEncoding ChosenEncoding = OutputEncoding::Utf8;

// Unbuffered: whatever was written is out when a watchdog ends the process.
void WriteAll(DWORD stream, const std::string& bytes) {
  const HANDLE handle = GetStdHandle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr) ||
        written == 0) {
      return;
    }
    done += written;
  }
}

std::string Encode(const std::string& sjis) {
  return ChosenEncoding == OutputEncoding::Utf8 ? SjisToUtf8(sjis) : AsShown(sjis);
}

}  // namespace

bool ReadCommandLine(std::vector<std::string>& args, std::string& error) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    error = "the command line cannot be read";
    return false;
  }
  bool ok = true;
  for (int i = 1; i < count && ok; ++i) {
    std::string arg;
    if (!WideToSjis(wide[i], arg)) {
      error = "argument " + std::to_string(i) +
              " holds a character that has no Shift-JIS form (the bench could not use it)";
      ok = false;
    }
    args.push_back(arg);
  }
  LocalFree(wide);
  return ok;
}

void SetOutputEncoding(OutputEncoding encoding) { ChosenEncoding = encoding; }

void PrintLine(const std::string& line) { WriteAll(STD_OUTPUT_HANDLE, Encode(line) + "\r\n"); }

void PrintUtf8(const std::string& text) { WriteAll(STD_OUTPUT_HANDLE, text); }

void PrintMessage(const std::string& message) {
  WriteAll(STD_ERROR_HANDLE, Encode("QB2LPTCheck: " + message) + "\r\n");
}
