#include "brv_core/report/text_export.h"

#include <algorithm>
#include <cstdio>

#include "brv_core/decode/frame_types.h"
#include "brv_core/document/results_fields.h"
#include "brv_core/document/row_reader.h"
#include "brv_core/report/timing_section.h"
#include "brv_platform/files.h"

namespace brv {

namespace {

struct Colonne {
  const char* titre;
  size_t largeur;
};

// Titles of the error counters, in stored order.
constexpr const char* kLibellesErreurs[kNbCompteursErreur] = {
    "FIP Errors - Frame Decoding - Total", "FIP Errors - Physical Layer - Total", "Control - unknown",
    "Data - too short", "Data - too long", "Data - undefined size", "CRC - erroneous", "FSD",
    "Computer Errors - Acquisition interruptions", "FIP Errors - Traffic interruptions",
    "FIP Errors - Transmission errors on channel 1", "FIP Errors - Transmission errors on channel 2", "PRE",
};

std::string majuscules(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Appends a line of columns: padded or cut to their width for a word processor, followed by the
// separator for a spreadsheet; the last column is written whole.
class Ligne {
 public:
  Ligne(std::string& texte, bool tableur, std::string_view sep) : texte_(texte), tableur_(tableur), sep_(sep) {}
  void colonne(std::string_view v, size_t largeur) {
    if (tableur_) {
      texte_.append(v).append(sep_);
      return;
    }
    const size_t n = std::min(v.size(), largeur);
    texte_.append(v.data(), n).append(largeur - n, ' ');
  }
  void fin(std::string_view derniere) { texte_.append(derniere).push_back('\n'); }

 private:
  std::string& texte_;
  bool tableur_;
  std::string_view sep_;
};

std::string hex4(unsigned v) {
  char t[8];
  std::snprintf(t, sizeof t, "%04X", v & 0xFFFF);
  return t;
}

std::string adresse(const uint8_t* o) {
  char t[16];
  std::snprintf(t, sizeof t, "%04X %02X", (o[0] << 8) | o[1], o[2]);
  return t;
}

// The interpreted columns of one frame.
struct Interpretation {
  std::string longueur, type, identifiant, destination, source, crc, contenu;
};

Interpretation Interprete(const LIGNE_TRAME& l, const std::vector<DONNEE_UTILISATEUR>* donnees) {
  Interpretation x;
  const uint8_t* o = l.octets.data();
  const auto n = static_cast<uint16_t>(l.octets.size());
  x.longueur = std::to_string(n);
  const TypeTrame* type = n ? TypeTrameDe(o[0]) : nullptr;
  x.type = type ? std::string(type->nom) : l.texte;
  const DONNEE_UTILISATEUR* d = donnees && n ? ChercheDonneeUtilisateur(*donnees, n, o, false, 0) : nullptr;
  if (type && type->classe == ClasseTrame::Identification && n >= 3) {
    x.identifiant = d && !d->nomIdentifiant.empty() ? d->nomIdentifiant : hex4((o[1] << 8) | o[2]);
  }
  if (type && type->classe == ClasseTrame::Message && n >= 7) {
    x.destination = d && !d->nomDestination.empty() ? d->nomDestination : adresse(o + 1);
    x.source = d && !d->nomSource.empty() ? d->nomSource : adresse(o + 4);
  }
  if (type && n >= 3) x.crc = hex4((o[n - 2] << 8) | o[n - 1]);
  if (d && !d->champs.empty()) {
    for (const auto& c : d->champs) x.contenu += c.nom + " = " + ValeurChampUtilisateur(c, n, o) + " ";
  } else {
    char h[4];
    for (uint16_t i = 0; i < n; ++i) {
      std::snprintf(h, sizeof h, i ? " %02X" : "%02X", o[i]);
      x.contenu += h;
    }
  }
  return x;
}

}  // namespace

bool RienATransferer(const CBrenvaleDoc& doc) {
  return doc.Resultats.ullNbTramesAcquises == 0 && doc.Resultats.ulNbTramesAffichables == 0;
}

ResultatExport ExporteTexte(const std::string& chemin, const PARAM_EXPORT& p, const SourceExport& s, uint64_t premiere,
                            uint64_t derniere, IProgresExport* progres) {
  ResultatExport r;
  const CBrenvaleDoc& doc = s.doc;
  const AcqResults& res = doc.Resultats;
  const bool trames = p.ulTrames != TRAMES_AUCUNE && res.ulNbTramesAffichables > 0;
  const bool selectionVide =
      p.ulTrames == TRAMES_SELECTION && (premiere > derniere || premiere >= res.ulNbTramesAffichables);
  if (RienATransferer(doc) || selectionVide) {
    r.etat = ResultatExport::RienATransferer;
    r.message = "There is nothing to transfer.";
    return r;
  }
  // Written beside the target and renamed over it once whole: a failure leaves the old file.
  platform::AtomicFile fichier;
  if (!fichier.open(chemin)) {
    r.etat = ResultatExport::CreationImpossible;
    r.message = "Unable to create the text file.";
    r.detail = fichier.error();
    return r;
  }
  platform::BufferedOutput out(fichier.fd());
  std::string& t = out.buffer();
  const bool tableur = p.ulFormat == EXPORT_TABLEUR;
  const std::string sep = tableur ? (p.bUtiliseSeparateur && !p.separateur.empty() ? p.separateur : "\t") : "";
  // Stopped by the caller: `fichier` drops the temporary as it goes.
  const auto arrete = [&](uint64_t faites, uint64_t total) {
    if (progres == nullptr || progres->Continue(faites, total)) return false;
    r.etat = ResultatExport::Annule;
    r.message = "The export was cancelled.";
    return true;
  };
  const auto libelle = [&](std::string_view l, size_t largeur, std::string_view v) {
    Ligne ligne(t, tableur, sep);
    ligne.colonne(l, largeur);
    ligne.fin(v);
  };

  if (p.bInformation) {
    t += "INFORMATION ABOUT THE ACQUISITION PROGRESS\n";
    libelle("Acquisition file", 24, doc.AcqFilePath);
    for (const auto& l : doc.TextesAcqOuverte()) t.append(l).push_back('\n');
    t += "\n";
  }
  if (p.bErreurs) {
    t += "ERRORS\n";
    for (size_t i = 0; i < kNbCompteursErreur; ++i) libelle(kLibellesErreurs[i], 48, std::to_string(res.compteursErreur[i]));
    t += "\n";
  }
  if (p.bReseau && !doc.Reseau.Table().empty()) {
    t += SectionExportReseau(doc.Reseau.Table(), doc.ReferenceReseauNs, doc.Config.vues.configReseau.ullNs, sep);
  }
  if (p.bDebits && s.points && !s.points->empty()) {
    const PointDebit& pt = s.points->back();
    std::string duree;
    CDecodageTrame::FormateDuree(static_cast<int64_t>(pt.ullTempsGraphe), duree);
    char v[32];
    t += "LAST INSTANTANEOUS DATA RATES\n";
    libelle("Time", 24, duree);
    std::snprintf(v, sizeof v, "%0.2f %%", static_cast<double>(pt.fChargeDonnees));
    libelle("Data load", 24, v);
    std::snprintf(v, sizeof v, "%0.2f %%", static_cast<double>(pt.fChargeMessages));
    libelle("Message load", 24, v);
    std::snprintf(v, sizeof v, "%0.2f %%", static_cast<double>(pt.fTauxErreur));
    libelle("Error rate", 24, v);
    t += "\n";
  }
  if (p.bStatistiques) t.append(SectionExportStatistiques(res, s.bourrage, sep)).push_back('\n');
  if (p.bTiming) {
    ResultatTiming timing;
    std::string pourquoi;
    const FinTiming fin =
        AnalyseTimingFichier(s.fichier, ParametresTimingDefaut(s.fichier.header().enVitesse),
                             IdentifiantExcluTiming(doc.BourrageRecalcul()), timing, pourquoi);
    if (fin == FinTiming::ErreurLecture) {
      r.etat = ResultatExport::ErreurLecture;
      r.message = "Error reading the acquisition file.";
      r.detail = pourquoi;
      return r;
    }
    t += "TIMING\n";
    // Damaged data ends the pass: what was measured before it is written, and says so.
    if (fin == FinTiming::DonneesInvalides) t.append("Measured up to damaged data: ").append(pourquoi).push_back('\n');
    t.append(SectionTiming(timing, tableur, sep)).push_back('\n');
  }
  out.maybe_flush();

  if (trames) {
    const bool interprete = p.ulContenu == 1;
    const bool voie1 = doc.Voie1;
    const bool voie2 = doc.Voie2;
    std::vector<Colonne> colonnes = {{" ", 6}, {"Absolute date", 30}, {"Relative date", 18}, {"Interframe", 18},
                                     {"Traffic interrupted", 6}};
    if (voie2) colonnes.push_back({"Channel", 6});
    if (voie1) colonnes.push_back({"TxErr1", 6});
    if (voie2) colonnes.push_back({"TxErr2", 6});
    if (interprete) {
      for (Colonne c : {Colonne{"LENGTH", 12}, Colonne{"TYPE", 18}, Colonne{"IDENTIFIER", 51},
                        Colonne{"DESTINATION ADDRESS", 51}, Colonne{"SOURCE ADDRESS", 51}, Colonne{"CRC", 6}}) {
        colonnes.push_back(c);
      }
      colonnes.push_back({"CONTENTS (from position 0)", 0});
    } else {
      colonnes.push_back({"Control and data", 0});
    }
    t += "FRAMES\n";
    Ligne titres(t, tableur, sep);
    for (size_t i = 0; i + 1 < colonnes.size(); ++i) titres.colonne(majuscules(colonnes[i].titre), colonnes[i].largeur);
    titres.fin(majuscules(colonnes.back().titre));

    CLecteurLignes lecteur(doc, s.fichier);
    lecteur.AvecOctets(interprete);
    std::vector<LIGNE_TRAME> lignes;
    derniere = std::min<uint64_t>(derniere, res.ulNbTramesAffichables - 1);
    const uint64_t total = premiere <= derniere ? derniere - premiere + 1 : 0;
    if (arrete(0, total)) return r;
    bool premiereLigne = true;
    for (uint64_t ligne = premiere; ligne <= derniere && !out.failed();) {
      const size_t voulu = static_cast<size_t>(std::min<uint64_t>(derniere - ligne + 1, 4096));
      lecteur.AvecDateAbsolue(premiereLigne);
      const size_t lu = lecteur.Lit(ligne, voulu, true, lignes);
      for (const LIGNE_TRAME& l : lignes) {
        Ligne c(t, tableur, sep);
        c.colonne(TexteMarque(l.ulMarque), 6);
        // The absolute date of the first exported row only: the others follow from relative dates.
        c.colonne(premiereLigne ? std::string_view(l.dateAbs).substr(0, 31) : std::string_view(), 30);
        premiereLigne = false;
        c.colonne(l.dateRel, 18);
        c.colonne(l.interTrame, 18);
        c.colonne(l.bInterruptionTrafic ? "X" : "", 6);
        if (voie2) c.colonne(l.bVoie2 ? "2" : "1", 6);
        if (voie1) c.colonne(l.bErrTx1 ? "X" : "", 6);
        if (voie2) c.colonne(l.bErrTx2 ? "X" : "", 6);
        if (interprete) {
          const Interpretation x = Interprete(l, s.donnees);
          c.colonne(x.longueur, 12);
          c.colonne(x.type, 18);
          c.colonne(x.identifiant, 51);
          c.colonne(x.destination, 51);
          c.colonne(x.source, 51);
          c.colonne(x.crc, 6);
          c.fin(x.contenu);
        } else {
          c.fin(l.texte);
        }
      }
      r.lignes += lu;
      out.maybe_flush();
      if (lu < voulu) {
        // Fewer rows than the list holds: the export is not whole.
        r.etat = ResultatExport::ErreurLecture;
        r.message = lecteur.TexteManque(ligne + lu);
        return r;
      }
      ligne += lu;
      if (arrete(r.lignes, total)) return r;
    }
  } else if (arrete(0, 0)) {
    return r;
  }
  if (!fichier.commit(out)) {
    r.etat = ResultatExport::ErreurEcriture;
    r.message = "Unable to write the text file.";
    r.detail = fichier.error();
  }
  return r;
}

std::string OuvreExport(const std::string& fichier, const PARAM_EXPORT& p, IOuvreurFichier& ouvreur) {
  char t[512];
  if (p.ulFormat == EXPORT_TRAITEMENT_TEXTE && p.bOuvrirTraitementTexte && !ouvreur.OuvreTraitementTexte(fichier)) {
    std::snprintf(t, sizeof t, "The text editor cannot be opened.\nPlease open the %s file with a word processing software.",
                  fichier.c_str());
    return t;
  }
  if (p.ulFormat == EXPORT_TABLEUR && p.bOuvrirTableur && !ouvreur.OuvreTableur(fichier)) {
    std::snprintf(t, sizeof t, "The spreadsheet cannot be opened.\nPlease open the %s file with a spreadsheet.",
                  fichier.c_str());
    return t;
  }
  return {};
}

}  // namespace brv
