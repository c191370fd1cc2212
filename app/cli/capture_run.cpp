#include "capture_run.h"

#include <cstdio>

#include "output.h"

namespace brv::cli {

std::optional<uint64_t> write_ground_truth(const std::string& path, const std::vector<simcard::TruthFrame>& truth,
                                           uint64_t sent) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return std::nullopt;
  std::string line;
  bool ok = true, first = true;
  uint64_t base = 0, index = 0;
  for (size_t i = 0; i < truth.size() && i < sent; ++i) {
    const simcard::TruthFrame& frame = truth[i];
    if (!frame.delivered) continue;
    if (first) base = frame.date;
    first = false;
    line = "{\"index\": " + std::to_string(index++) + ", \"date\": " + std::to_string(frame.date - base) +
           ", \"status\": " + std::to_string(frame.status) + ", \"hex\": \"";
    append_hex_bytes(line, frame.bytes.data(), frame.bytes.size());
    line += "\"}\n";
    ok = ok && std::fwrite(line.data(), 1, line.size(), f) == line.size();
  }
  ok = std::fclose(f) == 0 && ok;
  if (!ok) return std::nullopt;
  return index;
}

}  // namespace brv::cli
