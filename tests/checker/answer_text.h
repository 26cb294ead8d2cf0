// For the checker's test plugins: the contract's answer to a text request. The probe gets the size
// with the terminating zero, a buffer gets as much of the text as fits, terminated.
#pragma once

#include <cstring>

inline short AnswerText(const char* text, char** buffer, unsigned short size) {
  const size_t length = std::strlen(text);
  if (*buffer == nullptr) return static_cast<short>(length + 1);
  if (size == 0) return 0;
  const size_t fits = length < size ? length : size - 1u;
  std::memcpy(*buffer, text, fits);
  (*buffer)[fits] = '\0';
  return static_cast<short>(length + 1);
}
