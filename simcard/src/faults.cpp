#include "simcard/faults.h"

#include <algorithm>
#include <cmath>

namespace simcard {
namespace {

constexpr std::string_view kNames[kFaultKinds] = {
    "no-producer", "station-stops", "crc", "glitch", "bad-delimiter", "tx-error-1", "tx-error-2",
    "interruption", "overflow", "lost-event", "garbage", "mute", "unplug",
};

}  // namespace

std::string_view fault_name(Fault f) { return kNames[static_cast<size_t>(f)]; }

bool fault_from_name(std::string_view name, Fault& out) {
  for (size_t i = 0; i < kFaultKinds; ++i) {
    if (kNames[i] == name) {
      out = static_cast<Fault>(i);
      return true;
    }
  }
  return false;
}

FaultSchedule::FaultSchedule(const FaultPlan& plan, uint64_t seed) : rng_(seed) {
  for (size_t i = 0; i < kFaultKinds; ++i) {
    Kind& k = kinds_[i];
    k.rate = std::clamp(plan.kinds[i].rate, 0.0, 1.0);
    k.at = plan.kinds[i].at;
    std::sort(k.at.begin(), k.at.end());
    k.next_rate = draw(k.rate, 0);
  }
  refresh();
}

uint64_t FaultSchedule::draw(double rate, uint64_t from) {
  if (rate <= 0) return UINT64_MAX;
  if (rate >= 1) return from;
  // Frames until the next firing: geometric with parameter rate.
  const double u = 1.0 - rng_.unit();
  const double wait = std::floor(std::log(u) / std::log1p(-rate));
  return wait > 1e18 ? UINT64_MAX : from + static_cast<uint64_t>(wait);
}

void FaultSchedule::refresh() {
  next_any_ = UINT64_MAX;
  for (const Kind& k : kinds_) {
    next_any_ = std::min(next_any_, k.next_rate);
    if (k.at_pos < k.at.size()) next_any_ = std::min(next_any_, k.at[k.at_pos]);
  }
}

bool FaultSchedule::fires(Fault f, uint64_t n) {
  Kind& k = kinds_[static_cast<size_t>(f)];
  bool hit = false;
  if (k.next_rate <= n) {
    hit = true;
    k.next_rate = draw(k.rate, n + 1);
  }
  while (k.at_pos < k.at.size() && k.at[k.at_pos] <= n) {
    hit = true;
    ++k.at_pos;
  }
  if (hit) refresh();
  return hit;
}

}  // namespace simcard
