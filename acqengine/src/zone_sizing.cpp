#include "zone_sizing.h"

#include <limits>

namespace vandrel {

void TaillesZones::applique(ENTETE_FICHIER& e) const {
  e.ullPosZonePostTrig = pos_post_trig;
  e.ullPosZonePreTrig = pos_pre_trig;
  e.ullPosTournantDebut = e.ullPosTournantFin = kTailleEntete;
  if (continu) e.ulLgBlocTournant = static_cast<uint32_t>(taille_sous_bloc);
}

bool calcule_zones(const INI_ACQ& ini, uint32_t lgp_buffer, uint32_t mul_buffer_save, TaillesZones& z,
                   std::string& raison) {
  z = TaillesZones{};
  z.taille_post_trig = ini.ullLgZonePostTrig;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max() / 2;
  if (ini.enTypeAcq == SYN_PRETRIG) {
    uint64_t pre = ini.ullLgMaxZonePreTrig < kTaillePreTrigMin ? kTaillePreTrigMin : ini.ullLgMaxZonePreTrig;
    if (pre > kMax || z.taille_post_trig > kMax) {
      raison = "zone sizes beyond a 64-bit offset";
      return false;
    }
    pre = pre / 10 * kNbSousBlocsPreTrig;
    z.taille_pre_trig = pre;
    z.taille_sous_bloc = pre / kNbSousBlocsPreTrig;
    z.pos_pre_trig = kTailleEntete;
    z.pos_post_trig = kTailleEntete + pre;
    return true;
  }
  if (z.taille_post_trig > kMax) {
    raison = "zone size beyond a 64-bit offset";
    return false;
  }
  if (ini.bAcqContinue) {
    z.continu = true;
    z.taille_sous_bloc = uint64_t{mul_buffer_save} * lgp_buffer * 4096;
    z.nb_blocs = z.taille_post_trig / z.taille_sous_bloc;
    if (z.nb_blocs == 0) {
      raison = "circular zone of " + std::to_string(z.taille_post_trig) + " bytes, below one sub-block of " +
               std::to_string(z.taille_sous_bloc);
      return false;
    }
    z.taille_post_trig = z.nb_blocs * z.taille_sous_bloc;
  }
  return true;
}

}  // namespace vandrel
