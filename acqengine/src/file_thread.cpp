// The file thread: waits for full buffers, timers and stop requests, gathers the words and hands
// them to the recording, and records every end it causes in the header.

#include <chrono>
#include <new>
#include <string>
#include <thread>

#include <brv_platform/thread_priority.h>
#include <brv_platform/trace.h>

#include "engine_state.h"
#include "vandrel/vandrel.h"

using brv::platform::trace;
using namespace vandrel;

namespace {
enum Objet { OBJ_STOP, OBJ_SVG, OBJ_ERR_BUFFERS, OBJ_ERR_RES, OBJ_TIMER, OBJ_TIMER_TRAFIC };

bool est_declenche(int32_t type) { return type == SYN_SIMPLE || type == SYN_FILTRE || type == SYN_PRETRIG; }
}  // namespace

void CVandrel::thread_file_loop() {
  VandrelState& s = *pldi;
  TravailFichier& t = s.travail;
  const auto trafic_vu = [&] {
    ++s.ulNumSwitchBuffersAcq;
    if (est_declenche(s.stIniAcq.enTypeAcq) && !s.bSynOk && etat() == ATTENTE_RETRAFIC) set_etat(ATTENTE_SYN);
    s.evtTimerIsTrafic.set(s.echeance_trafic);
  };
  if (const int err = brv::platform::raise_thread_priority()) {
    trace("thread_file_loop: priorité non relevée, errno " + std::to_string(err) + "\n");
  }
  try {
    if (s.continu) {
      t.pos_fichier_sous_bloc.assign(s.ulNbBlocFTournant, s.pos_zone_post);
    } else {
      t.pos_fichier_sous_bloc.assign(11, s.pos_zone_pre);
    }
    t.a_sauver.assign(size_t{s.mulBufferSave} * s.lgpBufferAcq * kPage, 0);
    t.pretrig_tournant = s.ullTaillePreTrig + kMargeTournant >= t.a_sauver.size();
    t.parcours.a_traiter().reserve((size_t{s.lgpBufferAcq} * 8192 + 1024) / 2);
  } catch (const std::bad_alloc&) {
    trace("thread_file_loop : goto FinTacheFichier 1\n");
    set_etat(ERR_RESSOURCES);
    end_file_task();
    return;
  }

  for (;;) {
    // Woken now and then too, so that what a quiet bus sent does not wait for a full buffer.
    const int objet = brv::platform::wait_any(
        {&s.evtStopTache, &s.evtSvgBuffer, &s.evtErrBuffers, &s.evtErrRes, &s.evtTimer, &s.evtTimerIsTrafic},
        kCycleFichierMs);
    if (m_reglages_test.delai_tache_fichier_ms && objet >= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(m_reglages_test.delai_tache_fichier_ms));
    }
    uint32_t fin = 0;
    bool arret = false;
    if (s.flag_err_buffers) {
      s.evtErrBuffers.reset();
      s.flag_err_buffers = false;
      trace("thread_file_loop : Err buffers en état acq - evt signalé\n");
      fin = ERR_BUFFERS;
    } else if (s.flag_err_res) {
      s.evtErrRes.reset();
      s.flag_err_res = false;
      fin = ERR_RESSOURCES;
    } else if (s.flag_svg) {
      // Reset before clearing the flag: a signal that comes in between is kept.
      s.evtSvgBuffer.reset();
      s.flag_svg = false;
      trafic_vu();
    } else if (s.flag_stop) {
      s.evtStopTache.reset();
      s.flag_stop = false;
      arret = true;
    } else if (objet == OBJ_TIMER_TRAFIC) {
      if (s.ulNumSwitchBuffersAcq == s.ulNumSwitchBuffersAcqPrec) {
        const int32_t type = s.stIniAcq.enTypeAcq;
        if (type == SANS_SYN || (s.bSynOk && type != SYN_FILTRE)) {
          s.trafic_perdu = true;
        } else if (!s.bSynOk && etat() != ATTENTE_TRAFIC) {
          set_etat(ATTENTE_RETRAFIC);
        }
      } else {
        s.ulNumSwitchBuffersAcqPrec = s.ulNumSwitchBuffersAcq;
      }
      s.evtTimerIsTrafic.set(s.echeance_trafic);
    } else if (objet == OBJ_TIMER && s.bArretSurTimer) {
      s.duree_ecoulee = true;
      s.evtTimer.cancel();
      s.evtTimer.reset();
    }
    // Buffer switches come first in the wait and may win it every time, and a flag set after the
    // wait returned for the timer takes the cycle while the wait has already cleared the timer: the
    // end of the duration is looked at in every cycle so that it is never missed.
    if (fin == 0 && !arret && s.bArretSurTimer && !s.duree_ecoulee &&
        (objet == OBJ_TIMER || brv::platform::wait_any({&s.evtTimer}, 0) == 0)) {
      s.duree_ecoulee = true;
      s.evtTimer.cancel();
    }

    // Every end drains what the card delivered before it; only a file error loses records.
    const bool final = fin != 0 || arret || s.duree_ecoulee;
    bool echu = false;  // words waited too long in the buffer being filled
    if (!final && !s.trafic_perdu) {
      std::lock_guard lock(s.mutex_buffers);
      const BufferAcq& actif = s.buffers[s.actif];
      echu = actif.utilise > 0 && HorlogeMoteur::now() - actif.depuis >= kAgeEcritureMax;
      if (!s.buffers[0].plein && !s.buffers[1].plein && !echu && !records_due()) continue;
    }
    // Words taken before their buffer filled are traffic for the watchdog as a full buffer is.
    if (echu) trafic_vu();
    if (fin != 0) {
      set_etat(fin);
      reset_card();
    }
    if (!gather(final || s.trafic_perdu || echu)) {
      trace("Erreur: ressources insuffisantes\n");
      fin_acquisition(ERR_RESSOURCES);
      break;
    }
    bool continuer;
    try {
      continuer = record_words(final);
    } catch (const std::bad_alloc&) {
      trace("Erreur: ressources insuffisantes\n");
      fin_acquisition(ERR_RESSOURCES);
      break;
    }
    if (!continuer) break;
    if (final) {
      if (s.duree_ecoulee) fin_acquisition(FIN_NORMALE);
      // The card left: the end the caller sees is a driver-side one.
      if (s.carte_perdue) set_etat(ERR_BUFFERS);
      break;
    }
  }
  end_file_task();
}

