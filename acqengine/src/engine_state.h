#pragma once
// The engine's state record (pldi): what start_acquisition sets up, what the two threads share,
// and what the file thread keeps between its cycles.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <brv_platform/keep_awake.h>
#include <brv_platform/sync.h>

#include "frame_walk.h"
#include "vandrel/acq_file.h"
#include "vandrel/ini_acq.h"
#include "vandrel/tlv.h"
#include "vandrel/trigger.h"

namespace vandrel {

// Sizes of the design, in 4096-byte pages and bytes.
inline constexpr uint32_t kPage = 4096;
inline constexpr uint32_t kTailleFifo = 2048;
inline constexpr uint32_t kMulBufferSave = 3;
inline constexpr uint32_t kMargeTournant = 278;
inline constexpr int64_t kEcheanceTrafic = -50000000;
inline constexpr uint8_t kPremieresDonnees = 255;
inline constexpr uint32_t kTimeoutEvenementMs = 100;
inline constexpr uint32_t kAttenteBufferMs = 100;
// A record never waits longer than this on the host before it is in the file, however quiet the
// bus; the file thread looks at least this often.
inline constexpr auto kAgeEcritureMax = std::chrono::milliseconds(200);
inline constexpr int kCycleFichierMs = 50;

using HorlogeMoteur = std::chrono::steady_clock;

// An acquisition buffer of 16-bit words, one byte in the low 8 bits of each.
struct BufferAcq {
  std::unique_ptr<uint16_t[]> mots;
  size_t taille = 0;  // bytes
  size_t utilise = 0; // bytes, even
  bool plein = false;
  HorlogeMoteur::time_point depuis{};  // when its oldest word came in
};

// A thread the others can wait for without joining it (only stop_acquisition joins).
struct FinTache {
  std::mutex m;
  std::condition_variable cv;
  bool fini = true;
  void debut() {
    std::lock_guard l(m);
    fini = false;
  }
  void signale() {
    {
      std::lock_guard l(m);
      fini = true;
    }
    cv.notify_all();
  }
  void attend() {
    std::unique_lock l(m);
    cv.wait(l, [&] { return fini; });
  }
};

// What the file thread keeps between cycles.
// Where the records of bufferASauver go.
enum class ModeZone { Lineaire, Circulaire, PreTrigComplet, PreTrigTournant };

struct TravailFichier {
  CParcoursTrames parcours;         // bufferATraiter with the carried frame (bufferRestant) at its front
  std::vector<uint8_t> a_sauver;    // bufferASauver
  size_t position = 0;              // next record position in a_sauver
  DateCourante date;
  bool filtre_precedent = false;    // a padding frame was dropped just before
  bool bit3_reporte = false;
  bool premier_cycle = true;
  uint64_t date_flush = 0;
  HorlogeMoteur::time_point depuis_mots{};    // the oldest words of the last gather came in then
  HorlogeMoteur::time_point depuis_enreg{};   // the first record waiting in a_sauver came in then
  // Rotating zone bookkeeping.
  std::vector<uint64_t> pos_fichier_sous_bloc;   // pullPosFichierDebutTrameSousBloc
  uint32_t pos_buffer_sous_bloc[11] = {};        // pulPosBufferDebutTrameSousBloc
  uint32_t index_fichier = 0;
  uint32_t index_buffer = 0;
  uint64_t pos_courante = 0;       // running file position of the next record
  bool reboucle = false;
  bool post_trig_ecrit = false;     // SYN_PRETRIG: the first post-trigger write is done
  bool pretrig_tournant = false;    // SYN_PRETRIG: the history rotates in the file itself
};

struct VandrelState {
  CombinaisonSynchro combinaison;
  std::unique_ptr<struct_DEF_TRAME_SYNCHRO> stInerIniAcqInfoSyn[3];  // pTrame1..3
  INI_ACQ stIniAcq{};
  std::string chemin;
  std::vector<uint16_t> motif_filtre;  // entry 0 of the filter table
  bool continu = false;                // a circular data zone (bAcqContinue, free run and triggered types)

  uint8_t premieres_donnees = kPremieresDonnees;
  bool premier_fip = false;               // frame standard of the first frame (card thread)
  std::atomic<bool> carte_perdue{false};  // the card session closed under the card thread
  std::atomic<bool> tache_fichier_active{false};
  std::atomic<bool> flag_svg{false}, flag_stop{false}, flag_err_buffers{false}, flag_err_res{false};
  bool bArretSurTimer = false;
  std::atomic<bool> duree_ecoulee{false};
  std::atomic<bool> trafic_perdu{false};
  bool bSynOk = false;
  bool debordement = false;  // under the buffer mutex

  BufferAcq buffers[2];
  int actif = 0;        // buffer being filled
  int a_sauver_en_premier = 0;
  uint32_t lgpBufferAcq = 30;
  uint32_t mulBufferSave = kMulBufferSave;
  uint32_t taille_fifo = kTailleFifo;

  // The header: written by the threads and read by get_header_file under this lock.
  mutable std::mutex mutex_entete;
  ENTETE_FICHIER stEnteteF{};

  // Zone starts fixed at start; the rings' bookkeeping reads them for every record.
  uint64_t pos_zone_post = 0;
  uint64_t pos_zone_pre = 0;
  uint64_t ullTaillePostTrig = 0;
  uint64_t ulNbBlocFTournant = 0;
  uint64_t ullPosTournantFinInterneFTournant = 0;
  uint64_t ullTailleSousBlocTournant = 0;
  uint64_t ullTaillePreTrig = 0;
  uint64_t octets_ecrits = 0;
  std::atomic<uint64_t> octets_total{0};  // into the data zone since the start, wraps included
  uint32_t ulNbWriteSyn = 0;

  std::atomic<uint8_t> ucEtatRessource{0};
  uint32_t ulNumSwitchBuffersAcq = 0;
  uint32_t ulNumSwitchBuffersAcqPrec = 0;
  int64_t echeance_trafic = kEcheanceTrafic;
  int64_t echeance_duree = 0;

  brv::platform::Event evtSvgBuffer{"evtSvgBuffer"};
  brv::platform::Event evtStopTache{"evtStopTache"};
  brv::platform::Event evtErrBuffers{"evtErrBuffers"};
  brv::platform::Event evtErrRes{"evtErrRes"};
  brv::platform::WaitableTimer evtTimer{"evtTimer"};
  brv::platform::WaitableTimer evtTimerIsTrafic{"evtTimerIsTrafic"};

  std::mutex mutex_buffers;
  std::condition_variable buffer_libere;  // the file thread took a full buffer
  std::mutex mutex_requetes;  // one card request at a time from any thread
  std::thread tache_carte;
  std::thread tache_fichier;
  std::atomic<bool> fin_tache_carte{true};
  FinTache carte_finie;
  TravailFichier travail;
  brv::platform::KeepAwake eveil;

  void libere_definitions() {
    for (auto& d : stInerIniAcqInfoSyn) d.reset();
  }
};

}  // namespace vandrel
