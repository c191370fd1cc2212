#pragma once
// Buffered standard output, JSON text escaping and the error rule of the program:
// message on stderr, exit status 1.

#include <cstdint>
#include <string>
#include <string_view>

namespace brv::cli {

inline constexpr int kExitFailure = 1;

// Appends s to out as a JSON string literal, quotes included.
void append_json_string(std::string& out, std::string_view s);

// Writes to stdout; flushes in large blocks.
void emit(std::string_view text);
void flush_output();

// Prints the message (and an optional detail) to stderr; returns kExitFailure.
int fail(std::string_view message, std::string_view detail = {});

// Hexadecimal helpers for the command line.
bool parse_hex_bytes(std::string_view text, std::string& bytes);
bool parse_hex_u16(std::string_view text, uint16_t& value);
void append_hex_bytes(std::string& out, const uint8_t* p, size_t n);

}  // namespace brv::cli
