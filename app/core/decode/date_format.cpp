// Dates and durations of a capture as the list, the report, the statistics and the export show them.

#include <cstdio>

#include "brv_core/decode/decodage_trame.h"
#include "brv_platform/filetime.h"

namespace brv {
namespace {

// snprintf's count, bounded by what the buffer holds.
void Assigne(std::string& texte, const char* tampon, size_t taille, int n) {
  if (n < 0) n = 0;
  texte.assign(tampon, static_cast<size_t>(n) < taille ? static_cast<size_t>(n) : taille - 1);
}

// Levels from hours down, shared by the short and the long rule; us is the value in microseconds.
int FormateNiveaux(char* tampon, size_t taille, double us) {
  const double ms = us / 1000;
  const double s = ms / 1000;
  const double mn = s / 60;
  const double h = mn / 60;
  if (h >= 1) {
    const int64_t heures = static_cast<int64_t>(h);
    const int64_t minutes = static_cast<int64_t>(mn - static_cast<double>(heures * 60));
    const double secondes = s - static_cast<double>(heures * 3600 + minutes * 60);
    return std::snprintf(tampon, taille, "%ih %imn %0.7gs", static_cast<int>(heures), static_cast<int>(minutes),
                         secondes);
  }
  if (mn >= 1) {
    const int64_t minutes = static_cast<int64_t>(mn);
    return std::snprintf(tampon, taille, "%imn %0.7gs", static_cast<int>(minutes),
                         s - static_cast<double>(minutes * 60));
  }
  if (s >= 1) return std::snprintf(tampon, taille, "%0.7gs", s);
  if (ms >= 1) return std::snprintf(tampon, taille, "%0.5gms", ms);
  return std::snprintf(tampon, taille, "%0.4g\u00b5s", us);
}

// Short rule: "unknown" for a negative value, else the levels from hours down.
int FormateCourte(char* tampon, size_t taille, int64_t ns) {
  if (ns < 0) return std::snprintf(tampon, taille, "unknown");
  return FormateNiveaux(tampon, taille, static_cast<double>(ns) / 1000);
}

}  // namespace

uint64_t CDecodageTrame::FacteurNs() const {
  switch (capture_->enVitesse) {
    case 0: return 3200;  // 31.25 kbit/s
    case 2: return 40;    // 2.5 Mbit/s
    case 3: return 20;    // 5 Mbit/s
    default: return 100;  // 1 Mbit/s, and any unknown code
  }
}

void CDecodageTrame::FormateDureeCourte(int64_t ns, std::string& texte) {
  char tampon[64];
  Assigne(texte, tampon, sizeof tampon, FormateCourte(tampon, sizeof tampon, ns));
}

void CDecodageTrame::FormateDuree(int64_t ns, std::string& texte) {
  const bool negatif = ns < 0;
  // Magnitude taken unsigned so that the most negative value does not overflow.
  const uint64_t valeur = negatif ? 0 - static_cast<uint64_t>(ns) : static_cast<uint64_t>(ns);
  char tampon[80];
  char* p = tampon;
  if (negatif) *p++ = '-';
  const size_t taille = sizeof tampon - static_cast<size_t>(p - tampon);
  const double us = static_cast<double>(valeur) / 1000;
  const double mn = us / 1000 / 1000 / 60;
  const double h = mn / 60;
  const double jours = h / 24;
  int n;
  if (jours >= 1) {
    const int64_t j = static_cast<int64_t>(jours);
    const int64_t heures = static_cast<int64_t>(h - static_cast<double>(j * 24));
    n = std::snprintf(p, taille, "%id %ih %0.2fmn", static_cast<int>(j), static_cast<int>(heures),
                      mn - static_cast<double>((j * 24 + heures) * 60));
  } else {
    n = FormateNiveaux(p, taille, us);
  }
  Assigne(texte, tampon, sizeof tampon, n < 0 ? 0 : n + static_cast<int>(p - tampon));
}

int64_t CDecodageTrame::FormateDateRel(uint64_t date, bool negatif, std::string* texte) const {
  const int64_t ns = static_cast<int64_t>(date * FacteurNs());
  if (texte == nullptr) return ns;
  char tampon[80];
  int n = 0;
  if (negatif) {
    tampon[0] = '-';
    tampon[1] = ' ';
    n = 2;
  }
  const int m = FormateCourte(tampon + n, sizeof tampon - static_cast<size_t>(n), ns);
  Assigne(*texte, tampon, sizeof tampon, m < 0 ? 0 : n + m);
  return ns;
}

void CDecodageTrame::FormateInterTrame(uint64_t ecart, uint16_t lenPrecedente, std::string& texte) const {
  const uint64_t facteur = FacteurNs();
  const int64_t ns = static_cast<int64_t>(ecart * facteur) -
                     DureeTrameBits(lenPrecedente, static_cast<uint16_t>(10 * facteur));
  FormateDureeCourte(ns, texte);
}

void CDecodageTrame::FormateDateAbs(uint64_t date, bool avant, std::string& texte) const {
  const uint64_t ticks = date * FacteurNs() / 100;
  const uint64_t instant = avant ? capture_->uliDateDetect - ticks : capture_->uliDateDetect + ticks;
  platform::CalendarFields champs;
  if (!platform::filetime_to_fields(instant, champs)) {
    texte.clear();
    return;
  }
  char tampon[96];
  Assigne(texte, tampon, sizeof tampon,
          std::snprintf(tampon, sizeof tampon, "%ih%imn%is the %i/%i/%i", champs.hour, champs.minute, champs.second,
                        champs.month, champs.day, champs.year));
}

}  // namespace brv
