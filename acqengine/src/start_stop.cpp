// start_acquisition and stop_acquisition: the sequences that set up and undo an acquisition.

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include <brv_platform/endian.h>
#include <brv_platform/trace.h>

#include "engine_state.h"
#include "trace_format.h"
#include "vandrel/vandrel.h"
#include "zone_sizing.h"

using brv::platform::trace;
using namespace vandrel;

namespace {

constexpr uint8_t kCommandeDemarrage = 4;

uint32_t lgp_de_vitesse(uint32_t vitesse) {
  switch (vitesse) {
    case VITESSE_31K25: return 2;
    case VITESSE_2M5: return 60;
    case VITESSE_5M: return 120;
    default: return 30;
  }
}

void trace_ini_acq(const INI_ACQ& i) {
  if (!brv::platform::trace_enabled()) return;
  std::string t = "start_acquisition: enTypeAcq = " + std::to_string(i.enTypeAcq);
  t += ", bAcqContinue = " + std::to_string(i.bAcqContinue);
  t += ", bFiltreBourrage = " + std::to_string(i.bFiltreBourrage);
  t += ", ucNbTramesFiltre = " + std::to_string(i.ucNbTramesFiltre);
  t += ", ucNbTramesSynchro = " + std::to_string(i.ucNbTramesSynchro);
  t += ", ucMethodeSynchro = " + std::to_string(i.ucMethodeSynchro);
  t += ", ullLgZonePostTrig = " + std::to_string(i.ullLgZonePostTrig);
  t += ", llDureeZonePostTrig = " + std::to_string(i.llDureeZonePostTrig);
  t += ", ullLgMaxZonePreTrig = " + std::to_string(i.ullLgMaxZonePreTrig);
  t += ", usLgPathFichierAcq = " + std::to_string(i.usLgPathFichierAcq);
  t += ", enSelectCanal = " + std::to_string(i.enSelectCanal);
  t += ", OS " + std::to_string(i.ucOsMajorVersion);
  t += "." + std::to_string(i.ucOsMinorVersion);
  trace(t + "\n");
}

bool ecrit_entete(int fd, const ENTETE_FICHIER& e) {
  uint8_t octets[kTailleEntete];
  ecrire_entete(e, octets);
  return ::pwrite(fd, octets, sizeof octets, 0) == static_cast<ssize_t>(sizeof octets);
}

}  // namespace

unsigned long CVandrel::start_acquisition(const void* params, unsigned long length) {
  // No exception crosses the library's interface.
  try {
    return start_sequence(static_cast<const uint8_t*>(params), length);
  } catch (const std::bad_alloc&) {
    trace("start_acquisition: ressources insuffisantes\n");
    return VANDREL_ERROR_INSUFFICIENT_RESOURCES;
  } catch (const std::exception& e) {
    trace(std::string("start_acquisition: ") + e.what() + "\n");
    return VANDREL_ERROR_INSUFFICIENT_RESOURCES;
  }
}

