#pragma once
// Writes a valid acquisition file of sample traffic in any layout, for demos, tests and
// benchmarks; rotating layouts are wrapped unless the capture is too small to fill them.

#include <cstdint>
#include <string>

#include "brv_core/file/acq_file.h"

namespace brv {

// Rotating zones stay within 16 GiB: their sub-block length is stored in 32 bits.
inline constexpr uint64_t kZoneSizeMax = uint64_t{1} << 34;

struct SampleCaptureOptions {
  uint64_t frames = 10000;
  AcqLayout layout = AcqLayout::Linear;
  uint32_t speed = vandrel::VITESSE_1M;
  bool worldfip = false;
  uint64_t seed = 1;
  // Circular: size of the circular zone. Pre-trigger: requested pre-trigger maximum.
  // 0 chooses a size that the capture wraps about twice.
  uint64_t zone_size = 0;
};

struct SampleCaptureSummary {
  uint64_t records_written = 0;  // records written, including those later overwritten
  uint64_t bytes_written = 0;
};

// Returns false with a message in error when the file cannot be written or an option is out of range.
bool write_sample_capture(const std::string& path, const SampleCaptureOptions& options,
                          SampleCaptureSummary& summary, std::string& error);

// Reads the capture as the program does and saves it with its configuration and results behind
// the data, as the program's Save leaves a file: it then opens with its rows at once.
bool save_sample_with_results(const std::string& path, std::string& error);

}  // namespace brv