bool CVandrel::gather(bool actif_aussi) {
  VandrelState& s = *pldi;
  std::vector<uint16_t>& dest = s.travail.parcours.a_traiter();
  std::lock_guard lock(s.mutex_buffers);
  try {
    const int ordre[2] = {s.a_sauver_en_premier, 1 - s.a_sauver_en_premier};
    for (int b : ordre) {
      BufferAcq& buf = s.buffers[b];
      if (!buf.plein && !(actif_aussi && b == s.actif)) continue;
      if (!buf.mots) continue;
      // The carried frame is older than anything gathered behind it.
      if (dest.empty() && buf.utilise > 0) s.travail.depuis_mots = buf.depuis;
      dest.insert(dest.end(), buf.mots.get(), buf.mots.get() + buf.utilise / 2);
      buf.utilise = 0;
      buf.plein = false;
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  s.buffer_libere.notify_all();
  return true;
}

void CVandrel::fin_acquisition(uint32_t e) {
  set_etat(e);
  reset_card();
}

void CVandrel::end_file_task() {
  VandrelState& s = *pldi;
  // The card thread ends next: nothing it still hands over would be read.
  if (!s.fin_tache_carte) s.fin_tache_carte = true;
  s.carte_finie.attend();
  std::lock_guard lock(s.mutex_buffers);
  s.travail.a_sauver = std::vector<uint8_t>();
  s.travail.parcours.vide();
  s.tache_fichier_active = false;
}
