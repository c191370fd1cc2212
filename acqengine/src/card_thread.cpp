// The card thread: event frames in, word records out into the two acquisition buffers.

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include <brv_platform/thread_priority.h>
#include <brv_platform/trace.h>

#include "engine_state.h"
#include "trace_format.h"
#include "vandrel/vandrel.h"
#include "word_record.h"

using brv::platform::trace;
using namespace vandrel;

namespace {

// The frames of the event frames read so far, each emitted once the next one has arrived.
class Extracteur {
 public:
  // Appends the records of the frames completed by these event frames to lot.
  void traite(const std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>>& evenements, std::vector<uint16_t>& lot) {
    for (const auto& ev : evenements) {
      bool debordement = false;
      if (ev->usSW == IProtocol::SW_EVENT_OVERFLOW) {
        trace("FIFO Overflow !!\n");
        debordement = true;
      }
      // Event frames missing (lost on the link, or dropped by the parser on garbage) took their
      // bus frames with them: the place is marked as after an overflow.
      if (cp_connu_ && IProtocol::events_missing(cp_precedent_, ev->ucCP) != 0) {
        trace("thread_fip_loop: trames événement perdues, CP 0x" + hex(cp_precedent_, 2) + " puis 0x" +
              hex(ev->ucCP, 2) + "\n");
        perte_ = true;
      }
      cp_connu_ = true;
      cp_precedent_ = ev->ucCP;
      const std::vector<uint8_t>& d = ev->data;
      if (d.empty()) continue;
      if (!tlv::coherent(d)) {
        if (brv::platform::trace_enabled()) {
          std::string t = "non consistent tlv packet: data.size: 0x" + hex(d.size());
          for (uint8_t b : d) t += " 0x" + hex(b, 2) + " ";
          trace(t + "\n");
        }
        continue;
      }
      const uint8_t* p = d.data();
      const uint8_t* end = p + d.size();
      while (p < end) {
        const size_t n = tlv::taille_item(p, end);
        if (p[0] != tlv::TAG_FIP) {
          trace("TAG IS NOT FIP TLV !! data.size: " + std::to_string(d.size()) + "\n");
          p += n;
          continue;
        }
        CFipNode& noeud = noeuds_[courant_];
        noeud.lire(std::span<const uint8_t>(p, n));
        p += n;
        if (noeud.trame.size() > kOctetsTrameMax) {
          trace("thread_fip_loop: trame de " + std::to_string(noeud.trame.size()) + " octets tronquée\n");
        }
        if (!en_attente_) {
          en_attente_ = true;
          premier_fip_ = noeud.bTramesTypeFip;
          // Nothing recorded yet: a loss before the first frame leaves no gap in the records.
          perte_ = false;
        } else {
          CFipNode& attente = noeuds_[1 - courant_];
          attente.ulGapSuivant = noeud.ulGap;
          if (debordement || perte_) {
            attente.bMarqueDebordement = true;
            debordement = false;
            perte_ = false;
          }
          ajoute_enreg_mots(attente, lot);
        }
        courant_ = 1 - courant_;
      }
    }
  }

  // The last frame, which no next frame will complete: emitted with a frame time of 0.
  void vide(std::vector<uint16_t>& lot) {
    if (!en_attente_) return;
    CFipNode& attente = noeuds_[1 - courant_];
    attente.usDuree = 0;
    attente.ulGapSuivant = 0;
    ajoute_enreg_mots(attente, lot);
    en_attente_ = false;
  }

  bool premier_fip() const { return premier_fip_; }

 private:
  CFipNode noeuds_[2];
  int courant_ = 0;       // the node the next item is read into; the other one is pending
  bool en_attente_ = false;
  bool premier_fip_ = false;
  bool cp_connu_ = false;  // an event frame was read: cp_precedent_ holds its counter
  uint8_t cp_precedent_ = 0;
  // Event frames went missing since the last record: the next record emitted carries the marker,
  // even when the events in between bring no frame.
  bool perte_ = false;
};

}  // namespace

