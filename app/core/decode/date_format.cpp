// Dates and durations of a capture as the list, the report, the statistics and the export show them.
//
// The texts are those of printf's %g applied to durations computed in floating point. They are
// built here from the integer nanosecond counts, which give the same digits, except where the
// floating-point value alone decides: an exact rounding tie, a count beyond 2^53, or a remainder
// of minutes too small for the precision of the double. Those few values take the floating-point
// computation, whose numbers std::to_chars writes as printf does.

#include <charconv>
#include <cstdint>
#include <cstring>

#include "brv_core/decode/decodage_trame.h"
#include "brv_platform/filetime.h"

namespace brv {
namespace {

constexpr uint64_t kPuissances10[] = {1ULL,
                                      10ULL,
                                      100ULL,
                                      1000ULL,
                                      10000ULL,
                                      100000ULL,
                                      1000000ULL,
                                      10000000ULL,
                                      100000000ULL,
                                      1000000000ULL,
                                      10000000000ULL,
                                      100000000000ULL,
                                      1000000000000ULL,
                                      10000000000000ULL,
                                      100000000000000ULL,
                                      1000000000000000ULL,
                                      10000000000000000ULL,
                                      100000000000000000ULL,
                                      1000000000000000000ULL,
                                      10000000000000000000ULL};

constexpr uint64_t kNsMs = 1'000'000;
constexpr uint64_t kNsS = 1'000'000'000;
constexpr uint64_t kNsMn = 60 * kNsS;
constexpr uint64_t kNsH = 60 * kNsMn;
constexpr uint64_t kNsJour = 24 * kNsH;
// Below this count a double holds it exactly, and every level threshold compares as in integers.
constexpr uint64_t kNsExacts = uint64_t{1} << 53;

// Room for the longest text (hours, minutes and a %g in scientific notation).
constexpr size_t kTailleTexte = 96;

char* Ajoute(char* p, const char* texte) {
  const size_t n = std::strlen(texte);
  std::memcpy(p, texte, n);
  return p + n;
}

template <typename Entier>
char* Nombre(char* p, Entier v) {
  return std::to_chars(p, p + 24, v).ptr;
}

char* General(char* p, char* fin, double v, int precision) {
  return std::to_chars(p, fin, v, std::chars_format::general, precision).ptr;
}

int NbChiffres(uint64_t v) {
  int n = 1;
  while (n < 20 && v >= kPuissances10[n]) ++n;
  return n;
}

// Writes v = n / 10^q as printf's %.{precision}g writes the double nearest to it: fixed notation,
// trailing zeros dropped. erreur bounds, in units of n, how far that double may lie from v (0 when
// it lies far below the last digit). False, with nothing written, when the bound leaves the last
// digit in doubt (an exact tie, with a zero bound) or the notation would be scientific.
bool Significatifs(char*& p, uint64_t n, int q, int precision, uint64_t erreur) {
  if (n == 0) {
    if (erreur != 0) return false;
    *p++ = '0';
    return true;
  }
  const int lg = NbChiffres(n);
  int exposant = lg - 1 - q;
  const int coupe = lg - precision;  // low digits of n rounded away
  uint64_t r = n;
  if (coupe > 0) {
    const uint64_t grain = kPuissances10[coupe];
    // Near a power of ten the double may fall on the finer grain of the lower decade.
    if (erreur != 0 && grain < 20 * erreur) return false;
    const uint64_t reste2 = 2 * (n % grain);
    const uint64_t ecart = reste2 > grain ? reste2 - grain : grain - reste2;
    if (ecart <= 2 * erreur) return false;
    r = n / grain + (reste2 > grain ? 1 : 0);
    if (r == kPuissances10[precision]) {
      r = kPuissances10[precision - 1];
      ++exposant;
    }
  } else if (erreur != 0) {
    return false;
  }
  if (exposant < -4 || exposant >= precision) return false;

  char chiffres[24];
  const int m = static_cast<int>(std::to_chars(chiffres, chiffres + sizeof chiffres, r).ptr - chiffres);
  int fin = m;
  if (exposant >= 0) {
    const int entiers = exposant + 1;
    std::memcpy(p, chiffres, static_cast<size_t>(entiers));
    p += entiers;
    while (fin > entiers && chiffres[fin - 1] == '0') --fin;
    if (fin > entiers) {
      *p++ = '.';
      std::memcpy(p, chiffres + entiers, static_cast<size_t>(fin - entiers));
      p += fin - entiers;
    }
  } else {
    *p++ = '0';
    *p++ = '.';
    for (int i = 0; i < -exposant - 1; ++i) *p++ = '0';
    while (chiffres[fin - 1] == '0') --fin;
    std::memcpy(p, chiffres, static_cast<size_t>(fin));
    p += fin;
  }
  return true;
}

// The levels from hours down in floating point: us is the value in microseconds.
char* NiveauxFlottants(char* p, char* fin, double us) {
  const double ms = us / 1000;
  const double s = ms / 1000;
  const double mn = s / 60;
  const double h = mn / 60;
  if (h >= 1) {
    const int64_t heures = static_cast<int64_t>(h);
    const int64_t minutes = static_cast<int64_t>(mn - static_cast<double>(heures * 60));
    const double secondes = s - static_cast<double>(heures * 3600 + minutes * 60);
    p = Ajoute(Nombre(p, static_cast<int>(heures)), "h ");
    p = Ajoute(Nombre(p, static_cast<int>(minutes)), "mn ");
    return Ajoute(General(p, fin, secondes, 7), "s");
  }
  if (mn >= 1) {
    const int64_t minutes = static_cast<int64_t>(mn);
    p = Ajoute(Nombre(p, static_cast<int>(minutes)), "mn ");
    return Ajoute(General(p, fin, s - static_cast<double>(minutes * 60), 7), "s");
  }
  if (s >= 1) return Ajoute(General(p, fin, s, 7), "s");
  if (ms >= 1) return Ajoute(General(p, fin, ms, 5), "ms");
  return Ajoute(General(p, fin, us, 4), "\u00b5s");
}

// The same from the count itself; false when only the floating-point values can tell.
bool NiveauxEntiers(char*& p, uint64_t ns) {
  if (ns >= kNsMn) {
    // The double of the seconds lies within 3 ulps of the count; this bounds it with room.
    const uint64_t erreur = (ns >> 50) + 1;
    const uint64_t reste = ns % kNsMn;
    // Minutes truncated from a double that may fall on either side of a whole minute.
    if (reste <= erreur || kNsMn - reste <= erreur) return false;
    const uint64_t minutes = ns / kNsMn;
    char* q = p;
    if (ns >= kNsH) q = Ajoute(Nombre(q, minutes / 60), "h ");
    q = Ajoute(Nombre(q, minutes % 60), "mn ");
    if (!Significatifs(q, reste, 9, 7, erreur)) return false;
    *q++ = 's';
    p = q;
    return true;
  }
  char* q = p;
  if (ns >= kNsS) {
    if (!Significatifs(q, ns, 9, 7, 0)) return false;
    *q++ = 's';
  } else if (ns >= kNsMs) {
    if (!Significatifs(q, ns, 6, 5, 0)) return false;
    q = Ajoute(q, "ms");
  } else {
    if (!Significatifs(q, ns, 3, 4, 0)) return false;
    q = Ajoute(q, "\u00b5s");
  }
  p = q;
  return true;
}

// Levels from hours down, shared by the short and the long rule.
char* Niveaux(char* p, char* fin, uint64_t ns) {
  if (ns < kNsExacts && NiveauxEntiers(p, ns)) return p;
  return NiveauxFlottants(p, fin, static_cast<double>(ns) / 1000);
}

// Short rule: "unknown" for a negative value, else the levels from hours down.
char* Courte(char* p, char* fin, int64_t ns) {
  if (ns < 0) return Ajoute(p, "unknown");
  return Niveaux(p, fin, static_cast<uint64_t>(ns));
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
  char tampon[kTailleTexte];
  texte.assign(tampon, Courte(tampon, tampon + sizeof tampon, ns));
}

void CDecodageTrame::FormateDuree(int64_t ns, std::string& texte) {
  // Magnitude taken unsigned so that the most negative value does not overflow.
  const uint64_t valeur = ns < 0 ? 0 - static_cast<uint64_t>(ns) : static_cast<uint64_t>(ns);
  char tampon[kTailleTexte];
  char* const fin = tampon + sizeof tampon;
  char* p = tampon;
  if (ns < 0) *p++ = '-';
  if (valeur < kNsJour) {
    p = Niveaux(p, fin, valeur);
  } else {
    const double us = static_cast<double>(valeur) / 1000;
    const double mn = us / 1000 / 1000 / 60;
    const double h = mn / 60;
    const int64_t j = static_cast<int64_t>(h / 24);
    const int64_t heures = static_cast<int64_t>(h - static_cast<double>(j * 24));
    p = Ajoute(Nombre(p, static_cast<int>(j)), "d ");
    p = Ajoute(Nombre(p, static_cast<int>(heures)), "h ");
    p = std::to_chars(p, fin, mn - static_cast<double>((j * 24 + heures) * 60), std::chars_format::fixed, 2).ptr;
    p = Ajoute(p, "mn");
  }
  texte.assign(tampon, p);
}

int64_t CDecodageTrame::FormateDateRel(uint64_t date, bool negatif, std::string* texte) const {
  const int64_t ns = static_cast<int64_t>(date * FacteurNs());
  if (texte == nullptr) return ns;
  char tampon[kTailleTexte];
  char* p = tampon;
  if (negatif) p = Ajoute(p, "- ");
  texte->assign(tampon, Courte(p, tampon + sizeof tampon, ns));
  return ns;
}

int64_t CDecodageTrame::InterTrameNs(uint64_t ecart, uint16_t lenPrecedente) const {
  const uint64_t facteur = FacteurNs();
  // A gap beyond the nanosecond range is a date that went backwards (or damaged data): unknown.
  if (facteur != 0 && ecart > static_cast<uint64_t>(INT64_MAX) / facteur) return -1;
  return static_cast<int64_t>(ecart * facteur) - DureeTrameBits(lenPrecedente, static_cast<uint16_t>(10 * facteur));
}

void CDecodageTrame::FormateInterTrame(uint64_t ecart, uint16_t lenPrecedente, std::string& texte) const {
  FormateDureeCourte(InterTrameNs(ecart, lenPrecedente), texte);
}

void CDecodageTrame::FormateDateAbs(uint64_t date, bool avant, std::string& texte) const {
  const uint64_t ticks = date * FacteurNs() / 100;
  const uint64_t instant = avant ? capture_->uliDateDetect - ticks : capture_->uliDateDetect + ticks;
  platform::CalendarFields champs;
  if (!platform::filetime_to_fields(instant, champs)) {
    texte.clear();
    return;
  }
  // "%ih%imn%is the %i/%i/%i"
  char tampon[kTailleTexte];
  char* p = Ajoute(Nombre(tampon, champs.hour), "h");
  p = Ajoute(Nombre(p, champs.minute), "mn");
  p = Ajoute(Nombre(p, champs.second), "s the ");
  p = Ajoute(Nombre(p, champs.month), "/");
  p = Ajoute(Nombre(p, champs.day), "/");
  p = Nombre(p, champs.year);
  texte.assign(tampon, p);
}

}  // namespace brv
