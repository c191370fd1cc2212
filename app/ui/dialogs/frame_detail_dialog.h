#pragma once
// The "Frame detail" dialog: one row of the frames list explained as a page, written to a
// temporary file and shown in a browser without scripts, with preview and print.

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/userdata/user_data.h"
#include "dialogs/printable_page.h"

namespace brv::ui {

class CDetailTrameDlg : public CPageImprimable {
  Q_OBJECT
 public:
  // Builds the page of row ligne and writes it to chemin; on failure Pret() is false and
  // Erreur() holds the two lines to show. donnees: the user data, null when none is loaded.
  CDetailTrameDlg(const brv::CBrenvaleDoc& doc, const brv::AcqFile& fichier, uint64_t ligne,
                  const std::vector<brv::DONNEE_UTILISATEUR>* donnees, const std::string& chemin,
                  QWidget* parent = nullptr);

  // The dialog of a row, modal, on the run's temporary page; a failure shows its message instead.
  static void Ouvre(const brv::CBrenvaleDoc& doc, const brv::AcqFile& fichier, uint64_t ligne,
                    const std::vector<brv::DONNEE_UTILISATEUR>* donnees, QWidget* parent);

  bool Pret() const { return erreur_.isEmpty(); }
  const QString& Erreur() const { return erreur_; }

 private:
  QString erreur_;
};

}  // namespace brv::ui