void CVandrel::thread_fip_loop() {
  VandrelState& s = *pldi;
  if (const int err = brv::platform::raise_thread_priority()) {
    trace("thread_fip_loop: priorité non relevée, errno " + std::to_string(err) + "\n");
  }
  Extracteur extracteur;
  std::vector<uint16_t> lot;
  lot.reserve(1 << 16);
  bool termine = false;  // ended on a buffer overflow: nothing more is handed over

  for (;;) {
    if (!is_open()) {
      trace("thread_fip_loop : carte fermée\n");
      s.carte_perdue = true;
      // The link hands over what it received before the card left, then stops.
      for (int i = 0; i < 100 && !is_stopped(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      break;
    }
    wait_for_event();
    extracteur.traite(read_event_frames(), lot);
    s.premier_fip = extracteur.premier_fip();
    if (!lot.empty() && !append_words(lot.data(), lot.size())) {
      termine = true;
      break;
    }
    lot.clear();
    if (s.fin_tache_carte) {
      trace("thread_fip_loop : Fin de la tâche\n");
      break;
    }
  }
  if (!termine) {
    // What the card sent before the stop is still queued, and the last frame is still pending.
    extracteur.traite(read_event_frames(), lot);
    s.premier_fip = extracteur.premier_fip();
    extracteur.vide(lot);
    if (!lot.empty()) append_words(lot.data(), lot.size());
    s.fin_tache_carte = true;
    stop_file_task();
  }
  s.fin_tache_carte = true;
  s.carte_finie.signale();
}

bool CVandrel::append_words(const uint16_t* mots, size_t nb) {
  VandrelState& s = *pldi;
  std::unique_lock lock(s.mutex_buffers);
  // The file thread has ended the acquisition: nothing more is taken.
  if (etat_final(etat())) return false;
  if (s.debordement) {
    reset_card();
    return false;
  }
  if (s.premieres_donnees == kPremieresDonnees) {
    s.premieres_donnees = 1;
    if (s.stIniAcq.enTypeAcq != SANS_SYN) set_etat(ATTENTE_SYN);
    uint32_t boitier = BT_ZIZA_BI;
    {
      std::lock_guard req(s.mutex_requetes);
      if (rq_read_by_id(1, 2, 0, false) == 0) {
        const auto reponse = get_last_reply_frame();
        if (reponse && !reponse->data.empty()) {
          const uint8_t b = reponse->data[0];
          boitier = (b & 0x01) ? BT_HLP_STD : (b & 0x02) ? BT_ZIZA_MONO : BT_ZIZA_BI;
        }
      }
    }
    {
      std::lock_guard e(s.mutex_entete);
      s.stEnteteF.enTypeBoitier = boitier;
      s.stEnteteF.bTramesTypeFip = s.premier_fip ? 1 : 0;
    }
    trace(s.premier_fip ? "Trafic détecté avec trames FIP\n" : "Trafic détecté avec trames WorldFIP\n");
  }
  size_t reste = nb * 2;
  while (reste > 0) {
    BufferAcq& b = s.buffers[s.actif];
    // A burst (the queue of the link after a stall) gets a moment for the file thread to take
    // the buffer; a file thread that stays behind still ends the acquisition.
    if (b.plein) {
      s.buffer_libere.wait_for(lock, std::chrono::milliseconds(kAttenteBufferMs),
                               [&] { return !b.plein || s.fin_tache_carte.load(); });
    }
    if (b.plein) {
      s.debordement = true;
      set_etat(ERR_BUFFERS);
      stop_fifo_service();
      trace(s.actif == 0 ? "ARRET ACQ CAUSE BUFFERS ACQUISITION PLEINS (1act et 2)\n"
                         : "ARRET ACQ CAUSE BUFFERS ACQUISITION PLEINS (2act et 1)\n");
      reset_card();
      return false;
    }
    b.utilise &= ~size_t{1};
    if (b.utilise == 0) b.depuis = HorlogeMoteur::now();
    // A batch larger than the room left continues in the other buffer.
    const size_t n = std::min(reste, b.taille - b.utilise);
    std::memcpy(reinterpret_cast<uint8_t*>(b.mots.get()) + b.utilise, mots, n);
    b.utilise += n;
    mots += n / 2;
    reste -= n;
    if (b.utilise > b.taille * 10 / 100) {
      b.plein = true;
      const int autre = 1 - s.actif;
      s.a_sauver_en_premier = s.buffers[autre].plein ? autre : s.actif;
      s.actif = autre;
      stop_fifo_service();
    }
  }
  return true;
}
