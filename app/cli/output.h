#pragma once
// Buffered standard output with every write checked, JSON text escaping and the error rule of the
// program: message on stderr, exit status 1.

#include <cstdint>
#include <string>
#include <string_view>

namespace brv::cli {

inline constexpr int kExitFailure = 1;

// Appends s to out as a JSON string literal, quotes included.
void append_json_string(std::string& out, std::string_view s);

// Writes to stdout in large blocks. Once a write failed nothing more is written.
void emit(std::string_view text);
// The text waiting to be written, for formatting rows in place; call emitted() after appending.
std::string& output_buffer();
void emitted();
void flush_output();
// True once a write to stdout failed (the reader left, the disk is full): a listing stops there.
bool output_failed();

// A write into a pipe whose reader left then fails with EPIPE instead of killing the program, so
// that every command ends its work properly (a capture finishes its file first).
void catch_broken_pipe();
// The program's last step: flushes and closes stdout. A failed write or close is reported and
// makes the status kExitFailure; when the reader left, the program ends quietly by SIGPIPE, as
// the usual tools do.
int finish_output(int status);

// Prints the message (and an optional detail) to stderr; returns kExitFailure.
int fail(std::string_view message, std::string_view detail = {});

// Hexadecimal helpers for the command line.
bool parse_hex_bytes(std::string_view text, std::string& bytes);
bool parse_hex_u16(std::string_view text, uint16_t& value);
void append_hex_bytes(std::string& out, const uint8_t* p, size_t n);

}  // namespace brv::cli
