#include "brv_core/file/data_end.h"

#include <algorithm>
#include <vector>

#include <brv_platform/endian.h>
#include <brv_platform/files.h>

namespace brv {

namespace {

using vandrel::kLgEnregMin;
using vandrel::kTailleEntete;

// Reads the little-endian words of the records through one large block.
class Fenetre {
 public:
  // Never larger than the bytes to walk, so that a small file costs no large block.
  Fenetre(int fd, uint64_t octets) : fd_(fd), bloc_(std::clamp<uint64_t>(octets, 2, uint64_t{1} << 20)) {}
  // 1 with the word at `at`, 0 past the end of the file, -1 on a read error.
  int mot(uint64_t at, uint16_t& v) {
    if (at < debut_ || at + 2 > debut_ + lg_) {
      const int64_t lu = platform::read_at(fd_, bloc_.data(), bloc_.size(), at);
      if (lu < 0) return -1;
      debut_ = at;
      lg_ = static_cast<uint64_t>(lu);
      if (lg_ < 2) return 0;
    }
    v = platform::load_le16(bloc_.data() + (at - debut_));
    return 1;
  }

 private:
  int fd_;
  std::vector<uint8_t> bloc_;
  uint64_t debut_ = 0;
  uint64_t lg_ = 0;
};

}  // namespace

Enregistrements ParcourtEnregistrements(int fd, uint64_t debut, uint64_t taille) {
  Fenetre f(fd, taille - std::min(debut, taille));
  Enregistrements e;
  e.fin = debut;
  uint16_t tete = 0;
  uint16_t queue = 0;
  while (e.fin + kLgEnregMin <= taille) {
    const int lu = f.mot(e.fin, tete);
    if (lu < 0) {
      e.erreurLecture = true;
      break;
    }
    if (lu == 0 || tete < kLgEnregMin || tete > taille - e.fin) break;
    const int luQueue = f.mot(e.fin + tete - 2, queue);
    if (luQueue < 0) {
      e.erreurLecture = true;
      break;
    }
    if (luQueue == 0 || queue != tete) break;
    e.fin += tete;
    ++e.nombre;
  }
  return e;
}

FinDonnees ChercheFinDonnees(int fd, const vandrel::ENTETE_FICHIER& h, uint64_t taille) {
  FinDonnees fin;
  if (!entete_de_depart(h)) {
    const uint64_t pos = h.ullPosZonePostTrig;
    const uint64_t lg = h.ullLgZonePostTrig;
    const uint64_t annonce = std::max<uint64_t>(lg > UINT64_MAX - pos ? UINT64_MAX : pos + lg, kTailleEntete);
    // An end beyond the file (a capture cut short) is not trusted: a tail written there would
    // make the file as large as the header claims.
    if (annonce <= std::max(taille, kTailleEntete)) {
      fin.position = annonce;
      return fin;
    }
  }
  uint64_t fin_ = kTailleEntete;
  const auto parcours = [&](uint64_t debut) {
    const Enregistrements e = ParcourtEnregistrements(fd, debut, taille);
    if (e.erreurLecture) {
      fin.erreurLecture = true;
      fin_ = std::max(fin_, taille);
    } else {
      fin_ = std::max(fin_, e.fin);
    }
  };
  // Records run from the header on: the whole linear zone, or a rotating zone up to where it was
  // last written (or past it into the post-trigger zone when that was moved behind the history).
  parcours(kTailleEntete);
  const bool pretrig = h.ullPosZonePreTrig == kTailleEntete && h.ullPosZonePostTrig > kTailleEntete;
  if (pretrig && taille > h.ullPosZonePostTrig) {
    // The history filled its zone: the post-trigger records follow it.
    fin_ = std::max(fin_, h.ullPosZonePostTrig);
    parcours(h.ullPosZonePostTrig);
  } else if (!pretrig && h.ulLgBlocTournant != 0 && taille > kTailleEntete) {
    // A ring that wrapped holds whole sub-blocks behind the write position.
    const uint64_t bloc = h.ulLgBlocTournant;
    fin_ = std::max(fin_, kTailleEntete + (taille - kTailleEntete) / bloc * bloc);
  }
  fin.position = std::min(std::max(fin_, kTailleEntete), std::max(taille, kTailleEntete));
  return fin;
}

}  // namespace brv
