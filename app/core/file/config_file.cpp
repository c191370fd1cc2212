#include "brv_core/file/config_file.h"

#include <unistd.h>

#include <cstring>
#include <utility>

#include <brv_platform/files.h>

#include "brv_core/config/config_bounds.h"

namespace brv {
namespace {

// A path longer than this is not a path: the file is damaged.
constexpr uint32_t kLgCheminMax = 65536;

void EcrireDuree(ByteWriter& out, const DureeJHMS& d) {
  out.u8(d.secondes);
  out.u8(d.minutes);
  out.u8(d.heures);
  out.u8(d.jours);
}

bool LireDuree(ByteReader& in, DureeJHMS& d) {
  return in.u8(d.secondes) && in.u8(d.minutes) && in.u8(d.heures) && in.u8(d.jours);
}

void EcrireTriplet(ByteWriter& out, const TripletBourrage& t) {
  out.u32(t.bActif);
  out.u32(t.ulIdentifiant);
  out.u32(t.bFiltreAcq);
}

bool LireTriplet(ByteReader& in, TripletBourrage& t) {
  return in.u32(t.bActif) && in.u32(t.ulIdentifiant) && in.u32(t.bFiltreAcq);
}

void EcrireChamp(ByteWriter& out, const CHAMP_BITS& c) {
  out.u16(c.usPosition);
  out.u8(c.ucLongueur);
  out.u8(c.ucReserve);
  out.u32(c.ulOperation);
  out.u64(c.ullValeur);
  out.u32(c.ulInterpretation);
  out.u32(c.bSigne);
  out.u32(c.ulOrdre);
  out.u32(c.ulNonInterprete);
}

bool LireChamp(ByteReader& in, CHAMP_BITS& c) {
  return in.u16(c.usPosition) && in.u8(c.ucLongueur) && in.u8(c.ucReserve) && in.u32(c.ulOperation) &&
         in.u64(c.ullValeur) && in.u32(c.ulInterpretation) && in.u32(c.bSigne) && in.u32(c.ulOrdre) &&
         in.u32(c.ulNonInterprete);
}

void EcrireDefinition(ByteWriter& out, const DEFINITION_TRAME& d, JeuDefinitions jeu, FormeConfiguration forme) {
  char nom[kLgNomDefinition] = {};
  std::memcpy(nom, d.szNom.data(), strnlen(d.szNom.data(), kLgNomDefinition - 1));
  out.bytes(nom, sizeof nom);
  out.u8(d.ucTypeTrame);
  if (!forme.fichierAcqOuvert) out.u16(d.usIdentifiant);
  // The count is stored in one byte: never write more conditions than it can announce.
  const size_t k = std::min(d.champs.size(), kNbChampsMax);
  out.u8(static_cast<uint8_t>(k));
  for (size_t c = 0; c < k; ++c) EcrireChamp(out, d.champs[c]);
  out.u32(d.ulOrdreOctets);
  if (jeu == JeuDefinitions::Filtre) out.u32(d.bNePasDissocierRP);
  if (jeu != JeuDefinitions::Declenchement) out.u32(d.bUtilisee);
}

bool LireDefinition(ByteReader& in, DEFINITION_TRAME& d, JeuDefinitions jeu, FormeConfiguration forme) {
  if (!in.bytes(d.szNom.data(), kLgNomDefinition)) return false;
  d.szNom[kLgNomDefinition - 1] = '\0';
  if (!in.u8(d.ucTypeTrame)) return false;
  if (!forme.fichierAcqOuvert && !in.u16(d.usIdentifiant)) return false;
  uint8_t k = 0;
  // Conditions are only allocated once the file is known to hold them.
  if (!in.u8(k) || k * uint64_t{sizeof(CHAMP_BITS)} > in.remaining()) return false;
  d.champs.resize(k);
  for (auto& c : d.champs) {
    if (!LireChamp(in, c)) return false;
  }
  if (!in.u32(d.ulOrdreOctets)) return false;
  if (jeu == JeuDefinitions::Filtre && !in.u32(d.bNePasDissocierRP)) return false;
  if (jeu == JeuDefinitions::Declenchement) {
    d.bUtilisee = 1;  // trigger definitions are always in use
    return true;
  }
  return in.u32(d.bUtilisee);
}

void EcrireDefinitions(ByteWriter& out, const TableDefinitions& table, JeuDefinitions jeu, FormeConfiguration forme) {
  const size_t nb = std::min<size_t>(table.nb, kNbDefinitionsMax);
  out.u8(static_cast<uint8_t>(nb));
  for (size_t i = 0; i < nb; ++i) EcrireDefinition(out, table.defs[i], jeu, forme);
}

bool LireDefinitions(ByteReader& in, TableDefinitions& table, JeuDefinitions jeu, FormeConfiguration forme) {
  uint8_t nb = 0;
  if (!in.u8(nb) || nb > kNbDefinitionsMax) return false;
  table = TableDefinitions{};
  table.nb = nb;
  for (size_t i = 0; i < nb; ++i) {
    if (!LireDefinition(in, table.defs[i], jeu, forme)) return false;
  }
  return true;
}

}  // namespace

void EcrireSectionAcquisition(ByteWriter& out, const Configuration& c, FormeConfiguration forme) {
  if (forme.embarque) out.u32(c.extras.ulAvantAcquisition);
  out.u32(static_cast<uint32_t>(c.cheminFichierAcq.size()));
  out.bytes(c.cheminFichierAcq.data(), c.cheminFichierAcq.size());
  out.u32(c.ulActionDebut);

  const ZonePostTrig& post = c.postTrig;
  out.u32(post.bContinue);
  out.u32(post.bTailleChoisie);
  out.u64(post.ullTaille);
  out.u8(post.ucUnite);
  out.bytes(post.reserve.data(), post.reserve.size());
  out.u32(post.bDureeChoisie);
  EcrireDuree(out, post.duree);
  out.bytes(post.reserveDuree.data(), post.reserveDuree.size());

  const ZonePreTrig& pre = c.preTrig;
  out.u32(pre.bPreTrig);
  out.u8(pre.ucMethode);
  out.u8(pre.ucPourcentage);
  out.bytes(pre.reserve.data(), pre.reserve.size());
  out.u32(pre.ulNbTrames);
  EcrireDuree(out, pre.duree);
  out.u64(pre.ullTailleEquivalente);

  EcrireDefinitions(out, c.declenchement, JeuDefinitions::Declenchement, forme);
  out.u8(c.ucMethodeDeclenchement);
  out.u32(c.bFiltrageTrames);
  out.u32(c.differe.bActif);
  EcrireDuree(out, c.differe.delai);
  EcrireTriplet(out, c.bourrageAcq);
  out.u32(c.ulVoie);
}

void EcrireSectionAffichage(ByteWriter& out, const Configuration& c, FormeConfiguration forme) {
  for (const TempsIntegration* t : {&c.vues.configReseau, &c.vues.debitInstantane}) {
    out.u32(t->ulValeur);
    out.u8(t->ucUnite);
    out.bytes(t->reserve.data(), t->reserve.size());
    out.u64(t->ullNs);
  }
  out.u16(c.vues.usNbPointsMemorises);
  out.bytes(c.vues.reserve.data(), c.vues.reserve.size());
  out.u32(c.vues.bOuvertureAuto);

  EcrireDefinitions(out, c.filtre, JeuDefinitions::Filtre, forme);
  out.u32(c.ulModeFiltre);
  if (forme.embarque) {
    out.u32(c.extras.apresModeFiltre[0]);
    out.u32(c.extras.apresModeFiltre[1]);
  }
  EcrireDefinitions(out, c.evenements, JeuDefinitions::Evenement, forme);
  EcrireTriplet(out, c.bourrageAffichage);
  if (forme.embarque) out.bytes(c.extras.apresBourrageAffichage.data(), c.extras.apresBourrageAffichage.size());
}

bool LireCorpsConfiguration(ByteReader& in, FormeConfiguration forme, Configuration& c, uint64_t* debutAffichage) {
  if (forme.embarque && !in.u32(c.extras.ulAvantAcquisition)) return false;
  uint32_t lg = 0;
  if (!in.u32(lg) || lg > kLgCheminMax || lg > in.remaining()) return false;
  c.cheminFichierAcq.assign(lg, '\0');
  if (!in.bytes(c.cheminFichierAcq.data(), lg) || !in.u32(c.ulActionDebut)) return false;

  ZonePostTrig& post = c.postTrig;
  if (!in.u32(post.bContinue) || !in.u32(post.bTailleChoisie) || !in.u64(post.ullTaille) || !in.u8(post.ucUnite) ||
      !in.bytes(post.reserve.data(), post.reserve.size()) || !in.u32(post.bDureeChoisie) ||
      !LireDuree(in, post.duree) || !in.bytes(post.reserveDuree.data(), post.reserveDuree.size())) {
    return false;
  }
  ZonePreTrig& pre = c.preTrig;
  if (!in.u32(pre.bPreTrig) || !in.u8(pre.ucMethode) || !in.u8(pre.ucPourcentage) ||
      !in.bytes(pre.reserve.data(), pre.reserve.size()) || !in.u32(pre.ulNbTrames) || !LireDuree(in, pre.duree) ||
      !in.u64(pre.ullTailleEquivalente)) {
    return false;
  }
  if (!LireDefinitions(in, c.declenchement, JeuDefinitions::Declenchement, forme) ||
      !in.u8(c.ucMethodeDeclenchement) || !in.u32(c.bFiltrageTrames) || !in.u32(c.differe.bActif) ||
      !LireDuree(in, c.differe.delai) || !LireTriplet(in, c.bourrageAcq) || !in.u32(c.ulVoie)) {
    return false;
  }

  if (debutAffichage) *debutAffichage = in.position();
  for (TempsIntegration* t : {&c.vues.configReseau, &c.vues.debitInstantane}) {
    if (!in.u32(t->ulValeur) || !in.u8(t->ucUnite) || !in.bytes(t->reserve.data(), t->reserve.size()) ||
        !in.u64(t->ullNs)) {
      return false;
    }
  }
  if (!in.u16(c.vues.usNbPointsMemorises) || !in.bytes(c.vues.reserve.data(), c.vues.reserve.size()) ||
      !in.u32(c.vues.bOuvertureAuto)) {
    return false;
  }
  if (!LireDefinitions(in, c.filtre, JeuDefinitions::Filtre, forme) || !in.u32(c.ulModeFiltre)) return false;
  if (forme.embarque && (!in.u32(c.extras.apresModeFiltre[0]) || !in.u32(c.extras.apresModeFiltre[1]))) return false;
  if (!LireDefinitions(in, c.evenements, JeuDefinitions::Evenement, forme) || !LireTriplet(in, c.bourrageAffichage)) {
    return false;
  }
  if (forme.embarque &&
      !in.bytes(c.extras.apresBourrageAffichage.data(), c.extras.apresBourrageAffichage.size())) {
    return false;
  }
  return true;
}

std::vector<uint8_t> EcrireDefinitionSeule(const DEFINITION_TRAME& d) {
  ByteWriter out;
  EcrireDefinition(out, d, JeuDefinitions::Filtre, FormeConfiguration{});
  return out.data();
}

bool LireDefinitionSeule(std::span<const uint8_t> octets, DEFINITION_TRAME& d) {
  ByteReader in(octets);
  DEFINITION_TRAME lue;
  if (!LireDefinition(in, lue, JeuDefinitions::Filtre, FormeConfiguration{}) || in.remaining() != 0) return false;
  d = std::move(lue);
  return true;
}

const char* MessageConfiguration(ResultatConfiguration r) {
  switch (r) {
    case ResultatConfiguration::Ok: return "";
    case ResultatConfiguration::ErreurOuverture: return "Error opening the configuration file.";
    case ResultatConfiguration::ErreurCreation: return "Error creating the configuration file.";
    case ResultatConfiguration::Invalide: return "Configuration file invalid.";
    case ResultatConfiguration::ErreurLecture: return "Error reading the configuration file.";
  }
  return "";
}

ResultatConfiguration OuvrirConfiguration(const std::string& chemin, bool fichierAcqOuvert, Configuration& config,
                                          std::vector<std::string>* corrections) {
  std::string pourquoi;
  uint64_t taille = 0;
  const int fd = platform::open_input(chemin, pourquoi, &taille);
  if (fd < 0) return ResultatConfiguration::ErreurOuverture;
  ByteReader in(fd, 0, taille);
  char magie[kLgMagieConfiguration];
  if (!in.bytes(magie, sizeof magie) || std::memcmp(magie, kMagieConfiguration, sizeof magie) != 0) {
    ::close(fd);
    return in.read_error() ? ResultatConfiguration::ErreurLecture : ResultatConfiguration::Invalide;
  }

  // Read both identifier forms into fresh configurations; the current one changes only on success.
  Configuration lue[2];
  bool ok[2];
  bool exacte[2];
  for (int forme = 0; forme < 2; ++forme) {
    lue[forme] = config;
    ConfigurationParDefaut(lue[forme], config.cheminFichierAcq);
    in.rewind(kLgMagieConfiguration);
    ok[forme] = LireCorpsConfiguration(in, FormeConfiguration{false, forme == 1}, lue[forme]);
    exacte[forme] = ok[forme] && in.remaining() == 0;
    if (in.read_error()) {
      ::close(fd);
      return ResultatConfiguration::ErreurLecture;
    }
  }
  ::close(fd);

  int choisie = fichierAcqOuvert ? 1 : 0;
  if (exacte[0] != exacte[1]) choisie = exacte[0] ? 0 : 1;
  if (!ok[choisie]) return ResultatConfiguration::Invalide;
  config = std::move(lue[choisie]);
  std::vector<std::string> notes = BorneConfiguration(config);
  if (corrections) *corrections = std::move(notes);
  return ResultatConfiguration::Ok;
}

ResultatConfiguration EnregistrerConfiguration(const std::string& chemin, bool fichierAcqOuvert,
                                               const Configuration& config) {
  ByteWriter out;
  out.bytes(kMagieConfiguration, kLgMagieConfiguration);
  const FormeConfiguration forme{false, fichierAcqOuvert};
  EcrireSectionAcquisition(out, config, forme);
  EcrireSectionAffichage(out, config, forme);

  platform::AtomicFile fichier;
  if (!fichier.open(chemin)) return ResultatConfiguration::ErreurCreation;
  fichier.write(std::string_view(reinterpret_cast<const char*>(out.data().data()), out.size()));
  return fichier.commit() ? ResultatConfiguration::Ok : ResultatConfiguration::ErreurCreation;
}

}  // namespace brv
