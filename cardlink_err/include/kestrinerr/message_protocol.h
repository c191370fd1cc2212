#pragma once
// The calling protocol shared by the message exports of KestrinErr and Vandrel.

#include <cerrno>
#include <cstring>
#include <string_view>

namespace kestrinerr {

// Catalogue texts are cut to 255 bytes, as by the 256-byte work buffer of the string table.
inline constexpr size_t kMaxTextBytes = 255;

// Reports the text's length and copies it when the buffer is large enough. Always 0.
inline unsigned long deliver_text(std::string_view text, char* buffer, unsigned long size, unsigned long* length) {
  if (text.size() > kMaxTextBytes) {
    text = text.substr(0, kMaxTextBytes);
    // Never leave half a UTF-8 character at the cut.
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.remove_suffix(1);
    if (!text.empty() && (static_cast<unsigned char>(text.back()) & 0x80)) text.remove_suffix(1);
  }
  *length = static_cast<unsigned long>(text.size() + 1);
  if (buffer != nullptr && size >= *length) {
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
  }
  return 0;
}

// The platform's text of a system error number.
inline unsigned long deliver_system_text(unsigned long code, char* buffer, unsigned long size,
                                         unsigned long* length) {
  char work[256];
  errno = 0;
  const char* text = strerror_r(static_cast<int>(code), work, sizeof work);
  if (text == nullptr || *text == '\0') {
    *length = 0;
    return errno ? static_cast<unsigned long>(errno) : static_cast<unsigned long>(EINVAL);
  }
  return deliver_text(text, buffer, size, length);
}

}  // namespace kestrinerr
