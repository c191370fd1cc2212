#include "brv_core/file/ring_walk.h"

#include <algorithm>
#include <vector>

#include <brv_platform/endian.h>
#include <brv_platform/files.h>
#include <vandrel/acq_file.h>

namespace brv {

namespace {

using vandrel::kLgEnregMin;

// A partial record is the tail of one record: a boundary lies within the longest record's length.
constexpr uint64_t kRecherche = 0xFFFF;
// Records in a row that make a boundary believable (fewer when the ring holds fewer).
constexpr uint64_t kChaine = 4;
constexpr size_t kBloc = size_t{1} << 20;

struct Enreg {
  uint16_t lg = 0;
  uint64_t date = 0;  // without the filter mark
};

enum class Lu { Enreg, Aucun, Erreur };

// Reads the ring [debut, fin) through one large block, wrapping at its end.
class LecteurAnneau {
 public:
  // A small ring gets a small block.
  LecteurAnneau(int fd, uint64_t debut, uint64_t fin)
      : fd_(fd), debut_(debut), fin_(fin), octets_(static_cast<size_t>(std::min<uint64_t>(kBloc, fin - debut))) {}

  uint64_t taille() const { return fin_ - debut_; }
  uint64_t plus(uint64_t p, uint64_t n) const { return debut_ + (p - debut_ + n % taille()) % taille(); }
  uint64_t moins(uint64_t p, uint64_t n) const { return debut_ + (p - debut_ + taille() - n % taille()) % taille(); }
  uint64_t posErreur() const { return posErreur_; }

  // The record that starts at p.
  Lu en(uint64_t p, Enreg& r) {
    uint8_t tete[10];
    uint8_t queue[2];
    if (!lit(p, tete, sizeof tete, false)) return Lu::Erreur;
    r.lg = platform::load_le16(tete);
    if (r.lg < kLgEnregMin || r.lg > taille()) return Lu::Aucun;
    if (!lit(plus(p, r.lg - 2u), queue, sizeof queue, false)) return Lu::Erreur;
    if (platform::load_le16(queue) != r.lg) return Lu::Aucun;
    r.date = platform::load_le64(tete + vandrel::kPosDateEnreg) & vandrel::kMasqueDate;
    return Lu::Enreg;
  }

  // The record that ends at e, found from its trailing length.
  Lu avant(uint64_t e, Enreg& r) {
    uint8_t queue[2];
    uint8_t tete[10];
    if (!lit(moins(e, 2), queue, sizeof queue, true)) return Lu::Erreur;
    r.lg = platform::load_le16(queue);
    if (r.lg < kLgEnregMin || r.lg > taille()) return Lu::Aucun;
    if (!lit(moins(e, r.lg), tete, sizeof tete, true)) return Lu::Erreur;
    if (platform::load_le16(tete) != r.lg) return Lu::Aucun;
    r.date = platform::load_le64(tete + vandrel::kPosDateEnreg) & vandrel::kMasqueDate;
    return Lu::Enreg;
  }

 private:
  // n bytes from p; a backward walk keeps the block below p.
  bool lit(uint64_t p, uint8_t* out, size_t n, bool arriere) {
    for (size_t i = 0; i < n; ++i) {
      const uint64_t q = plus(p, i);
      if (q < bloc_ || q - bloc_ >= lg_) {
        const uint64_t depuis = arriere && q + 1 - debut_ > kBloc ? q + 1 - kBloc : arriere ? debut_ : q;
        const auto voulu = static_cast<size_t>(std::min<uint64_t>(kBloc, fin_ - depuis));
        lg_ = 0;
        if (platform::read_at(fd_, octets_.data(), voulu, depuis) != static_cast<int64_t>(voulu)) {
          posErreur_ = depuis;
          return false;
        }
        bloc_ = depuis;
        lg_ = voulu;
      }
      out[i] = octets_[q - bloc_];
    }
    return true;
  }

  int fd_;
  uint64_t debut_;
  uint64_t fin_;
  std::vector<uint8_t> octets_;
  uint64_t bloc_ = 0;
  uint64_t lg_ = 0;
  uint64_t posErreur_ = 0;
};

// Walks forward from p over whole records with dates that do not fall, at most `max` of them and
// never more than once round. `fin` gets the position after the last one.
Lu Avance(LecteurAnneau& a, uint64_t p, uint64_t max, uint64_t& nombre, uint64_t& octets, uint64_t& fin) {
  nombre = 0;
  octets = 0;
  uint64_t date = 0;
  Enreg r;
  while (nombre < max) {
    const Lu lu = a.en(p, r);
    if (lu == Lu::Erreur) return lu;
    if (lu == Lu::Aucun || r.date < date || octets + r.lg > a.taille()) break;
    octets += r.lg;
    date = r.date;
    p = a.plus(p, r.lg);
    ++nombre;
  }
  fin = p;
  return Lu::Enreg;
}

}  // namespace

bool LitAnneau(int fd, uint64_t debut, uint64_t fin, uint64_t pos, uint8_t* buf, size_t n) {
  if (pos < debut || pos >= fin) return false;
  while (n > 0) {
    const auto part = static_cast<size_t>(std::min<uint64_t>(n, fin - pos));
    if (platform::read_at(fd, buf, part, pos) != static_cast<int64_t>(part)) return false;
    buf += part;
    n -= part;
    pos = debut;
  }
  return true;
}

Anneau ParcourtAnneau(int fd, uint64_t debut, uint64_t fin) {
  Anneau res;
  res.plusAncien = res.ecriture = debut;
  if (fin < debut + kLgEnregMin) return res;
  LecteurAnneau a(fd, debut, fin);
  const auto erreur = [&] {
    res.erreurLecture = true;
    res.posErreur = a.posErreur();
    return res;
  };

  // 1. A first boundary: the first offset from which a chain of records checks, or failing
  // that the one with the longest chain (in bytes when as many records: a record-like run of
  // frame bytes is short).
  uint64_t s = debut;
  uint64_t meilleur = 0;
  uint64_t meilleursOctets = 0;
  uint64_t nombre = 0;
  uint64_t octets = 0;
  uint64_t apres = 0;
  for (uint64_t i = 0; i < std::min(kRecherche, a.taille()) && meilleur < kChaine; ++i) {
    if (Avance(a, debut + i, kChaine, nombre, octets, apres) == Lu::Erreur) return erreur();
    if (nombre > meilleur || (nombre == meilleur && octets > meilleursOctets)) {
      meilleur = nombre;
      meilleursOctets = octets;
      s = debut + i;
    }
  }
  if (meilleur == 0) return res;

  // 2. The write point: where the records stop checking or their dates fall.
  if (Avance(a, s, UINT64_MAX, nombre, octets, res.ecriture) == Lu::Erreur) return erreur();

  // 3. Back from it, while records check and their dates do not rise, at most once round.
  uint64_t e = res.ecriture;
  uint64_t date = UINT64_MAX;
  Enreg r;
  for (;;) {
    const Lu lu = a.avant(e, r);
    if (lu == Lu::Erreur) return erreur();
    if (lu == Lu::Aucun || r.date > date || res.octets + r.lg > a.taille()) break;
    res.octets += r.lg;
    date = r.date;
    e = a.moins(e, r.lg);
    ++res.nombre;
  }
  res.plusAncien = e;
  return res;
}

}  // namespace brv
