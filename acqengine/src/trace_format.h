#pragma once
// Hexadecimal figures in traces, as the engine writes them.

#include <cstdio>
#include <string>

namespace vandrel {

inline std::string hex(unsigned long long v, int digits = 8) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*llX", digits, v);
  return buf;
}

}  // namespace vandrel
