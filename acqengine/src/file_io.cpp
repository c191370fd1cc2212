// Writes into the acquisition file: appended blocks for linear zones, positioned blocks for the
// rotating ones. The file is opened around every write, so readers always see a closed file.

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

bool ecrit_tout(int fd, const uint8_t* p, size_t n, int64_t position) {
  while (n > 0) {
    const ssize_t w = position < 0 ? ::write(fd, p, n) : ::pwrite(fd, p, n, position);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
    if (position >= 0) position += w;
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
  if (!ecrit_tout(fd, buffer, size, position)) {
    const int err = errno;
    trace(std::string(pretrig_premier ? "Erreur WriteFile 4 \n" : type == SYN_PRETRIG ? "Erreur WriteFile 5 \n"
                                                                                         : "Erreur WriteFile 3 \n") +
          texte_erreur(err) + "\n");
    ::close(fd);
    fin_acquisition(ERR_FICHIER);
    return false;
  }
  if (pretrig_premier) s.travail.post_trig_ecrit = true;
  s.octets_ecrits += size;
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
                                   uint32_t* /*pos_buffer_sous_bloc*/, uint32_t* /*index_buffer*/,
                                   uint32_t* index_fichier, TYPE_WRITE_PRETRIG /*kind*/) {
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
  uint64_t debut_zone, taille_zone;
  {
    std::lock_guard lock(s.mutex_entete);
    debut_zone = s.stEnteteF.ullPosZonePostTrig;
  }
  taille_zone = s.ullTaillePostTrig;
  const uint64_t fin_zone = debut_zone + taille_zone;
  uint64_t& w = s.ullPosTournantFinInterneFTournant;
  if (size < fin_zone - w) {
    if (!ecrit_tout(fd, buffer, size, static_cast<int64_t>(w))) return echec(6);
    w += size;
  } else {
    // Wrap: the end of the zone, then the rest from its start.
    const uint64_t avant = fin_zone - w;
    if (!ecrit_tout(fd, buffer, avant, static_cast<int64_t>(w))) return echec(7);
    const uint64_t reste = size - avant;
    if (!ecrit_tout(fd, buffer + avant, reste, static_cast<int64_t>(debut_zone))) return echec(8);
    w = debut_zone + reste;
  }
  {
    std::lock_guard lock(s.mutex_entete);
    // A write that ends exactly at the zone end leaves the last byte there, not before the zone.
    s.stEnteteF.ullPosTournantFin = (w == debut_zone ? fin_zone : w) - 1;
    const uint32_t suivant = static_cast<uint32_t>((*index_fichier + 1) % s.ulNbBlocFTournant);
    s.stEnteteF.ullPosTournantDebut = pos_fichier_sous_bloc[suivant];
    s.stEnteteF.ullLgZonePostTrig = w - debut_zone;
  }
  if (::close(fd) != 0) {
    trace("erreur close F \n");
    fin_acquisition(ERR_FICHIER);
    return false;
  }
  return true;
}
