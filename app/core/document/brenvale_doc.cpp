#include "brv_core/document/brenvale_doc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <brv_platform/files.h>

#include "brv_core/config/config_bounds.h"
#include "brv_core/document/acq_description.h"
#include "brv_core/file/capture_info.h"
#include "brv_core/file/config_file.h"
#include "brv_core/file/data_end.h"

namespace brv {

namespace fs = std::filesystem;

namespace {

constexpr const char* kErreurOuvertureAcq = "Error opening the acquisition file.";
// Our own text: the file opened but its tail could not be written whole.
constexpr const char* kErreurEcritureAcq = "Error writing the acquisition file.";
constexpr const char* kFichierAcqInvalide = "Acquisition file invalid.";
constexpr const char* kSansConfiguration = "No configuration data in acquisition file.";
constexpr const char* kConfigurationEcrasee =
    "The current configuration will be overwritten by the one associated to the acquisition.\nDo you want to continue ?";
// Our own texts for a tail that does not read back: the frames stay readable.
constexpr const char* kConfigurationEndommagee =
    "The configuration stored in the acquisition file is damaged: the default configuration is used.";
constexpr const char* kResultatsEndommages =
    "The results stored in the acquisition file are damaged: they were not restored.";

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Copies every byte of one descriptor into another, from the start.
bool CopieContenu(int source, int cible, std::string& pourquoi) {
  std::vector<uint8_t> bloc(size_t{1} << 20);
  for (uint64_t pos = 0;;) {
    const int64_t lu = platform::read_at(source, bloc.data(), bloc.size(), pos);
    if (lu < 0 || (lu > 0 && !platform::write_all_at(cible, bloc.data(), static_cast<size_t>(lu), pos))) {
      pourquoi = platform::errno_text(errno);
      return false;
    }
    if (lu == 0) return true;
    pos += static_cast<uint64_t>(lu);
  }
}

bool TableUtilisable(const TableDefinitions& t) {
  for (size_t i = 0; i < t.nb; ++i) {
    if (t.defs[i].bUtilisee != 0) return true;
  }
  return false;
}

}  // namespace

std::string RepertoireParDefaut() {
  std::error_code ec;
  fs::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
    base = fs::path(home) / ".local" / "share";
  }
  if (!base.empty()) {
    const fs::path dir = base / "Quorvane" / "Brenvale";
    fs::create_directories(dir, ec);
    if (!ec && fs::is_directory(dir, ec)) return dir.string() + "/";
  }
  const fs::path courant = fs::current_path(ec);
  return ec ? std::string("./") : courant.string() + "/";
}

CBrenvaleDoc::CBrenvaleDoc(IRapportDocument& rapport, std::string repertoireDefaut)
    : rapport_(rapport), repertoireDefaut_(std::move(repertoireDefaut)) {
  ResetConfiguration();
  brv::ResetResults(Resultats, true);
}

void CBrenvaleDoc::ResetConfiguration() {
  ConfigurationParDefaut(Config, repertoireDefaut_ + kNomFichierAcqDefaut);
  Decodeur.DefinitBourrage(false, 0);
}

void CBrenvaleDoc::NouvelleConfiguration() {
  ResetConfiguration();
  ConfigLoaded = 1;
}

void CBrenvaleDoc::ResetResults(bool complet) {
  brv::ResetResults(Resultats, complet);
  Reseau.Vide();
  ReferenceReseauNs = 0;
}

void CBrenvaleDoc::ReconstruitCopiesEvenements() {
  CopieFiltre = Config.filtre;
  CopieEvenements = Config.evenements;
  FiltreUtilisable = TableUtilisable(CopieFiltre);
  EvenementsUtilisables = TableUtilisable(CopieEvenements);
}

const TripletBourrage& CBrenvaleDoc::BourrageRecalcul() const {
  // Padding the acquisition dropped is its own; otherwise the display's re-calculation identifier
  // when one is set, else the acquisition's setting.
  const TripletBourrage& acq = Config.bourrageAcq;
  const TripletBourrage& aff = Config.bourrageAffichage;
  return (acq.bActif && acq.bFiltreAcq) ? acq : (aff.bActif && !aff.bFiltreAcq) ? aff : acq;
}

void CBrenvaleDoc::AppliqueBourrageRecalcul() {
  const TripletBourrage& choisi = BourrageRecalcul();
  Decodeur.DefinitBourrage(choisi.bActif != 0, static_cast<uint16_t>(choisi.ulIdentifiant));
}

bool CBrenvaleDoc::PositionPartieA(int fd, uint64_t& position) const {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  const FinDonnees fin = ChercheFinDonnees(fd, Entete, static_cast<uint64_t>(st.st_size));
  position = fin.position;
  return !fin.erreurLecture;
}