unsigned long CVandrel::start_sequence(const uint8_t* params, unsigned long length) {
  VandrelState& s = *pldi;
  if (s.ucEtatRessource >= 5) {
    // The threads of the previous acquisition still run on this state.
    trace("start_acquisition: acquisition en cours, stop_acquisition attendu\n");
    return VANDREL_ERROR_INVALID_PARAMETERS;
  }
  {
    std::lock_guard lock(s.mutex_entete);
    s.stEnteteF = ENTETE_FICHIER{};
  }
  s.stIniAcq = INI_ACQ{};
  s.ucEtatRessource = 0;

  reset_card();
  purge_rx();
  purge_tx();
  purge_event_frame();
  purge_reply_frame();

  if (params == nullptr || length < kTailleIniAcq) {
    trace("start_acquisition: longueur " + std::to_string(length) + " < " + std::to_string(kTailleIniAcq) + "\n");
    return VANDREL_ERROR_INVALID_PARAMETER;
  }
  const uint32_t longueur = static_cast<uint32_t>(std::min<unsigned long>(length, UINT32_MAX));
  std::string raison;
  if (!verifie_ini_acq(params, longueur, raison)) {
    trace("start_acquisition: INI_ACQ non valide: " + raison + "\n");
    return VANDREL_ERROR_INVALID_PARAMETER;
  }
  s.stIniAcq = lire_ini_acq(params);
  const INI_ACQ& ini = s.stIniAcq;
  s.ucEtatRessource = 1;
  trace_ini_acq(ini);

  uint32_t vitesse = VITESSE_31K25;
  unsigned long rc;
  std::shared_ptr<IProtocol::REPLY_FRAME> reponse;
  {
    std::lock_guard lock(s.mutex_requetes);
    rc = rq_read_by_id(1, 2, 0, false);
    if (rc == 0) reponse = get_last_reply_frame();
  }
  // A reply without a data byte counts as a failed read: the speed stays at its first code.
  if (rc == 0 && reponse && !reponse->data.empty()) {
    const uint8_t st = reponse->data[0];
    if (st & 0x04) {
      vitesse = VITESSE_5M;
    } else if ((st & 0x03) == 0x03) {
      vitesse = VITESSE_2M5;
    } else if (st & 0x02) {
      vitesse = VITESSE_1M;
    } else if (st & 0x01) {
      vitesse = VITESSE_31K25;
    } else {
      trace("start_acquisition: octet d'état 0x" + hex(st, 2) + " sans vitesse connue\n");
      return VANDREL_ERROR_BAD_DEVICE_TYPE;
    }
  } else {
    trace("start_acquisition: lecture de l'état de la carte en échec 0x" + hex(rc) + "\n");
  }

  s.ucEtatRessource = 2;
  s.premieres_donnees = kPremieresDonnees;
  {
    std::lock_guard lock(s.mutex_entete);
    s.stEnteteF.enVitesse = vitesse;
    s.stEnteteF.enEtatAcq = ATTENTE_TRAFIC;
  }
  s.trafic_perdu = false;
  s.ulNumSwitchBuffersAcq = s.ulNumSwitchBuffersAcqPrec = 0;

  s.libere_definitions();
  s.combinaison = CombinaisonSynchro{};
  if (ini.ucNbTramesSynchro != 0) {
    for (unsigned k = 0; k < 3; ++k) {
      auto def = std::make_unique<struct_DEF_TRAME_SYNCHRO>();
      const auto& bloc = ini.pstTramesSynchro[k];
      // Definitions beyond the count are empty: their offsets were not checked.
      if (k < ini.ucNbTramesSynchro && bloc.usNbChampsBit != 0) {
        def->usNbChampsBit = bloc.usNbChampsBit;
        def->pstChampsBit.reserve(bloc.usNbChampsBit);
        for (unsigned c = 0; c < bloc.usNbChampsBit; ++c) {
          def->pstChampsBit.push_back(lire_champ_bit(params + bloc.pstChampsBit + c * kTailleChampBit));
        }
      }
      s.stInerIniAcqInfoSyn[k] = std::move(def);
    }
    if (create_syn_combinations() == 0) {
      trace("start_acquisition: méthode " + std::to_string(ini.ucMethodeSynchro) + " et " +
            std::to_string(ini.ucNbTramesSynchro) + " trame(s) de synchro incompatibles\n");
      return VANDREL_ERROR_INVALID_PARAMETERS;
    }
  }

  s.ucEtatRessource = 3;
  s.bSynOk = false;
  s.octets_ecrits = 0;
  s.octets_total = 0;
  s.ulNbWriteSyn = 0;
  s.lgpBufferAcq = m_reglages_test.lgp_buffer_acq ? m_reglages_test.lgp_buffer_acq : lgp_de_vitesse(vitesse);
  s.mulBufferSave = kMulBufferSave;
  s.taille_fifo = kTailleFifo;

  s.motif_filtre.clear();
  if (ini.ucNbTramesFiltre != 0) {
    const uint16_t nb = brv::platform::load_le16(ini.pstTramesFiltre);
    for (uint16_t i = 0; i < nb; ++i) s.motif_filtre.push_back(brv::platform::load_le16(ini.pstTramesFiltre + 2 + 2 * i));
  }

  ENTETE_FICHIER entete;
  {
    std::lock_guard lock(s.mutex_entete);
    entete = s.stEnteteF;
  }
  entete.ulFormatEntete = kFormatEntete;
  TaillesZones zones;
  if (!calcule_zones(ini, s.lgpBufferAcq, s.mulBufferSave, zones, raison)) {
    trace("start_acquisition: " + raison + "\n");
    return VANDREL_ERROR_INVALID_PARAMETER;
  }

  s.chemin.assign(reinterpret_cast<const char*>(params + ini.pvPathFichierAcq), ini.usLgPathFichierAcq);
  int fd = -1;
  if (!open_file(0, ini.usLgPathFichierAcq, s.chemin.c_str(), &fd)) return VANDREL_ERROR_NO_SUCH_FILE;

  s.ucEtatRessource = 4;
  zones.applique(entete);
  s.ullTaillePostTrig = zones.taille_post_trig;
  s.ullTaillePreTrig = zones.taille_pre_trig;
  s.ulNbBlocFTournant = zones.nb_blocs;
  s.ullTailleSousBlocTournant = zones.taille_sous_bloc;
  s.ullPosTournantFinInterneFTournant = entete.ullPosZonePostTrig;
  s.continu = zones.continu;
  s.pos_zone_post = entete.ullPosZonePostTrig;
  s.pos_zone_pre = entete.ullPosZonePreTrig;
  {
    std::lock_guard lock(s.mutex_entete);
    s.stEnteteF = entete;
  }
  if (!ecrit_entete(fd, entete)) {
    char text[128];
    trace(std::string("start_acquisition: écriture de l'entête en échec: ") +
          brv::platform::system_error_text(errno, text, sizeof text) + "\n");
    ::close(fd);
    return VANDREL_ERROR_NO_SUCH_FILE;
  }
  ::close(fd);

  const size_t unite = size_t{s.lgpBufferAcq} * kPage;
  size_t taille1;
  if (ini.enTypeAcq == SYN_PRETRIG || ini.llDureeZonePostTrig != 0 || s.ullTaillePostTrig >= unite) {
    taille1 = unite * 8;
  } else if (s.ullTaillePostTrig > kTailleFifo) {
    taille1 = static_cast<size_t>(s.ullTaillePostTrig);
  } else {
    taille1 = 6 * kTailleFifo;
  }
  const size_t tailles[2] = {taille1, unite * 8};
  for (int b = 0; b < 2; ++b) {
    BufferAcq& buf = s.buffers[b];
    buf.mots = std::make_unique<uint16_t[]>(tailles[b] / 2);  // zero-filled
    buf.taille = tailles[b] / 2 * 2;
    buf.utilise = 0;
    buf.plein = false;
  }
  s.actif = 0;
  s.a_sauver_en_premier = 0;
  s.debordement = false;

  reset_card();

  // The events are cleared before the threads exist, so that no signal of theirs is lost.
  for (auto* e : {&s.evtSvgBuffer, &s.evtStopTache, &s.evtErrBuffers, &s.evtErrRes}) e->reset();
  s.flag_svg = s.flag_stop = s.flag_err_buffers = s.flag_err_res = false;
  s.bArretSurTimer = ini.llDureeZonePostTrig != 0;
  s.duree_ecoulee = false;
  s.echeance_duree = ini.llDureeZonePostTrig;
  s.echeance_trafic = m_reglages_test.echeance_trafic;
  s.evtTimer.cancel();
  s.evtTimer.reset();

  // A short event wait lets the card thread see a stop request promptly.
  set_timeout_for_event(kTimeoutEvenementMs);
  s.fin_tache_carte = false;
  s.carte_finie.debut();
  s.tache_carte = std::thread([this] { thread_fip_loop(); });
  s.ucEtatRessource = 5;

  s.evtTimerIsTrafic.set(s.echeance_trafic);
  s.travail = TravailFichier{};
  s.tache_fichier_active = true;
  s.tache_fichier = std::thread([this] { thread_file_loop(); });
  s.ucEtatRessource = 6;

  unsigned long demarrage;
  {
    std::lock_guard lock(s.mutex_requetes);
    demarrage = rq_write_by_id(1, 3, 1, &kCommandeDemarrage, false);
    get_last_reply_frame();
  }
  if (demarrage != 0) {
    trace("start_acquisition: commande de démarrage refusée 0x" + hex(demarrage) + "\n");
    return demarrage;
  }
  s.eveil.acquire("Acquisition in progress");
  return 0;
}

