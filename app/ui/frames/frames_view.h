#pragma once
// The main view of a capture: one row per displayed frame, read on demand through a row cache
// that holds the rows on screen with a margin. Only the top row shows its absolute date.

#include <QTableView>

#include <cstdint>
#include <memory>
#include <optional>

#include "brv_core/document/brenvale_doc.h"
#include "brv_core/document/row_reader.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/listing/columns.h"
#include "brv_core/listing/goto_options.h"
#include "brv_core/listing/moving_date.h"
#include "brv_core/listing/row_cache.h"

class QSettings;

namespace brv::ui {

class CModeleTrames;

class CListViewAcq : public QTableView {
  Q_OBJECT
 public:
  explicit CListViewAcq(QWidget* parent = nullptr);
  ~CListViewAcq() override;

  // Shows the rows of this capture: doc and fichier (an open AcqFile) outlive the attachment.
  void AttacheCapture(const brv::CBrenvaleDoc* doc, const brv::AcqFile* fichier, uint64_t nbLignes);
  void Detache();                                  // empty list
  void DefinitNombreLignes(uint64_t n);            // more rows exist (batched, <= 10 updates/s)
  void MetAJourColonnesVoies(bool voie1, bool voie2);
  std::optional<uint64_t> PremiereLigneSelectionnee() const;
  uint64_t LigneDuHaut() const;
  void SelectionneLigne(uint64_t ligne);           // clear, select, focus, scroll into view
  void LitLargeurs(QSettings& s);                  // section "LVAcq", keys of the column table
  void EcritLargeurs(QSettings& s) const;
  // Goto: search from the first selected row (else the top row); selects the row found.
  bool Cherche(const brv::OptionsGoto& options);
  brv::CCacheLignes* Cache() { return &cache_; }   // tests count the rows read

 signals:
  void DetailDemande(quint64 ligne);               // double-click or Enter on a row

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Rows on screen, with half a page either side, into the cache; the absolute date to the top row.
  void PrepareLignesVisibles();
  void AppliqueColonnes();
  void AjusteLargeursDefaut();
  void AppliqueHauteurLignes();

  // Before any capture, and after a detach: no rows.
  class CSourceVide : public ISourceLignes {
   public:
    size_t Lit(uint64_t, size_t, std::vector<LIGNE_TRAME>& lignes) override {
      lignes.clear();
      return 0;
    }
  };

  const CBrenvaleDoc* doc_ = nullptr;
  std::unique_ptr<CLecteurLignes> lecteur_;
  std::unique_ptr<CSourceDocument> source_;
  CSourceVide vide_;
  CCacheLignes cache_{vide_};
  CDateMobile date_;
  CColonnesListe colonnes_;
  CModeleTrames* modele_;
  bool ajusteColonnes_ = false;  // our own section changes are not the user's resizes
};

}  // namespace brv::ui
