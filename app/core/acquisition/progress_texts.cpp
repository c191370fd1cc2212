#include "brv_core/acquisition/progress_texts.h"

#include <cstdio>

namespace brv {

const char* TexteEtatProgression(int etat) {
  static const char* const textes[] = {
      "Waiting for deferred acquisition to start...", "Waiting for traffic...", "Waiting for traffic to restart...",
      "Waiting for trigger...", "Acquiring data...", "Formatting data...",
  };
  return etat >= 0 && etat <= 5 ? textes[etat] : "";
}

std::string TexteTempsEcoule(uint64_t ms) {
  const uint64_t s = ms / 1000;
  const unsigned j = static_cast<unsigned>(s / 86400), h = static_cast<unsigned>(s / 3600 % 24),
                 m = static_cast<unsigned>(s / 60 % 60), sec = static_cast<unsigned>(s % 60);
  char t[64];
  if (j) {
    std::snprintf(t, sizeof t, "%uj %uh %umn %us", j, h, m, sec);
  } else if (h) {
    std::snprintf(t, sizeof t, "%uh %umn %us", h, m, sec);
  } else if (m) {
    std::snprintf(t, sizeof t, "%umn %us", m, sec);
  } else {
    std::snprintf(t, sizeof t, "%us", sec);
  }
  return t;
}

}  // namespace brv