int CBrenvaleDoc::OpenAcquisitionFile(const std::string& chemin) {
  Fd f;
  std::string pourquoi;
  uint64_t taille = 0;
  f.fd = platform::open_input(chemin, pourquoi, &taille);
  if (f.fd < 0) {
    rapport_.BoiteMessage(kErreurOuvertureAcq, IconeMessage::Erreur);
    return 0;
  }
  uint8_t brut[vandrel::kTailleEntete];
  ByteReader in(f.fd, 0, taille);
  const bool lu = in.bytes(brut, sizeof brut);
  if (in.read_error()) {
    rapport_.BoiteMessage(kErreurOuvertureAcq, IconeMessage::Erreur);
    return 0;
  }
  if (!lu || vandrel::lire_entete(brut).ulFormatEntete != vandrel::kFormatEntete) {
    rapport_.BoiteMessage(kFichierAcqInvalide, IconeMessage::Erreur);
    return 0;
  }
  const vandrel::ENTETE_FICHIER entete = vandrel::lire_entete(brut);
  const FinDonnees fin = ChercheFinDonnees(f.fd, entete, taille);
  if (fin.erreurLecture) {
    rapport_.BoiteMessage(kErreurOuvertureAcq, IconeMessage::Erreur);
    return 0;
  }
  Entete = entete;
  Capture = capture_description(Entete);
  FichierAcqOuvert = true;
  const uint64_t partieA = fin.position;
  ResetConfiguration();
  ConfigPartBOffset = 0;

  if (partieA >= taille) {
    rapport_.BoiteMessage(kSansConfiguration, IconeMessage::Avertissement);
  } else {
    ByteReader queue(f.fd, partieA, taille);
    Configuration lue = Config;
    uint64_t debutB = 0;
    if (LireCorpsConfiguration(queue, FormeConfiguration{true, true}, lue, &debutB)) {
      Config = std::move(lue);
      ConfigPartBOffset = debutB;
      for (const std::string& note : BorneConfiguration(Config)) rapport_.LigneInformation(note);
      PostTrigEnVigueur = Config.postTrig;
      PreTrigEnVigueur = Config.preTrig;
      ReconstruitCopiesEvenements();
      AppliqueBourrageRecalcul();
      ResetResults(true);
      if (LitResultats(queue, Resultats) == LectureResultats::Tronque) {
        ResetResults(true);
        rapport_.BoiteMessage(kResultatsEndommages, IconeMessage::Avertissement);
      }
      for (const std::string& note : BorneResultats(Resultats)) rapport_.LigneInformation(note);
    } else {
      rapport_.BoiteMessage(kConfigurationEndommagee, IconeMessage::Avertissement);
    }
    if (queue.read_error()) {
      rapport_.BoiteMessage(kErreurOuvertureAcq, IconeMessage::Erreur);
      return 0;
    }
  }

  // The kind of acquisition the file holds, from its layout and its configuration.
  if (Entete.ullPosZonePreTrig == vandrel::kTailleEntete && Entete.ullPosZonePostTrig > vandrel::kTailleEntete) {
    TypeAcq = vandrel::SYN_PRETRIG;
  } else if (Config.declenchement.nb > 0) {
    TypeAcq = Config.bFiltrageTrames ? vandrel::SYN_FILTRE : vandrel::SYN_SIMPLE;
  } else {
    TypeAcq = vandrel::SANS_SYN;
  }
  ConfigLoaded = 1;
  return 1;
}

bool CBrenvaleDoc::OuvrirAcquisition(const std::string& chemin) {
  if (ConfigLoaded && !rapport_.QuestionOuiNon(kConfigurationEcrasee)) return false;
  if (!OpenAcquisitionFile(chemin)) return false;
  AcqFilePath = chemin;
  AfficheAcqOuverte();
  return true;
}

std::vector<std::string> CBrenvaleDoc::TextesAcqOuverte() const {
  std::vector<std::string> lignes{TexteAdaptateur(Entete), TexteModeAcq(TypeAcq, Entete.ulLgBlocTournant != 0)};
  for (std::string t : {TexteFinAcq(Entete.enEtatAcq, Resultats.EndReason),
                        TexteFinRecalcul(Resultats.RecalcEndReason)}) {
    if (!t.empty()) lignes.push_back(std::move(t));
  }
  return lignes;
}

void CBrenvaleDoc::AfficheAcqOuverte() {
  for (const auto& l : TextesAcqOuverte()) rapport_.LigneInformation(l);
  Voie1 = Voie1Surveillee(Entete);
  Voie2 = Voie2Surveillee(Entete);
}

