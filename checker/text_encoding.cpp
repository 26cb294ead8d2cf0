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

}  // namespace

std::string SjisToUtf8(const std::string& sjis) {
  bool ok = true;
  const std::wstring wide = Widen(kShiftJis, 0, sjis, ok);
  if (wide.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], length,
                      nullptr, nullptr);
  return utf8;
}

std::string AsShown(const std::string& sjis) {
  bool ok = true;
  const std::wstring wide = Widen(kShiftJis, 0, sjis, ok);
  std::string shown;
  if (wide.empty()) return shown;
  const int length = WideCharToMultiByte(kShiftJis, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  shown.assign(length, '\0');
  WideCharToMultiByte(kShiftJis, 0, wide.data(), static_cast<int>(wide.size()), &shown[0], length,
                      nullptr, nullptr);
  return shown;
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

bool Utf8ToSjis(const std::string& utf8, std::string& sjis) {
  bool ok = true;
  const std::wstring wide = Widen(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, ok);
  if (!ok) {
    sjis.clear();
    return false;
  }
  return WideToSjis(wide, sjis);
}