unsigned long CVandrel::stop_acquisition() {
  VandrelState& s = *pldi;
  reset_card();
  if (brv::platform::trace_enabled()) {
    trace("stop_acquisition: ulNbBlocFTournant " + std::to_string(s.ulNbBlocFTournant) + " ullTailleSousBlocTournant " +
          std::to_string(s.ullTailleSousBlocTournant) + " ulNbWriteSyn " + std::to_string(s.ulNbWriteSyn) + "\n");
  }
  if (s.ucEtatRessource < 5) {
    trace("stop_acquisition: ucEtatRessource = " + std::to_string(s.ucEtatRessource) + "\n");
    s.ucEtatRessource = 0;
    return 0;
  }
  s.ucEtatRessource = 0;

  // The card thread first (it produces), then the file thread (it drains everything left).
  s.fin_tache_carte = true;
  if (s.tache_carte.joinable()) s.tache_carte.join();
  if (s.tache_fichier_active) stop_file_task();
  if (s.tache_fichier.joinable()) s.tache_fichier.join();

  unsigned long resultat = 0;
  int fd = -1;
  if (!open_file(2, static_cast<uint16_t>(s.chemin.size()), s.chemin.c_str(), &fd)) {
    resultat = VANDREL_ERROR_NO_SUCH_FILE;
  } else {
    ENTETE_FICHIER entete;
    {
      std::lock_guard lock(s.mutex_entete);
      const uint32_t e = s.stEnteteF.enEtatAcq;
      if (e != FIN_NORMALE && (e < ETAT_FINAL_7 || e > ERR_FICHIER)) s.stEnteteF.enEtatAcq = ARRET_UTILISATEUR;
      entete = s.stEnteteF;
    }
    if (!ecrit_entete(fd, entete)) {
      char text[128];
      trace(std::string("stop_acquisition: écriture de l'entête en échec: ") +
            brv::platform::system_error_text(errno, text, sizeof text) + "\n");
      resultat = VANDREL_ERROR_NO_SUCH_FILE;
    }
    ::close(fd);
  }

  for (auto* e : {&s.evtSvgBuffer, &s.evtStopTache, &s.evtErrBuffers, &s.evtErrRes}) e->reset();
  s.flag_svg = s.flag_stop = s.flag_err_buffers = s.flag_err_res = false;
  {
    std::lock_guard lock(s.mutex_buffers);
    s.debordement = false;
    for (auto& b : s.buffers) b = BufferAcq{};
  }
  s.duree_ecoulee = false;
  s.evtTimer.cancel();
  s.evtTimer.reset();
  s.evtTimerIsTrafic.cancel();
  s.evtTimerIsTrafic.reset();
  s.libere_definitions();
  s.chemin.clear();
  s.travail = TravailFichier{};
  s.eveil.release();
  return resultat;
}
