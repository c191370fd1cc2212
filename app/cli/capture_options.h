#pragma once
// The capture command's options and how they override the configuration's fields.

#include <cstdint>
#include <optional>
#include <string>

#include <brv_core/config/configuration.h>

namespace brv::cli {

// A size on the command line: a count of the configuration's unit.
struct Size {
  uint64_t count = 0;
  uint8_t unit = UNITE_KO;
};

struct CaptureArgs {
  std::string path;
  std::optional<int> card;
  std::string config;
  bool triggered = false;
  std::optional<Size> size;
  std::optional<DureeJHMS> duration;
  bool circular = false;
  std::optional<uint64_t> pretrig;
  std::optional<DureeJHMS> deferred;
  std::string policy;
  std::optional<unsigned> speed;
  bool worldfip = false;
  bool fip = false;
  std::string ground_truth;
  bool json = false;
};

// "10M", "512K", "2G" in the configuration's units (a kilobyte is 1024 bytes, a megabyte 1000
// kilobytes); a plain number is bytes, rounded up to kilobytes since the zone is set in them.
// Nothing for 0, a sign, or more than kTailleZoneMaxOctets bytes.
std::optional<Size> parse_size(const std::string& text);
uint64_t size_bytes(const Size& s);
// "1d2h3m4s", "1m30s", "90s", "2h"; a plain number is seconds. Nothing when zero or beyond 255 days.
std::optional<DureeJHMS> parse_duration(const std::string& text);
// The options over the configuration's fields; an error text when one cannot apply.
std::string apply_options(const CaptureArgs& args, Configuration& c);

}  // namespace brv::cli
