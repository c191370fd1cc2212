// Writes into the acquisition file: appended blocks for linear zones, positioned blocks for the
// rotating ones. The file is opened around every write, so readers always see a closed file.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <brv_platform/endian.h>
#include <brv_platform/keep_awake.h>
#include <brv_platform/trace.h>

#include "engine_state.h"
#include "trace_format.h"
#include "vandrel/vandrel.h"

using brv::platform::trace;
using namespace vandrel;

namespace {

// ecrits: how many bytes reached the file, also when the write fails part way (a full disk).
bool ecrit_tout(int fd, const uint8_t* p, size_t n, int64_t position, size_t* ecrits = nullptr) {
  if (ecrits != nullptr) *ecrits = 0;
  while (n > 0) {
    const ssize_t w = position < 0 ? ::write(fd, p, n) : ::pwrite(fd, p, n, position);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      // A short write that was not an error (a full disk says so only at the next one).
      if (w == 0) errno = ENOSPC;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
    if (position >= 0) position += w;
    if (ecrits != nullptr) *ecrits += static_cast<size_t>(w);
  }
  return true;
}

std::string texte_erreur(int err) {
  char text[128];
  return brv::platform::system_error_text(err, text, sizeof text);
}

// The longest run of whole records at the front of buffer that holds no more than limite bytes.
uint32_t enregistrements_entiers(const uint8_t* buffer, uint32_t size, uint64_t limite) {
  uint32_t n = 0;
  while (n + kLgEnregMin <= size) {
    const uint16_t lg = brv::platform::load_le16(buffer + n);
    if (lg < kLgEnregMin || uint64_t{n} + lg > limite || n + lg > size) break;
    n += lg;
  }
  return n;
}

// After a write that failed part way (a full disk) with `ecrits` bytes of buffer ending at `fin` in
// the file: the bytes of whole records that reached it. When the file ends there, the piece of the
// next record is cut away: a reader would take it for the start of a tail.
uint32_t garde_entiers(int fd, const uint8_t* buffer, size_t ecrits, int64_t fin) {
  const uint32_t entier = enregistrements_entiers(buffer, static_cast<uint32_t>(ecrits), ecrits);
  struct stat st {};
  if (entier < ecrits && fin >= 0 && ::fstat(fd, &st) == 0 && st.st_size == fin &&
      ::ftruncate(fd, static_cast<off_t>(fin - static_cast<int64_t>(ecrits - entier))) != 0) {
    trace("garde_entiers: " + texte_erreur(errno) + "\n");
  }
  return entier;
}

}  // namespace

