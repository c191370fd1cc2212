// The file thread's recording: frames of the walk become file records in bufferASauver, which is
// written to a linear zone (write_file), to the circular zone or to the pre-trigger history
// (write_file_tournant).

#include <cstring>
#include <string>

#include <brv_platform/filetime.h>
#include <brv_platform/trace.h>

#include "engine_state.h"
#include "vandrel/vandrel.h"
#include "zone_sizing.h"

using brv::platform::trace;
using namespace vandrel;

namespace {

// Complete mode, fewer than a zone of new bytes copied to the zone start: where the ring's oldest
// record is. After a whole copy the new bytes lie over its front and the rest of it holds the frames
// just before them, from its first sub-block start past the new bytes.
uint64_t debut_apres_copie_partielle(const TravailFichier& t, uint64_t debut_zone, uint64_t taille_zone,
                                     uint32_t taille) {
  if (!t.reboucle) return debut_zone;
  const uint64_t neuf = debut_zone + taille;
  for (uint32_t k = 0; k < kNbSousBlocsPreTrig; ++k) {
    const uint64_t p = t.pos_fichier_sous_bloc[k];
    if (p >= neuf && p < debut_zone + taille_zone) return p;
  }
  return debut_zone;
}

}  // namespace

ModeZone CVandrel::zone_mode() const {
  const VandrelState& s = *pldi;
  if (s.stIniAcq.enTypeAcq == SYN_PRETRIG && !s.bSynOk) {
    return s.travail.pretrig_tournant ? ModeZone::PreTrigTournant : ModeZone::PreTrigComplet;
  }
  return s.continu ? ModeZone::Circulaire : ModeZone::Lineaire;
}

