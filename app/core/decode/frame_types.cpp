#include "brv_core/decode/frame_types.h"

namespace brv {
namespace {

// The constant-time index only holds if no control byte appears twice and none collides with a
// marker byte, which the decoder tests before the table.
constexpr bool ControlesUniques() {
  for (size_t i = 0; i < kTypesTrame.size(); ++i) {
    const uint8_t c = kTypesTrame[i].ucControle;
    if (c == kMarqueurInterruptionPc || c == kMarqueurDelimiteur || c == kMarqueurGlitch) return false;
    for (size_t j = i + 1; j < kTypesTrame.size(); ++j) {
      if (kTypesTrame[j].ucControle == c) return false;
    }
  }
  return true;
}
static_assert(ControlesUniques());

constexpr bool IndexCoherent() {
  for (const TypeTrame& t : kTypesTrame) {
    if (TypeTrameDe(t.ucControle) != &t) return false;
  }
  return true;
}
static_assert(IndexCoherent());

// The rendered head "NAME(" must leave room for the short-form cut.
constexpr bool NomsCourts() {
  for (const TypeTrame& t : kTypesTrame) {
    if (t.nom.empty() || t.nom.size() > 20) return false;
  }
  return true;
}
static_assert(NomsCourts());

}  // namespace
}  // namespace brv
