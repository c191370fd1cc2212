#pragma once

#include <string>

#include "brv_core/file/acq_file.h"

namespace brv::cli {

// Opens the file; on failure prints the program's message and returns the exit status, else 0.
int open_capture(const std::string& path, AcqFile& file);

// The line an engineer reads about an interrupted or truncated capture.
inline constexpr const char* kInterruptedText =
    "Interrupted acquisition: the file header was never completed, so the length of its data is unknown.";
inline constexpr const char* kTruncatedText = "The file is shorter than its header says: its last records are missing.";

// For the commands that read the records: an interrupted capture has none to read and is refused
// (the message printed, the exit status returned); a truncated one is read with a warning. 0 when
// the records can be read.
int refuse_interrupted(const AcqFile& file);

}  // namespace brv::cli
