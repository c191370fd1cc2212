// The file thread's recording: frames of the walk become file records in bufferASauver, which is
// written to a linear zone (write_file) or to the circular zone (write_file_tournant).

#include <cstring>
#include <string>

#include <brv_platform/filetime.h>
#include <brv_platform/trace.h>

#include "engine_state.h"
#include "vandrel/vandrel.h"

using brv::platform::trace;
using namespace vandrel;

bool CVandrel::record_words(bool final) {
  VandrelState& s = *pldi;
  TravailFichier& t = s.travail;
  const bool continu = s.stIniAcq.bAcqContinue != 0;

  if (t.premier_cycle) {
    t.premier_cycle = false;
    {
      std::lock_guard lock(s.mutex_entete);
      s.stEnteteF.uliDateDetect = brv::platform::local_filetime_now();
    }
    // A triggered acquisition arms its duration at the trigger.
    if (s.bArretSurTimer && s.stIniAcq.enTypeAcq == SANS_SYN) s.evtTimer.set(s.echeance_duree);
    t.date = DateCourante{};
    t.position = 0;
    t.date_flush = 0;
    t.pos_courante = s.ullPosTournantFinInterneFTournant;
  }

  // Before the trigger nothing is written: frames are only searched.
  const bool enregistre = s.stIniAcq.enTypeAcq == SANS_SYN || s.bSynOk;
  if (!final && enregistre) {
    if (!continu) {
      const uint64_t room = t.a_sauver.size() - t.position;
      if (t.date.date - t.date_flush > m_reglages_test.intervalle_flush || room < 3 * t.parcours.octets_a_traiter() ||
          s.duree_ecoulee || s.trafic_perdu) {
        if (!flush_records(false)) return false;
      }
    } else if (s.trafic_perdu) {
      if (!flush_records(false)) return false;
    }
  }

  const bool ok = t.parcours.parcourt(final, [&](const TrameMots& trame) { return record_frame(trame, final); });
  if (!ok) return false;
  if (final && (s.stIniAcq.enTypeAcq == SANS_SYN || s.bSynOk)) return flush_records(true);
  return true;
}

bool CVandrel::record_frame(const TrameMots& trame, bool final) {
  VandrelState& s = *pldi;
  TravailFichier& t = s.travail;
  uint64_t date = t.date.avance();
  if (trame.statut & STATUT_INTERRUPTION_TRAFIC) {
    recalcule_dateR(&date);
    t.date.date = date;
  }
  t.date.temps_precedent = trame.temps;

  const auto n = static_cast<uint16_t>(trame.octets.size());
  if (s.stIniAcq.enTypeAcq != SANS_SYN && !s.bSynOk) {
    // The search runs before the padding filter: dropped frames can trigger too.
    if (!avance_combinaison(s.combinaison, trame.octets.data(), n)) return true;
    return on_trigger(trame, date, final);
  }
  if (!s.motif_filtre.empty() && n == s.motif_filtre.size() + 2 &&
      compare_frames(trame.mots, n, s.motif_filtre.data(), static_cast<uint16_t>(s.motif_filtre.size()))) {
    t.filtre_precedent = true;
    if (trame.statut & STATUT_INTERRUPTION_TRAFIC) t.bit3_reporte = true;
    return true;
  }
  return place_record(trame.octets.data(), n, date, trame.statut, final);
}

bool CVandrel::on_trigger(const TrameMots& trame, uint64_t date, bool final) {
  VandrelState& s = *pldi;
  TravailFichier& t = s.travail;
  if (s.stIniAcq.enTypeAcq == SYN_FILTRE) {
    trace("Erreur: Gestion SYN_FILTRE non codée \n");
    fin_acquisition(ERR_BUFFERS);
    return false;
  }
  s.bSynOk = true;
  {
    std::lock_guard lock(s.mutex_entete);
    s.stEnteteF.uliDateDetect = brv::platform::local_filetime_now();
    if (s.stIniAcq.enTypeAcq == SYN_PRETRIG) s.stEnteteF.ullDateTrig = date;
  }
  if (s.bArretSurTimer) s.evtTimer.set(s.echeance_duree);
  // The trigger frame opens the post-trigger time base: date 0, status 0.
  t.date.date = 0;
  t.date.temps_precedent = trame.temps;
  t.date_flush = 0;
  t.filtre_precedent = t.bit3_reporte = false;
  return place_record(trame.octets.data(), static_cast<uint16_t>(trame.octets.size()), 0, 0, final);
}

