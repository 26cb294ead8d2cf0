#include "checker/text_encoding.h"

#include <windows.h>

namespace {

constexpr UINT kShiftJis = 932;

std::wstring Widen(UINT codePage, DWORD flags, const std::string& text, bool& ok) {
  ok = true;
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  if (length <= 0) {
    ok = false;
    return std::wstring();
  }
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

// UTF-16 in a code page; characters it lacks become `flags`' default ("?" with WC_NO_BEST_FIT_CHARS).
std::string Narrow(UINT codePage, DWORD flags, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int length = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(length > 0 ? length : 0, '\0');
  if (length > 0) {
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), &text[0],
                        length, nullptr, nullptr);
  }
  return text;
}

}  // namespace

std::string SjisToUtf8(const std::string& sjis) {
  bool ok = true;
  return Narrow(CP_UTF8, 0, Widen(kShiftJis, 0, sjis, ok));
}

std::string WideToUtf8(const std::wstring& wide) { return Narrow(CP_UTF8, 0, wide); }

std::string Utf8AsShiftJis(const std::string& utf8) {
  bool ok = true;
  return Narrow(kShiftJis, WC_NO_BEST_FIT_CHARS, Widen(CP_UTF8, 0, utf8, ok));
}

std::string AsShown(const std::string& sjis) {
  bool ok = true;
  return Narrow(kShiftJis, 0, Widen(kShiftJis, 0, sjis, ok));
}

bool WideToSjis(const std::wstring& wide, std::string& sjis) {
  sjis.clear();
  if (wide.empty()) return true;
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(),
                                         static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                         &usedDefault);
  if (length <= 0 || usedDefault) return false;
  sjis.assign(length, '\0');
  WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      &sjis[0], length, nullptr, nullptr);
  return true;
}

bool IsUtf8(const std::string& text) {
  bool ok = true;
  Widen(CP_UTF8, MB_ERR_INVALID_CHARS, text, ok);
  return ok;
}

bool Utf8ToSjis(const std::string& utf8, std::string& sjis) {
  bool ok = true;
  const std::wstring wide = Widen(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, ok);
  if (!ok) {
    sjis.clear();
    return false;
  }
  return WideToSjis(wide, sjis);
}

std::string JoinAsUtf8(const std::vector<std::string>& sjisLines, const char* separator) {
  std::string joined;
  for (size_t i = 0; i < sjisLines.size(); ++i) joined += (i == 0 ? "" : separator) + SjisToUtf8(sjisLines[i]);
  return joined;
}
