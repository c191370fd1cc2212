#include "capture_run.h"

#include <brv_platform/files.h>

#include "output.h"

namespace brv::cli {

std::optional<uint64_t> write_ground_truth(const std::string& path, const std::vector<simcard::TruthFrame>& truth,
                                           uint64_t sent, std::string& error) {
  platform::AtomicFile file;
  if (!file.open(path)) {
    error = file.error();
    return std::nullopt;
  }
  platform::BufferedOutput out(file.fd());
  bool first = true;
  uint64_t base = 0, index = 0;
  for (size_t i = 0; i < truth.size() && i < sent && !out.failed(); ++i) {
    const simcard::TruthFrame& frame = truth[i];
    if (!frame.delivered) continue;
    if (first) base = frame.date;
    first = false;
    std::string& line = out.buffer();
    line += "{\"index\": " + std::to_string(index++) + ", \"date\": " + std::to_string(frame.date - base) +
            ", \"status\": " + std::to_string(frame.status) + ", \"hex\": \"";
    append_hex_bytes(line, frame.bytes.data(), frame.bytes.size());
    line += "\"}\n";
    out.maybe_flush();
  }
  if (!file.commit(out)) {
    error = file.error();
    return std::nullopt;
  }
  return index;
}

}  // namespace brv::cli
