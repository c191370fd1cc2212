#include "output.h"

#include <cstdio>

namespace brv::cli {

void append_json_string(std::string& out, std::string_view s) {
  static const char hex[] = "0123456789abcdef";
  out.push_back('"');
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20) {
          out += "\\u00";
          out.push_back(hex[u >> 4]);
          out.push_back(hex[u & 15]);
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
}

namespace {
std::string& out_buffer() {
  static std::string buf;
  return buf;
}
}  // namespace

void emit(std::string_view text) {
  auto& buf = out_buffer();
  buf.append(text);
  if (buf.size() >= (size_t{1} << 20)) flush_output();
}

void flush_output() {
  auto& buf = out_buffer();
  if (!buf.empty()) std::fwrite(buf.data(), 1, buf.size(), stdout);
  buf.clear();
  std::fflush(stdout);
}

int fail(std::string_view message, std::string_view detail) {
  flush_output();
  std::fprintf(stderr, "%.*s", static_cast<int>(message.size()), message.data());
  if (!detail.empty()) std::fprintf(stderr, " (%.*s)", static_cast<int>(detail.size()), detail.data());
  std::fputc('\n', stderr);
  return kExitFailure;
}

namespace {
int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

bool parse_hex_bytes(std::string_view text, std::string& bytes) {
  bytes.clear();
  int high = -1;
  for (const char c : text) {
    if (c == ' ' || c == '\t') continue;
    const int d = hex_digit(c);
    if (d < 0) return false;
    if (high < 0) {
      high = d;
    } else {
      bytes.push_back(static_cast<char>(high * 16 + d));
      high = -1;
    }
  }
  return high < 0;
}

bool parse_hex_u16(std::string_view text, uint16_t& value) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
  if (text.empty() || text.size() > 4) return false;
  unsigned v = 0;
  for (const char c : text) {
    const int d = hex_digit(c);
    if (d < 0) return false;
    v = v * 16 + static_cast<unsigned>(d);
  }
  value = static_cast<uint16_t>(v);
  return true;
}

void append_hex_bytes(std::string& out, const uint8_t* p, size_t n) {
  static const char hex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < n; ++i) {
    out.push_back(hex[p[i] >> 4]);
    out.push_back(hex[p[i] & 15]);
  }
}

}  // namespace brv::cli