bool CBrenvaleDoc::AppendConfigurationPartA(int fd) {
  uint64_t pos = 0;
  return PositionPartieA(fd, pos) && EcritPartieA(fd, pos);
}

bool CBrenvaleDoc::EcritPartieA(int fd, uint64_t pos) {
  ByteWriter a;
  EcrireSectionAcquisition(a, Config, FormeConfiguration{true, true});
  if (!write_all_at(fd, a.data(), pos)) return false;
  ConfigPartBOffset = pos + a.size();
  return true;
}

bool CBrenvaleDoc::EcritQueue(int fd) {
  uint64_t partieA = 0;
  if (!PositionPartieA(fd, partieA)) return false;
  // A tail that could not be written whole (a full disk) is taken away, down to the data: a piece
  // of one would read as a damaged configuration.
  const auto echec = [&] {
    if (::ftruncate(fd, static_cast<off_t>(partieA)) == 0) ConfigPartBOffset = 0;
    return false;
  };
  // A file that never received part A gets it first: part B must not land on the header or data.
  if (ConfigPartBOffset < partieA && !EcritPartieA(fd, partieA)) return echec();
  ByteWriter b;
  EcrireSectionAffichage(b, Config, FormeConfiguration{true, true});
  EcritResultats(b, Resultats);
  if (!write_all_at(fd, b.data(), ConfigPartBOffset)) return echec();
  // A shorter tail than before must not leave old bytes behind it; the data end is never passed.
  const uint64_t fin = std::max(ConfigPartBOffset + b.size(), partieA);
  return ::ftruncate(fd, static_cast<off_t>(fin)) == 0;
}

bool CBrenvaleDoc::SaveAcquisitionTail() {
  Fd f;
  // Read and write: the data end may have to be found by walking the records.
  f.fd = ::open(AcqFilePath.c_str(), O_RDWR | O_CLOEXEC);
  struct stat st {};
  if (f.fd < 0 || ::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    rapport_.BoiteMessage(kErreurOuvertureAcq, IconeMessage::Erreur);
    return false;
  }
  const bool ok = EcritQueue(f.fd);
  const bool ferme = ::close(f.fd) == 0;
  f.fd = -1;
  if (!ok || !ferme) {
    rapport_.BoiteMessage(kErreurEcritureAcq, IconeMessage::Erreur);
    return false;
  }
  return true;
}

bool CBrenvaleDoc::SaveAcquisitionAs(const std::string& chemin) {
  const bool meme = chemin == AcqFilePath || platform::names_an_input(chemin, {AcqFilePath});
  if (meme) return SaveAcquisitionTail();
  // The copy and its tail are made in a temporary beside the target: a failure leaves the target
  // as it was.
  const auto erreurCopie = [&](const std::string& systeme) {
    rapport_.BoiteMessage(systeme.empty() ? std::string("Error copying the acquisition file.")
                                          : "Error copying the acquisition file:\n" + systeme,
                          IconeMessage::Erreur);
    return false;
  };
  std::string pourquoi;
  Fd source;
  source.fd = platform::open_input(AcqFilePath, pourquoi);
  if (source.fd < 0) return erreurCopie(pourquoi);
  platform::AtomicFile copie;
  if (!copie.open(chemin)) return erreurCopie(copie.error());
  if (!CopieContenu(source.fd, copie.fd(), pourquoi)) return erreurCopie(pourquoi);
  // The document keeps describing its current file until the copy is in place.
  const uint64_t offsetB = ConfigPartBOffset;
  const bool queue = EcritQueue(copie.fd());
  if (queue && copie.commit()) {
    AcqFilePath = chemin;
    return true;
  }
  ConfigPartBOffset = offsetB;
  if (queue) return erreurCopie(copie.error());
  rapport_.BoiteMessage(kErreurEcritureAcq, IconeMessage::Erreur);
  return false;
}

bool CBrenvaleDoc::OuvrirConfiguration(const std::string& chemin) {
  std::vector<std::string> corrections;
  const ResultatConfiguration r = brv::OuvrirConfiguration(chemin, FichierAcqOuvert, Config, &corrections);
  if (r != ResultatConfiguration::Ok) {
    rapport_.BoiteMessage(MessageConfiguration(r), IconeMessage::Erreur);
    return false;
  }
  for (const std::string& note : corrections) rapport_.LigneInformation(note);
  ConfigLoaded = 1;
  return true;
}

bool CBrenvaleDoc::EnregistrerConfiguration(const std::string& chemin) {
  const ResultatConfiguration r = brv::EnregistrerConfiguration(chemin, FichierAcqOuvert, Config);
  if (r != ResultatConfiguration::Ok) {
    rapport_.BoiteMessage(MessageConfiguration(r), IconeMessage::Erreur);
    return false;
  }
  return true;
}

}  // namespace brv
