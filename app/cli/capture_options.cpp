#include "capture_options.h"

#include <cctype>
#include <filesystem>

namespace brv::cli {

// "10M", "512K", "2G" in the configuration's units (a kilobyte is 1024 bytes, a megabyte 1000
// kilobytes); a plain number is bytes, rounded up to kilobytes since the zone is set in them.
std::optional<Size> parse_size(const std::string& text) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
  size_t used = 0;
  uint64_t n = 0;
  try {
    n = std::stoull(text, &used);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  const std::string suffix = text.substr(used);
  if (n == 0) return std::nullopt;
  Size s;
  if (suffix.empty()) {
    if (n > kTailleZoneMaxOctets) return std::nullopt;
    return Size{n / 1024 + (n % 1024 != 0), UNITE_KO};
  }
  if (suffix.size() != 1) return std::nullopt;
  switch (std::toupper(static_cast<unsigned char>(suffix[0]))) {
    case 'K': s = Size{n, UNITE_KO}; break;
    case 'M': s = Size{n, UNITE_MO}; break;
    case 'G': s = Size{n, UNITE_GO}; break;
    default: return std::nullopt;
  }
  // A size that would wrap in bytes is refused, never taken modulo 2^64.
  if (s.count > kTailleZoneMaxOctets / octets_par_unite(s.unit)) return std::nullopt;
  return s;
}

uint64_t size_bytes(const Size& s) {
  ZonePostTrig z;
  z.ullTaille = s.count;
  z.ucUnite = s.unit;
  return z.taille_octets();
}

// "1d2h3m4s", "1m30s", "90s", "2h"; a plain number is seconds. Carried into the larger units as
// the pages would show it; nothing when zero or beyond 255 days.
std::optional<DureeJHMS> parse_duration(const std::string& text) {
  if (text.empty()) return std::nullopt;
  uint64_t total = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    uint64_t n = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
      n = n * 10 + static_cast<uint64_t>(text[i] - '0');
      if (n > 255ULL * 86400) return std::nullopt;
    }
    uint64_t unit = 1;
    if (i < text.size()) {
      switch (text[i]) {
        case 'd': unit = 86400; break;
        case 'h': unit = 3600; break;
        case 'm': unit = 60; break;
        case 's': unit = 1; break;
        default: return std::nullopt;
      }
      ++i;
    } else if (total != 0) {
      return std::nullopt;  // "1m30": a number without its unit after another
    }
    total += n * unit;
  }
  if (total == 0 || total / 86400 > 255) return std::nullopt;
  DureeJHMS d;
  d.jours = static_cast<uint8_t>(total / 86400);
  d.heures = static_cast<uint8_t>(total / 3600 % 24);
  d.minutes = static_cast<uint8_t>(total / 60 % 60);
  d.secondes = static_cast<uint8_t>(total % 60);
  return d;
}

std::string apply_options(const CaptureArgs& args, Configuration& c) {
  if (!args.path.empty()) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(args.path, ec);
    if (ec) return "-o: " + ec.message();
    c.cheminFichierAcq = p.lexically_normal().string();
  }
  if (args.size) {
    c.postTrig.bTailleChoisie = 1;
    c.postTrig.ullTaille = args.size->count;
    c.postTrig.ucUnite = args.size->unit;
  }
  if (args.duration) {
    c.postTrig.bDureeChoisie = 1;
    c.postTrig.duree = *args.duration;
    if (!args.size) c.postTrig.bTailleChoisie = 0;
  }
  if (args.circular) c.postTrig.bContinue = 1;
  if (args.pretrig) {
    c.preTrig.bPreTrig = 1;
    c.preTrig.ullTailleEquivalente = *args.pretrig;
  }
  if (args.deferred) {
    c.differe.bActif = 1;
    c.differe.delai = *args.deferred;
  }
  if (args.policy == "ask") c.ulActionDebut = ACTION_DEMANDER;
  else if (args.policy == "overwrite") c.ulActionDebut = ACTION_ECRASER;
  else if (args.policy == "increment") c.ulActionDebut = ACTION_INCREMENTER;
  return {};
}

}  // namespace brv::cli