bool CVandrel::record_words(bool final) {
  VandrelState& s = *pldi;
  TravailFichier& t = s.travail;

  if (t.premier_cycle) {
    t.premier_cycle = false;
    {
      std::lock_guard lock(s.mutex_entete);
      s.stEnteteF.uliDateDetect = brv::platform::local_filetime_now();
    }
    // A triggered acquisition arms its duration at the trigger.
    if (s.bArretSurTimer && s.stIniAcq.enTypeAcq == SANS_SYN) s.evtTimer.set(s.echeance_duree);
    t.pos_courante = s.stIniAcq.enTypeAcq == SYN_PRETRIG ? s.pos_zone_pre : s.pos_zone_post;
    t.date = DateCourante{};
    t.position = 0;
    t.date_flush = 0;
  }

  // Before the trigger the linear rules do not apply: nothing is written, or only the history.
  const bool enregistre = s.stIniAcq.enTypeAcq == SANS_SYN || s.bSynOk;
  if (!final && enregistre) {
    if (zone_mode() == ModeZone::Lineaire) {
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
  if (!final) return !records_due() || flush_records(false);
  if (enregistre) return flush_records(true);
  // Stopped before the trigger: the history gathered so far still goes into its zone.
  if (s.stIniAcq.enTypeAcq == SYN_PRETRIG) return write_history(t.date.date);
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
    if (avance_combinaison(s.combinaison, trame.octets.data(), n)) return on_trigger(trame, date, final);
    // Frames before the trigger are only searched, except for the pre-trigger history.
    if (s.stIniAcq.enTypeAcq != SYN_PRETRIG) return true;
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
  if (s.stIniAcq.enTypeAcq == SYN_PRETRIG && !write_history(date)) return false;
  s.bSynOk = true;
  {
    std::lock_guard lock(s.mutex_entete);
    s.stEnteteF.uliDateDetect = brv::platform::local_filetime_now();
  }
  if (s.bArretSurTimer) s.evtTimer.set(s.echeance_duree);
  // The trigger frame opens the post-trigger time base: date 0, status 0.
  t.date.date = 0;
  t.date.temps_precedent = trame.temps;
  t.date_flush = 0;
  t.filtre_precedent = t.bit3_reporte = false;
  t.position = 0;
  return place_record(trame.octets.data(), static_cast<uint16_t>(trame.octets.size()), 0, 0, final);
}

bool CVandrel::write_history(uint64_t date_trig) {
  VandrelState& s = *pldi;
  TravailFichier& t = s.travail;
  const bool tournant = t.pretrig_tournant;
  const auto taille = static_cast<uint32_t>(t.position);
  const bool plus_que_zone = taille >= s.ullTaillePreTrig;
  if (!write_file_tournant(t.a_sauver.data(), taille, t.pos_fichier_sous_bloc.data(), t.pos_buffer_sous_bloc,
                           &t.index_buffer, &t.index_fichier, tournant ? PRETRIG_TOURNANT : PRETRIG_COMPLET)) {
    trace("Erreur ecriture Fichier ou fichier plein\n");
    return false;
  }
  t.position = 0;
  std::lock_guard lock(s.mutex_entete);
  ENTETE_FICHIER& h = s.stEnteteF;
  h.ullDateTrig = date_trig;
  if (tournant) {
    h.ullPosTournantDebut = t.pos_fichier_sous_bloc[(t.index_fichier + 1) % kNbSousBlocsPreTrig];
    // The zone never wrapped: the post-trigger zone follows the history directly.
    if (!t.reboucle) h.ullPosZonePostTrig = h.ullPosTournantFin;
  } else if (plus_que_zone) {
    h.ullPosTournantDebut = t.pos_fichier_sous_bloc[0];
  } else {
    h.ullPosTournantDebut = debut_apres_copie_partielle(t, s.pos_zone_pre, s.ullTaillePreTrig, taille);
    // Nothing new since the last whole copy: the history is that copy, up to the zone end.
    if (taille == 0 && t.reboucle) h.ullPosTournantFin = h.ullPosZonePreTrig + s.ullTaillePreTrig;
  }
  if (h.ullPosTournantFin != h.ullPosTournantDebut) --h.ullPosTournantFin;
  return true;
}

bool CVandrel::place_record(const uint8_t* octets, uint16_t n, uint64_t date, uint8_t statut, bool final) {
  VandrelState& s = *pldi;
  TravailFichier& t = s.travail;
  const ModeZone mode = zone_mode();
  const size_t lg = size_t{n} + kSurchargeEnreg;
  // No room left for this record: write what is gathered first.
  if (t.a_sauver.size() - t.position < lg && !flush_records(false)) return false;
  if (t.position == 0) t.depuis_enreg = t.depuis_mots;
  if (t.filtre_precedent) date |= kMarqueFiltre;
  if (t.bit3_reporte) statut |= STATUT_INTERRUPTION_TRAFIC;
  t.filtre_precedent = t.bit3_reporte = false;
  ecrire_enreg(t.a_sauver.data() + t.position, date, octets, n, statut);
  t.position += lg;

  switch (mode) {
    case ModeZone::Lineaire:
      return true;
    case ModeZone::PreTrigComplet: {
      // The buffer offset of the first record of each sub-block, positions taken modulo the zone.
      const uint64_t sb = s.ullTailleSousBlocTournant;
      const auto k = static_cast<uint32_t>((t.position % s.ullTaillePreTrig) / sb);
      while (t.index_buffer != k) {
        t.index_buffer = (t.index_buffer + 1) % kNbSousBlocsPreTrig;
        t.pos_buffer_sous_bloc[t.index_buffer] = static_cast<uint32_t>(t.position);
      }
      break;
    }
    case ModeZone::Circulaire:
    case ModeZone::PreTrigTournant: {
      // First record of each sub-block of the ring, and the wrap at its end.
      const bool post = mode == ModeZone::Circulaire;
      const uint64_t debut_zone = post ? s.pos_zone_post : s.pos_zone_pre;
      const uint64_t taille = post ? s.ullTaillePostTrig : s.ullTaillePreTrig;
      const uint64_t nb = post ? s.ulNbBlocFTournant : kNbSousBlocsPreTrig;
      t.pos_courante += lg;
      if (t.pos_courante >= debut_zone + taille) {
        t.pos_courante -= taille;
        t.pos_fichier_sous_bloc[0] = t.pos_courante;
        t.index_fichier = 0;
        t.reboucle = true;
      } else {
        while (t.index_fichier + 1 < nb &&
               t.pos_courante >= debut_zone + s.ullTailleSousBlocTournant * (t.index_fichier + 1)) {
          ++t.index_fichier;
          t.pos_fichier_sous_bloc[t.index_fichier] = t.pos_courante;
        }
      }
      break;
    }
  }
  if (!final && (t.a_sauver.size() - t.position < kMargeTournant || (mode == ModeZone::Circulaire && s.duree_ecoulee))) {
    return flush_records(false);
  }
  return true;
}

bool CVandrel::records_due() const {
  const VandrelState& s = *pldi;
  const TravailFichier& t = s.travail;
  if (t.position == 0 || HorlogeMoteur::now() - t.depuis_enreg < kAgeEcritureMax) return false;
  if (s.stIniAcq.enTypeAcq != SANS_SYN && !s.bSynOk) return false;
  const ModeZone mode = zone_mode();
  return mode == ModeZone::Lineaire || mode == ModeZone::Circulaire;
}

bool CVandrel::flush_records(bool final) {
  VandrelState& s = *pldi;
  TravailFichier& t = s.travail;
  const ModeZone mode = zone_mode();
  const auto taille = static_cast<uint32_t>(t.position);
  t.position = 0;
  switch (mode) {
    case ModeZone::Lineaire:
      if (!write_file(t.a_sauver.data(), taille)) return false;
      t.date_flush = t.date.date;
      break;
    case ModeZone::Circulaire: {
      if (!write_file_tournant(t.a_sauver.data(), taille, t.pos_fichier_sous_bloc.data(), t.pos_buffer_sous_bloc,
                               &t.index_buffer, &t.index_fichier, PRETRIG_COMPLET)) {
        return false;
      }
      set_etat(ACQ_EN_COURS);
      std::lock_guard lock(s.mutex_entete);
      s.stEnteteF.ullLgZonePostTrig =
          t.reboucle ? s.ullTaillePostTrig : s.ullPosTournantFinInterneFTournant - s.stEnteteF.ullPosZonePostTrig;
      break;
    }
    case ModeZone::PreTrigComplet:
    case ModeZone::PreTrigTournant:
      // The history so far into its zone; the buffer starts again.
      if (!write_file_tournant(t.a_sauver.data(), taille, t.pos_fichier_sous_bloc.data(), t.pos_buffer_sous_bloc,
                               &t.index_buffer, &t.index_fichier,
                               mode == ModeZone::PreTrigTournant ? PRETRIG_TOURNANT : PRETRIG_COMPLET)) {
        trace("Erreur ecriture Fichier ou fichier plein\n");
        return false;
      }
      t.index_buffer = 0;
      t.pos_buffer_sous_bloc[0] = 0;
      // The zone now holds a whole copy that the next partial one only partly covers.
      if (mode == ModeZone::PreTrigComplet) t.reboucle = true;
      return true;
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