bool CVandrel::place_record(const uint8_t* octets, uint16_t n, uint64_t date, uint8_t statut, bool final) {
  VandrelState& s = *pldi;
  TravailFichier& t = s.travail;
  const bool continu = s.stIniAcq.bAcqContinue != 0;
  const size_t lg = size_t{n} + kSurchargeEnreg;
  // No room left for this record: write what is gathered first.
  if (t.a_sauver.size() - t.position < lg && !flush_records(false)) return false;
  if (t.filtre_precedent) date |= kMarqueFiltre;
  if (t.bit3_reporte) statut |= STATUT_INTERRUPTION_TRAFIC;
  t.filtre_precedent = t.bit3_reporte = false;
  ecrire_enreg(t.a_sauver.data() + t.position, date, octets, n, statut);
  t.position += lg;
  if (!continu) return true;

  // The circular zone: first record of each sub-block, and the wrap at the zone end.
  uint64_t debut_zone;
  {
    std::lock_guard lock(s.mutex_entete);
    debut_zone = s.stEnteteF.ullPosZonePostTrig;
  }
  t.pos_courante += lg;
  const uint64_t fin_zone = debut_zone + s.ullTaillePostTrig;
  if (t.pos_courante >= fin_zone) {
    t.pos_courante -= s.ullTaillePostTrig;
    t.pos_fichier_sous_bloc[0] = t.pos_courante;
    t.index_fichier = 0;
    t.reboucle = true;
  } else if (t.index_fichier + 1 < s.ulNbBlocFTournant &&
             t.pos_courante >= debut_zone + s.ullTailleSousBlocTournant * (t.index_fichier + 1)) {
    ++t.index_fichier;
    t.pos_fichier_sous_bloc[t.index_fichier] = t.pos_courante;
  }
  if (!final && (t.a_sauver.size() - t.position < kMargeTournant || s.duree_ecoulee)) return flush_records(false);
  return true;
}

bool CVandrel::flush_records(bool final) {
  VandrelState& s = *pldi;
  TravailFichier& t = s.travail;
  const bool continu = s.stIniAcq.bAcqContinue != 0;
  const auto taille = static_cast<uint32_t>(t.position);
  t.position = 0;
  if (!continu) {
    if (!write_file(t.a_sauver.data(), taille)) return false;
    t.date_flush = t.date.date;
  } else {
    if (!write_file_tournant(t.a_sauver.data(), taille, t.pos_fichier_sous_bloc.data(), t.pos_buffer_sous_bloc,
                             &t.index_buffer, &t.index_fichier, PRETRIG_COMPLET)) {
      return false;
    }
    set_etat(ACQ_EN_COURS);
    std::lock_guard lock(s.mutex_entete);
    s.stEnteteF.ullLgZonePostTrig =
        t.reboucle ? s.ullTaillePostTrig : s.ullPosTournantFinInterneFTournant - s.stEnteteF.ullPosZonePostTrig;
  }
  if (final) return true;
  if (s.trafic_perdu) {
    if (s.ulNumSwitchBuffersAcq == s.ulNumSwitchBuffersAcqPrec && etat() != ATTENTE_TRAFIC) set_etat(ATTENTE_RETRAFIC);
    s.trafic_perdu = false;
  }
  if (s.duree_ecoulee) {
    fin_acquisition(FIN_NORMALE);
    return false;
  }
  return true;
}
