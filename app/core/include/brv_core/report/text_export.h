#pragma once
// Text export of a capture for a word processor (fixed-width columns) or a spreadsheet
// (separated columns): information, error counters, network configuration, last data rates,
// statistics and frames, raw or interpreted with the user data.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "brv_core/analysis/statistics.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/userdata/user_data.h"

namespace brv {

enum FormatExport : uint32_t { EXPORT_TRAITEMENT_TEXTE = 0, EXPORT_TABLEUR = 1 };
enum TramesExport : uint32_t { TRAMES_AUCUNE = 0, TRAMES_SELECTION = 1, TRAMES_TOUTES = 2 };

struct PARAM_EXPORT {
  uint32_t ulFormat = EXPORT_TRAITEMENT_TEXTE;
  uint32_t bOuvrirTraitementTexte = 0;
  uint32_t bOuvrirTableur = 0;
  uint32_t bUtiliseSeparateur = 0;
  std::string separateur = "\t";
  uint32_t bInformation = 1;
  uint32_t bErreurs = 1;
  uint32_t bReseau = 1;
  uint32_t bDebits = 1;
  uint32_t bStatistiques = 1;
  uint32_t bTiming = 0;  // the bus timing: an extra pass over the capture, so only when asked
  uint32_t ulTrames = TRAMES_TOUTES;
  uint32_t ulContenu = 0;  // 0 raw, 1 interpreted according to user data
};

// What a run computed beside the document (padding in effect, data-rate points).
struct SourceExport {
  const CBrenvaleDoc& doc;
  const AcqFile& fichier;
  BourrageEnVigueur bourrage;
  const std::vector<PointDebit>* points = nullptr;
  const std::vector<DONNEE_UTILISATEUR>* donnees = nullptr;
};

// The document holds nothing to export: no frame acquired and none to list.
bool RienATransferer(const CBrenvaleDoc& doc);

struct ResultatExport {
  enum Etat { Ok, RienATransferer, CreationImpossible, ErreurLecture, ErreurEcriture, Annule } etat = Ok;
  std::string message;
  std::string detail;  // the system's text of a failed creation or write
  uint64_t lignes = 0;
};

// Told how far the frames are written, from the thread that writes; answering false stops the
// export, which then leaves nothing behind.
class IProgresExport {
 public:
  virtual ~IProgresExport() = default;
  virtual bool Continue(uint64_t lignesEcrites, uint64_t lignesTotal) = 0;
};

// Writes the export of rows [premiere, derniere] (inclusive; only when frames are chosen). The
// file is replaced only by a whole export: on any failure, or when stopped, the previous one is
// left as it was.
ResultatExport ExporteTexte(const std::string& chemin, const PARAM_EXPORT& p, const SourceExport& source,
                            uint64_t premiere, uint64_t derniere, IProgresExport* progres = nullptr);

// Opens the exported file with the desktop's programs (the GUI and the CLI supply it).
class IOuvreurFichier {
 public:
  virtual ~IOuvreurFichier() = default;
  // True when the program started.
  virtual bool OuvreTraitementTexte(const std::string& fichier) = 0;
  virtual bool OuvreTableur(const std::string& fichier) = 0;
};

// Opens the file as the settings ask; the warning to show when the program did not start, else empty.
std::string OuvreExport(const std::string& fichier, const PARAM_EXPORT& p, IOuvreurFichier& ouvreur);

}  // namespace brv
