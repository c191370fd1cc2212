#include "brv_core/acquisition/start_checks.h"

#include <sys/stat.h>

#include <algorithm>

namespace brv {

namespace fs = std::filesystem;

namespace {

constexpr size_t kLgCheminMax = 260;

std::string remplace_s(std::string texte, const std::string& valeur) {
  const size_t p = texte.find("%s");
  if (p != std::string::npos) texte.replace(p, 2, valeur);
  return texte;
}

bool chemin_valide(const std::string& chemin) {
  return !chemin.empty() && chemin.front() == '/' && chemin.back() != '/';
}

// The directory of the file: everything before the last '/' when the name carries a '.', else
// the whole path (a name without a '.' is taken for a directory).
std::string dossier_de(const std::string& chemin) {
  const size_t slash = chemin.rfind('/');
  if (chemin.find('.', slash) == std::string::npos) return chemin;
  return slash == 0 ? std::string("/") : chemin.substr(0, slash);
}

// Levels are made from the top down; those that exist are left as they are.
bool cree_dossiers(const fs::path& dossier) {
  fs::path niveau;
  for (const fs::path& partie : dossier) {
    niveau /= partie;
    if (niveau == niveau.root_path()) continue;
    std::error_code ec;
    if (fs::is_directory(niveau, ec)) continue;
    if (!fs::create_directory(niveau, ec) || ec) return false;
  }
  return true;
}

}  // namespace

std::optional<uint64_t> EspaceLibreSysteme(const fs::path& p) {
  std::error_code ec;
  const fs::space_info s = fs::space(p, ec);
  if (ec) return std::nullopt;
  return s.available;
}

fs::path AncetreExistant(const fs::path& p) {
  std::error_code ec;
  fs::path a = p;
  if (a.is_relative()) {
    const fs::path cwd = fs::current_path(ec);
    if (ec) return {};
    a = cwd / a;
  }
  for (;;) {
    if (fs::exists(a, ec)) return a;
    fs::path parent = a.parent_path();
    if (parent.empty() || parent == a) return {};
    a = std::move(parent);
  }
}

fs::path PointMontage(const fs::path& existant) {
  struct stat st {};
  if (::stat(existant.c_str(), &st) != 0) return existant;
  fs::path a = existant;
  for (;;) {
    const fs::path parent = a.parent_path();
    struct stat sp {};
    if (parent.empty() || parent == a || ::stat(parent.c_str(), &sp) != 0 || sp.st_dev != st.st_dev) return a;
    a = parent;
  }
}

int32_t TypeAcquisition(const Configuration& config, bool declenche) {
  if (!declenche) return 0;
  if (config.bFiltrageTrames) return 2;
  if (config.preTrig.bPreTrig && !config.postTrig.bContinue) return 3;
  return 1;
}

IssueIncrement ParcourtNomsIncrementes(const std::string& chemin, const std::function<EssaiNom(const std::string&)>& essaie,
                                       std::string& nom) {
  const size_t slash = chemin.rfind('/');
  const size_t debutNom = slash == std::string::npos ? 0 : slash + 1;
  const size_t point = chemin.rfind('.');
  if (point == std::string::npos || point < debutNom) return IssueIncrement::SansPoint;
  const std::string radical = chemin.substr(0, point);
  const std::string extension = chemin.substr(point);
  for (uint64_t n = 1; n != 0; ++n) {
    std::string candidat = radical + std::to_string(n) + extension;
    if (candidat.size() > kLgCheminMax) return IssueIncrement::Epuise;
    switch (essaie(candidat)) {
      case EssaiNom::Pris: nom = std::move(candidat); return IssueIncrement::Pris;
      case EssaiNom::Echec: return IssueIncrement::Echec;
      case EssaiNom::Occupe: break;
    }
  }
  return IssueIncrement::Epuise;
}

std::optional<std::string> NomIncremente(const std::string& chemin, bool& sansPoint) {
  std::string nom;
  const IssueIncrement issue = ParcourtNomsIncrementes(
      chemin,
      [](const std::string& candidat) {
        std::error_code ec;
        return fs::exists(candidat, ec) ? EssaiNom::Occupe : EssaiNom::Pris;
      },
      nom);
  sansPoint = issue == IssueIncrement::SansPoint;
  if (issue != IssueIncrement::Pris) return std::nullopt;
  return nom;
}

void SignaleIncrementImpossible(IRapportDocument& rapport, bool sansPoint) {
  rapport.BoiteMessage(sansPoint ? "The acquisition file path or name is not valid.\nPlease, enter another one."
                                 : "The acquisition filename cannot be incremented.\nPlease enter another one.",
                       IconeMessage::Erreur);
}

std::string QuestionEcrasement(const std::string& chemin) {
  return remplace_s("Do you want to overwrite the acquisition file:\n%s?", chemin);
}

VerificationDemarrage VerifieDemarrage(Configuration& config, bool declenche, bool moteurOccupe,
                                       IRapportDocument& rapport, const EspaceLibre& espaceLibre) {
  VerificationDemarrage v;
  if (moteurOccupe) {
    rapport.BoiteMessage("Acquisition impossible:\nthe driver is already busy.", IconeMessage::Erreur);
    return v;
  }

  v.enTypeAcq = TypeAcquisition(config, declenche);
  if (v.enTypeAcq == 3 && config.preTrig.ullTailleEquivalente < kLgMinZonePreTrig) {
    config.preTrig.ullTailleEquivalente = kLgMinZonePreTrig;
  }
  if (config.postTrig.bContinue) {
    uint64_t& taille = config.postTrig.ullTaille;
    switch (config.postTrig.ucUnite) {
      case UNITE_KO: taille = std::max<uint64_t>(taille, 10000); break;
      case UNITE_MO: taille = std::max<uint64_t>(taille, 10); break;
      case UNITE_GO: taille = std::max<uint64_t>(taille, 1); break;
      default: break;
    }
  }
  v.ullTaillePostTrig = config.postTrig.bTailleChoisie ? config.postTrig.taille_octets() : 0;
  v.ullTailleNecessaire = v.ullTaillePostTrig + (v.enTypeAcq == 3 ? config.preTrig.ullTailleEquivalente : 0);

  const std::string& modele = config.cheminFichierAcq;
  const fs::path existant = AncetreExistant(modele);
  const std::optional<uint64_t> libre = existant.empty() ? std::nullopt : espaceLibre(existant);
  if (!libre) {
    rapport.BoiteMessage("The selected directory is not valid.\nPlease, choose another one.",
                         IconeMessage::Avertissement);
    return v;
  }
  if (v.ullTailleNecessaire > *libre || *libre - v.ullTailleNecessaire < kMargeEspaceLibre) {
    rapport.BoiteMessage(remplace_s("Not enough free space on drive %s to create the acquisition file.\n"
                                    "Please, choose another drive or enter another size.",
                                    PointMontage(existant).string()),
                         IconeMessage::Avertissement);
    return v;
  }

  if (!chemin_valide(modele)) {
    rapport.BoiteMessage("The acquisition file path or name is not valid.\nPlease, enter another one.",
                         IconeMessage::Erreur);
    return v;
  }

  const std::string dossier = dossier_de(modele);
  std::error_code ec;
  if (!fs::is_directory(dossier, ec)) {
    if (!rapport.QuestionOuiNon(
            "The directory where to store the acquisition file does not exist.\nDo you want to create it?")) {
      return v;
    }
    if (!cree_dossiers(dossier)) {
      rapport.BoiteMessage("Unable to create the directory.\nPlease choose another one.", IconeMessage::Erreur);
      return v;
    }
  }

  if (!fs::exists(modele, ec)) {
    v.AcqFilePath = modele;
  } else if (config.ulActionDebut == ACTION_DEMANDER) {
    if (!rapport.QuestionOuiNon(QuestionEcrasement(modele))) return v;
    v.AcqFilePath = modele;
    v.fichierAccepte = platform::file_id(modele);
  } else if (config.ulActionDebut == ACTION_INCREMENTER) {
    bool sansPoint = false;
    const std::optional<std::string> nom = NomIncremente(modele, sansPoint);
    if (!nom) {
      SignaleIncrementImpossible(rapport, sansPoint);
      return v;
    }
    v.AcqFilePath = *nom;
  } else {
    v.AcqFilePath = modele;
  }
  v.ok = true;
  return v;
}

}  // namespace brv
