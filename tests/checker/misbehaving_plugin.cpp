// A plugin whose exports each break one rule that the checker's check mode looks for, plus one
// well-behaved export and one that never returns for the key "hang". Built twice: with plain
// export names, and with the stdcall decorations left on (a plugin built without a .def file).
#include <cstring>

#include "tests/checker/answer_text.h"

// No Windows header: it declares a GetVersion of its own.
extern "C" __declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);

namespace {


int CallCount = 0;
const char kRetargetedText[] = "not in your buffer";

}  // namespace

extern "C" {

__declspec(dllexport) short __stdcall GetPluginVersion() { return 100; }

// The probe answers "buffer size 0", a warning.
__declspec(dllexport) short __stdcall GetPluginAuthor(char**, unsigned short) { return 0; }

__declspec(dllexport) short __stdcall GetTitle(const char*, const char*, short, char** buffer,
                                              unsigned short size) {
  return AnswerText("Well behaved", buffer, size);
}

// Asks for the text's length without room for the terminating zero, and fills what it gets.
__declspec(dllexport) short __stdcall GetMaker(const char*, const char*, short, char** buffer,
                                              unsigned short size) {
  static const char kText[] = "No room for the zero";
  if (*buffer == nullptr) return static_cast<short>(std::strlen(kText));
  std::memcpy(*buffer, kText, size < sizeof kText - 1 ? size : sizeof kText - 1);
  return 1;
}

// Writes the whole text and its zero whatever the size: a smaller buffer is overrun.
__declspec(dllexport) short __stdcall GetCountry(const char*, const char*, short, char** buffer,
                                                unsigned short) {
  static const char kText[] = "Overruns small buffers";
  if (*buffer == nullptr) return sizeof kText;
  std::memcpy(*buffer, kText, sizeof kText);
  return 1;
}

// Points the caller's buffer variable at its own text.
__declspec(dllexport) short __stdcall GetVersion(const char*, const char*, short, char** buffer,
                                                unsigned short) {
  if (*buffer == nullptr) return sizeof kRetargetedText;
  *buffer = const_cast<char*>(kRetargetedText);
  return 1;
}

// A different text on every call.
__declspec(dllexport) short __stdcall GetGenre(const char*, const char*, short, char** buffer,
                                              unsigned short size) {
  char text[] = "call 0";
  text[5] = static_cast<char>('0' + ++CallCount % 10);
  return AnswerText(text, buffer, size);
}

// A negative answer that is no status code.
__declspec(dllexport) short __stdcall GetYear(const char*, const char*, short) { return -1; }

// A cdecl export: leaves its parameters on the caller's stack.
__declspec(dllexport) short __cdecl GetImgNum(const char*, const char*, short) { return 3; }

// Writes through a null pointer.
__declspec(dllexport) short __stdcall GetR(const char*, const char*, short) {
  *static_cast<volatile char*>(nullptr) = 1;
  return 0;
}

// Never returns for the key "hang".
__declspec(dllexport) short __stdcall GetMemo(const char*, const char* key, short, char** buffer,
                                             unsigned short size) {
  if (std::strcmp(key, "hang") == 0) Sleep(0xFFFFFFFF);  // INFINITE
  return AnswerText("memo", buffer, size);
}

// A date in none of the three forms.
__declspec(dllexport) short __stdcall GetSaleDate(const char*, const char*, short, char** buffer,
                                                 unsigned short size) {
  return AnswerText("2013/03/08", buffer, size);
}

}  // extern "C"
