#pragma once
// Opens an exported text file with the desktop's programs: the desktop's handler for a word
// processor, a spreadsheet program found on PATH (LibreOffice Calc) else the desktop's handler.

#include <string>
#include <vector>

#include "brv_core/report/export_choices.h"
#include "brv_core/report/text_export.h"

namespace brv {

class COuvreurBureau : public IOuvreurFichier {
 public:
  // The programs are looked up on PATH; tests give others.
  explicit COuvreurBureau(std::string gestionnaire = "xdg-open", std::string tableur = "libreoffice");

  bool OuvreTraitementTexte(const std::string& fichier) override;
  bool OuvreTableur(const std::string& fichier) override;

  // Which programs are there: the handler, and the spreadsheet program itself (without it the
  // handler would open the file, but not as a spreadsheet).
  ProgrammesExport Programmes() const;

 private:
  // Starts the program without waiting for it; false when it cannot be started.
  static bool Lance(const std::vector<std::string>& arguments);
  static bool SurLeChemin(const std::string& programme);

  std::string gestionnaire_;
  std::string tableur_;
};

}  // namespace brv