bool CVandrel::write_file(const uint8_t* buffer, uint32_t size) {
  VandrelState& s = *pldi;
  const int32_t type = s.stIniAcq.enTypeAcq;
  if (type == SYN_FILTRE || type < 0) return true;
  const bool pretrig_premier = type == SYN_PRETRIG && s.octets_ecrits == 0 && !s.travail.post_trig_ecrit;
  int fd = -1;
  if (!open_file(pretrig_premier ? 2 : 1, static_cast<uint16_t>(s.chemin.size()), s.chemin.c_str(), &fd)) {
    fin_acquisition(ERR_FICHIER);
    return false;
  }
  bool coupe = false;
  if (!s.bArretSurTimer) {
    // Only whole records go in: a record cut at the zone end would spoil the end of the file.
    const uint64_t reste = s.ullTaillePostTrig > s.octets_ecrits ? s.ullTaillePostTrig - s.octets_ecrits : 0;
    const uint32_t entier = enregistrements_entiers(buffer, size, reste);
    coupe = entier < size;
    size = entier;
  }
  int64_t position = -1;
  if (pretrig_premier) {
    std::lock_guard lock(s.mutex_entete);
    position = static_cast<int64_t>(s.stEnteteF.ullPosZonePostTrig);
  }
  size_t ecrits = 0;
  if (!ecrit_tout(fd, buffer, size, position, &ecrits)) {
    const int err = errno;
    trace(std::string(pretrig_premier ? "Erreur WriteFile 4 \n" : type == SYN_PRETRIG ? "Erreur WriteFile 5 \n"
                                                                                         : "Erreur WriteFile 3 \n") +
          texte_erreur(err) + "\n");
    // The whole records that reached the disk before it filled are kept. Appended bytes end at the
    // descriptor's offset.
    const int64_t fin = position >= 0 ? position + static_cast<int64_t>(ecrits) : ::lseek(fd, 0, SEEK_CUR);
    const uint32_t entier = garde_entiers(fd, buffer, ecrits, fin);
    if (entier > 0) {
      if (pretrig_premier) s.travail.post_trig_ecrit = true;
      s.octets_ecrits += entier;
      s.octets_total += entier;
      std::lock_guard lock(s.mutex_entete);
      s.stEnteteF.ullLgZonePostTrig += entier;
    }
    ::close(fd);
    fin_acquisition(ERR_FICHIER);
    return false;
  }
  if (pretrig_premier) {
    s.travail.post_trig_ecrit = true;
    // With a duration the zone size is the room on the disk, from which the pre-trigger part is gone.
    if (s.bArretSurTimer && s.ullTaillePostTrig > static_cast<uint64_t>(position)) {
      s.ullTaillePostTrig -= static_cast<uint64_t>(position);
    }
  }
  s.octets_ecrits += size;
  s.octets_total += size;
  {
    std::lock_guard lock(s.mutex_entete);
    s.stEnteteF.ullLgZonePostTrig += size;
  }
  set_etat(ACQ_EN_COURS);
  if (coupe || s.octets_ecrits + 10 >= s.ullTaillePostTrig || s.duree_ecoulee) {
    if (type == SYN_PRETRIG) trace("Le fichier 2 est plein \n");
    ::close(fd);
    fin_acquisition(FIN_NORMALE);
    return false;
  }
  if (::close(fd) != 0) {
    trace("Erreur dans la fermeture du fichier \n");
    fin_acquisition(ERR_FICHIER);
    return false;
  }
  return true;
}

