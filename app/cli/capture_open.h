#pragma once

#include <string>

#include "brv_core/file/acq_file.h"

namespace brv::cli {

// Opens the file; on failure prints the program's message and returns the exit status, else 0.
int open_capture(const std::string& path, AcqFile& file);

// The lines about an interrupted or truncated capture are the core's.
using brv::kInterruptedText;
using brv::kTruncatedText;

// For the commands that read the records: an interrupted capture has none to read and is refused
// (the message printed, the exit status returned); a truncated one is read with a warning. 0 when
// the records can be read.
int refuse_interrupted(const AcqFile& file);

}  // namespace brv::cli
