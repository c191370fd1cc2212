#include "output.h"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "brv_platform/files.h"

namespace brv::cli {

namespace {

bool needs_escape(unsigned char u) { return u < 0x20 || u == '"' || u == '\\'; }

// Length of the leading run that needs no escape, eight bytes at a time.
size_t plain_run(const char* p, size_t n) {
  constexpr uint64_t ones = 0x0101010101010101ULL;
  constexpr uint64_t highs = 0x8080808080808080ULL;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    const auto has_zero = [](uint64_t x) { return (x - ones) & ~x & highs; };
    // Bytes below 0x20 (a borrow with the high bit clear), quotes, backslashes.
    if (((w - 0x20 * ones) & ~w & highs) | has_zero(w ^ ('"' * ones)) | has_zero(w ^ ('\\' * ones))) break;
  }
  while (i < n && !needs_escape(static_cast<unsigned char>(p[i]))) ++i;
  return i;
}

}  // namespace

void append_json_string(std::string& out, std::string_view s) {
  static const char hex[] = "0123456789abcdef";
  out.push_back('"');
  // Plain runs are copied whole; only quotes, backslashes and control characters are escaped.
  while (!s.empty()) {
    const size_t run = plain_run(s.data(), s.size());
    out.append(s.data(), run);
    if (run == s.size()) break;
    const auto u = static_cast<unsigned char>(s[run]);
    s.remove_prefix(run + 1);
    switch (u) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        out += "\\u00";
        out.push_back(hex[u >> 4]);
        out.push_back(hex[u & 15]);
    }
  }
  out.push_back('"');
}

namespace {

platform::BufferedOutput& standard_output() {
  static platform::BufferedOutput out(STDOUT_FILENO);
  return out;
}

void on_broken_pipe(int) {}

// Dies of SIGPIPE as a tool whose reader left does, once the command's work is done.
void end_by_broken_pipe() {
  struct sigaction sa {};
  sa.sa_handler = SIG_DFL;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGPIPE, &sa, nullptr);
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_UNBLOCK, &pipe, nullptr);
  raise(SIGPIPE);
}

}  // namespace

void emit(std::string_view text) {
  auto& out = standard_output();
  if (!out.failed()) out.append(text);
}

std::string& output_buffer() { return standard_output().buffer(); }

void emitted() {
  auto& out = standard_output();
  if (out.failed()) {
    out.buffer().clear();
  } else {
    out.maybe_flush();
  }
}

void flush_output() { standard_output().flush(); }

bool output_failed() { return standard_output().failed(); }

void catch_broken_pipe() {
  // A handler rather than SIG_IGN: programs started from here get the default action back.
  struct sigaction sa {};
  sa.sa_handler = on_broken_pipe;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGPIPE, &sa, nullptr);
}

int finish_output(int status) {
  auto& out = standard_output();
  out.flush();
  int error = out.error();
  // EBADF: stdout was closed and nothing was written to it.
  if (error == 0 && ::close(STDOUT_FILENO) != 0 && errno != EBADF && errno != EINTR) error = errno;
  if (error == 0) return status;
  if (error == EPIPE) {
    end_by_broken_pipe();
    return kExitFailure;
  }
  return fail("Unable to write the standard output.", platform::errno_text(error));
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
