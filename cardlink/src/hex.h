#pragma once
// Hexadecimal numbers for the traces, upper case with the fill character '0'.

#include <cstdio>
#include <string>

namespace kestrin::detail {

inline std::string hex(unsigned long value, int width = 2) {
  char text[32];
  std::snprintf(text, sizeof text, "%0*lX", width, value);
  return text;
}

}  // namespace kestrin::detail
