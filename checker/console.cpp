#include "checker/console.h"

#include <windows.h>
#include <shellapi.h>

#include "checker/text_encoding.h"
#include "win/scoped_win.h"

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

std::string EncodeText(const std::string& utf8) {
  return ChosenEncoding == OutputEncoding::Utf8 ? utf8 : Utf8AsShiftJis(utf8);
}

}  // namespace

std::vector<std::string> ReadCommandLine() {
  std::vector<std::string> args;
  int count = 0;
  const LocalMemory<LPWSTR*> wide(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!wide.IsValid()) return args;
  for (int i = 1; i < count; ++i) args.push_back(WideToUtf8(wide.get()[i]));
  return args;
}

void SetOutputEncoding(OutputEncoding encoding) { ChosenEncoding = encoding; }

void PrintLine(const std::string& sjisLine) {
  const std::string bytes =
      ChosenEncoding == OutputEncoding::Utf8 ? SjisToUtf8(sjisLine) : AsShown(sjisLine);
  WriteAll(STD_OUTPUT_HANDLE, bytes + "\r\n");
}

void PrintText(const std::string& utf8Line) {
  WriteAll(STD_OUTPUT_HANDLE, EncodeText(utf8Line) + "\r\n");
}

void PrintUtf8(const std::string& text) { WriteAll(STD_OUTPUT_HANDLE, text); }

void PrintMessage(const std::string& utf8Message) { WriteError(MessageBytes(utf8Message)); }

std::string MessageBytes(const std::string& utf8Message) {
  return EncodeText("QB2LPTCheck: " + utf8Message) + "\r\n";
}

void WriteError(const std::string& bytes) { WriteAll(STD_ERROR_HANDLE, bytes); }

std::string Counted(long long count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}
