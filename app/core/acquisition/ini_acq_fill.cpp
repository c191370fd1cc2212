#include "brv_core/acquisition/ini_acq_fill.h"

#include "brv_core/analysis/frame_filter.h"

namespace brv {

TramesSynchro TramesEtMethode(uint8_t methode, uint8_t nbDefinies) {
  if (methode > 7) return {};
  if (methode == 0 || nbDefinies <= 1) return {1, 0};
  if (nbDefinies == 2 || methode <= 2) {
    // Two frames: "Or" when F1 and F2 are alternatives in the chosen method, else "Then".
    const bool ou = methode == 2 || methode == 6 || methode == 7;
    return {2, static_cast<uint8_t>(ou ? 2 : 1)};
  }
  return {3, methode};
}

RemplissageIniAcq RemplitIniAcq(const Configuration& config, const VerificationDemarrage& verif, uint8_t osMajeur,
                                uint8_t osMineur, const EspaceLibre& espaceLibre) {
  RemplissageIniAcq r;
  vandrel::ParametresAcq& p = r.parametres;
  vandrel::INI_ACQ& ini = p.ini;

  ini.enTypeAcq = verif.enTypeAcq;
  ini.bAcqContinue = config.postTrig.bContinue ? 1 : 0;
  if (config.bourrageAcq.bFiltreAcq) {
    vandrel::pose_filtre_bourrage(ini, static_cast<uint16_t>(config.bourrageAcq.ulIdentifiant));
  }

  if (verif.enTypeAcq != 0) {
    const TramesSynchro t = TramesEtMethode(config.ucMethodeDeclenchement, config.declenchement.nb);
    ini.ucNbTramesSynchro = t.ucNbTramesSynchro;
    ini.ucMethodeSynchro = t.ucMethodeSynchro;
    for (size_t i = 0; i < t.ucNbTramesSynchro; ++i) {
      for (const CHAMP_BITS& champ : config.declenchement.defs[i].champs) p.champs[i].push_back(ChampSynchroDe(champ));
    }
  }

  ini.ullLgMaxZonePreTrig = verif.enTypeAcq == 3 ? config.preTrig.ullTailleEquivalente : 0;

  if (config.postTrig.bTailleChoisie) {
    ini.ullLgZonePostTrig = verif.ullTaillePostTrig;
  } else {
    const std::filesystem::path existant = AncetreExistant(verif.AcqFilePath);
    const std::optional<uint64_t> libre = existant.empty() ? std::nullopt : espaceLibre(existant);
    ini.ullLgZonePostTrig = libre && *libre > kMargeEspaceLibre ? *libre - kMargeEspaceLibre : 0;
  }

  if (config.postTrig.bDureeChoisie) {
    const uint64_t d = config.postTrig.duree.en_secondes();
    // A negative due time is relative, in 100 ns units.
    ini.llDureeZonePostTrig = -static_cast<int64_t>(d) * 10000000;
    r.dureePostTrigMs = d * 1000;
  }

  p.chemin = verif.AcqFilePath;
  ini.enSelectCanal = static_cast<int32_t>(config.ulVoie);
  ini.ucOsMajorVersion = osMajeur;
  ini.ucOsMinorVersion = osMineur;
  return r;
}

uint64_t DelaiDiffere(const Configuration& config) {
  if (!config.differe.bActif) return 0;
  return config.differe.delai.en_secondes() * 1000;
}

}  // namespace brv
