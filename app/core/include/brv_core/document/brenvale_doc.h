#pragma once
// The document: the current configuration, the header copy of the current acquisition file and
// the results computed from it. It opens, saves and copies acquisition files with their tail
// (configuration and results), and loads and saves configuration files.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <vandrel/acq_file.h>

#include "brv_core/analysis/network_config.h"
#include "brv_core/config/configuration.h"
#include "brv_core/decode/capture_description.h"
#include "brv_core/decode/decodage_trame.h"
#include "brv_core/document/acq_results.h"
#include "brv_core/document/doc_reporter.h"
#include "brv_core/file/byte_stream.h"
#include "brv_core/listing/goto_options.h"

namespace brv {

inline constexpr char kNomFichierAcqDefaut[] = "brenvale.dat";

// The per-user data folder, created when missing (~/.local/share/Quorvane/Brenvale/, or under
// $XDG_DATA_HOME); the current directory when it cannot be had. Ends with '/'.
std::string RepertoireParDefaut();

class CBrenvaleDoc {
 public:
  // repertoireDefaut ends with '/'; tests give their own.
  explicit CBrenvaleDoc(IRapportDocument& rapport, std::string repertoireDefaut = RepertoireParDefaut());
  // The decoder refers to Capture: the document stays where it was made.
  CBrenvaleDoc(const CBrenvaleDoc&) = delete;
  CBrenvaleDoc& operator=(const CBrenvaleDoc&) = delete;

  // Current acquisition file.
  std::string AcqFilePath;
  uint32_t ConfigLoaded = 0;
  uint64_t ConfigPartBOffset = 0;
  vandrel::ENTETE_FICHIER Entete{};
  // Set once an acquisition file has been opened: configuration files then omit identifiers.
  bool FichierAcqOuvert = false;

  // The acquisition in progress or last opened.
  uint32_t TypeAcq = vandrel::SANS_SYN;
  uint32_t TickDebut = 0;
  uint64_t DureePostTrigMs = 0;

  Configuration Config;
  // Zone settings in effect for the current acquisition file (taken from its configuration).
  ZonePostTrig PostTrigEnVigueur;
  ZonePreTrig PreTrigEnVigueur;
  // Working copies of the display filter and event tables, and whether each has a definition in use.
  TableDefinitions CopieFiltre;
  TableDefinitions CopieEvenements;
  bool FiltreUtilisable = false;
  bool EvenementsUtilisables = false;

  AcqResults Resultats;
  // The options of the last "Goto" search.
  OptionsGoto Goto;
  // The network's identifiers as the last run saw them, and the date their states are judged at
  // (the last frame's date, on the trigger's time line).
  CConfigReseau Reseau;
  int64_t ReferenceReseauNs = 0;
  // Channels the probe monitors, from enTypeBoitier.
  bool Voie1 = false;
  bool Voie2 = false;

  DescriptionCapture Capture;
  CDecodageTrame Decodeur{Capture};

  // Opens an acquisition file: header, configuration and results. 1 on success (messages shown).
  int OpenAcquisitionFile(const std::string& chemin);
  // The "Open an acquisition" command after the file dialog: asks before replacing a loaded
  // configuration, opens, then describes the acquisition. True when opened.
  bool OuvrirAcquisition(const std::string& chemin);
  // Information-pane lines of the opened acquisition, pushed to the reporter.
  void AfficheAcqOuverte();
  std::vector<std::string> TextesAcqOuverte() const;

  // Writes configuration part B and the results behind the data of AcqFilePath.
  bool SaveAcquisitionTail();
  // Copies the file to chemin (unless it is the same file) and writes the tail there; the copy is
  // made beside chemin and renamed into place only when whole.
  bool SaveAcquisitionAs(const std::string& chemin);
  // Part A behind the data at the end of a live acquisition; records ConfigPartBOffset.
  bool AppendConfigurationPartA(int fd);

  void ResetConfiguration();
  void NouvelleConfiguration();
  void ResetResults(bool complet);

  bool OuvrirConfiguration(const std::string& chemin);
  bool EnregistrerConfiguration(const std::string& chemin);

  // Padding the decoder applies when it reads an opened file again.
  void AppliqueBourrageRecalcul();
  // The padding setting in effect for reading an opened file again.
  const TripletBourrage& BourrageRecalcul() const;
  // Rebuilds the filter and event working copies from the configuration.
  void ReconstruitCopiesEvenements();

  const std::string& RepertoireDefaut() const { return repertoireDefaut_; }

 private:
  // Where part A goes in the file open on fd: behind the last whole record. False on a read error.
  bool PositionPartieA(int fd, uint64_t& position) const;
  // Part A at pos (the data end already found); records ConfigPartBOffset.
  bool EcritPartieA(int fd, uint64_t pos);
  bool EcritQueue(int fd);

  IRapportDocument& rapport_;
  std::string repertoireDefaut_;
};

}  // namespace brv