bool CVandrel::write_file_tournant(const uint8_t* buffer, uint32_t size, uint64_t* pos_fichier_sous_bloc,
                                   uint32_t* pos_buffer_sous_bloc, uint32_t* index_buffer, uint32_t* index_fichier,
                                   TYPE_WRITE_PRETRIG kind) {
  VandrelState& s = *pldi;
  ++s.ulNbWriteSyn;
  int fd = -1;
  if (!open_file(2, static_cast<uint16_t>(s.chemin.size()), s.chemin.c_str(), &fd)) {
    fin_acquisition(ERR_FICHIER);
    return false;
  }
  auto echec = [&](int numero) {
    const int err = errno;
    trace("Erreur WriteFile " + std::to_string(numero) + " " + texte_erreur(err) + "\n");
    ::close(fd);
    fin_acquisition(ERR_FICHIER);
    return false;
  };
  ENTETE_FICHIER h;
  {
    std::lock_guard lock(s.mutex_entete);
    h = s.stEnteteF;
  }

  if (s.stIniAcq.enTypeAcq != SYN_PRETRIG) {
    // The circular data zone [debut, fin).
    const uint64_t debut = h.ullPosZonePostTrig;
    const uint64_t fin = debut + s.ullTaillePostTrig;
    uint64_t& w = s.ullPosTournantFinInterneFTournant;
    if (size < fin - w) {
      size_t ecrits = 0;
      if (!ecrit_tout(fd, buffer, size, static_cast<int64_t>(w), &ecrits)) {
        // Before the first wrap the file grows with the zone, and a full disk stops it there: the
        // whole records that reached it are kept. Later writes only overwrite what the file holds.
        const uint32_t entier =
            s.travail.reboucle ? 0 : garde_entiers(fd, buffer, ecrits, static_cast<int64_t>(w + ecrits));
        if (entier > 0) {
          std::lock_guard lock(s.mutex_entete);
          w += entier;
          s.octets_total += entier;
          s.stEnteteF.ullPosTournantFin = w - 1;
          s.stEnteteF.ullPosTournantDebut = debut;
          s.stEnteteF.ullLgZonePostTrig = w - debut;
        }
        return echec(6);
      }
      w += size;
    } else {
      // Wrap: the end of the zone, then the rest from its start.
      const uint64_t avant = fin - w;
      if (!ecrit_tout(fd, buffer, avant, static_cast<int64_t>(w))) return echec(7);
      const uint64_t reste = size - avant;
      if (!ecrit_tout(fd, buffer + avant, reste, static_cast<int64_t>(debut))) return echec(8);
      w = debut + reste;
    }
    s.octets_total += size;
    // A write that ends exactly at the zone end leaves the last byte there, not before the zone.
    h.ullPosTournantFin = (w == debut ? fin : w) - 1;
    h.ullPosTournantDebut = pos_fichier_sous_bloc[(*index_fichier + 1) % s.ulNbBlocFTournant];
    h.ullLgZonePostTrig = w - debut;
  } else if (kind == PRETRIG_COMPLET) {
    const uint64_t p = s.ullTaillePreTrig;
    const uint64_t debut = h.ullPosZonePreTrig;
    if (size < p) {
      trace("Copie partielle\n");
      if (!ecrit_tout(fd, buffer, size, static_cast<int64_t>(debut))) return echec(9);
      h.ullPosTournantFin = debut + size;
    } else {
      trace("Copie complete\n");
      if (!ecrit_tout(fd, buffer + size - p, p, static_cast<int64_t>(debut))) return echec(10);
      h.ullPosTournantFin = debut + p;
      // Newest sub-block last: file offset = zone start + P + buffer offset - size.
      uint32_t ib = *index_buffer;
      for (int k = 10; k >= 0; --k) {
        const uint64_t base = debut + p + pos_buffer_sous_bloc[ib];
        if (base < size) {
          trace("soustraction 1\n");
          ::close(fd);
          fin_acquisition(ERR_FICHIER);
          return false;
        }
        pos_fichier_sous_bloc[k] = base - size;
        ib = ib == 0 ? 10 : ib - 1;
      }
    }
  } else {
    // The history rotating in the zone [debut, fin) itself.
    const uint64_t debut = h.ullPosZonePreTrig;
    const uint64_t fin = h.ullPosZonePostTrig;
    uint64_t w = h.ullPosTournantFin;
    if (w < debut || w > fin) {
      trace("soustraction 4\n");
      ::close(fd);
      fin_acquisition(ERR_FICHIER);
      return false;
    }
    if (size < fin - w) {
      if (!ecrit_tout(fd, buffer, size, static_cast<int64_t>(w))) return echec(11);
      w += size;
    } else {
      trace("gestion du rebouclage\n");
      const uint64_t avant = fin - w;
      if (!ecrit_tout(fd, buffer, avant, static_cast<int64_t>(w))) return echec(12);
      if (!ecrit_tout(fd, buffer + avant, size - avant, static_cast<int64_t>(debut))) return echec(13);
      w = debut + (size - avant);
    }
    // Exactly at the zone end: the write position stays there, so that the last byte is inside.
    h.ullPosTournantFin = w == debut && size > 0 ? fin : w;
  }
  {
    std::lock_guard lock(s.mutex_entete);
    s.stEnteteF.ullPosTournantDebut = h.ullPosTournantDebut;
    s.stEnteteF.ullPosTournantFin = h.ullPosTournantFin;
    s.stEnteteF.ullLgZonePostTrig = h.ullLgZonePostTrig;
  }
  if (::close(fd) != 0) {
    trace("erreur close F \n");
    fin_acquisition(ERR_FICHIER);
    return false;
  }
  return true;
}
