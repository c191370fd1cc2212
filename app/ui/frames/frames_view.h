#pragma once
// The main view of a capture: one row per displayed frame, read on demand through a row cache
// that holds the rows on screen with a margin. Only the top row shows its absolute date. The Qt
// table holds just the rows on screen (a window the scroll bar moves over the capture), so that
// a capture of any size opens at once; the selection is kept in capture rows.

#include <QTableView>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

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
  // The file grew under the rows on screen (a live capture): they are read again.
  void Relit();
  void MetAJourColonnesVoies(bool voie1, bool voie2);
  // Rows the list holds (the model holds the window on screen).
  uint64_t NombreLignes() const;
  std::optional<uint64_t> PremiereLigneSelectionnee() const;
  // The first and last selected rows.
  std::optional<std::pair<uint64_t, uint64_t>> LignesSelectionnees() const;
  uint64_t LigneDuHaut() const;
  void SelectionneLigne(uint64_t ligne);
  // Selects the row of a record (or the next shown row when the filter hides it); false when
  // the list has none.
  bool MontreEnregistrement(const RecordPos& position);           // clear, select, focus, scroll into view
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
  void mousePressEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void updateGeometries() override;
  void scrollContentsBy(int dx, int dy) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 private:
  // A reader of the file as it stands now, behind the cache.
  void NouveauLecteur();
  // Rows on screen, with half a page either side, into the cache; the absolute date to the top row.
  void PrepareLignesVisibles();
  void AppliqueColonnes();
  void AjusteLargeursDefaut();
  void AppliqueHauteurLignes();

  // Rows fully on screen, and the window (one more, partly shown).
  int LignesPleines() const;
  void MetAJourFenetre();
  void DeplaceFenetre(uint64_t debut);
  // The scroll bar's range and value from the capture's rows and the window.
  void MetAJourBarre();
  // Makes the row visible, at the top or the bottom of the page as it comes from above or below.
  void AmeneEnVue(uint64_t ligne);
  // Selects [de, a] (capture rows) with `courante` as the current row.
  void Selectionne(uint64_t ancre, uint64_t courante);
  // The capture selection onto the rows of the window.
  void ProjetteSelection();
  void SelectionQtChangee();

  // Before any capture, and after a detach: no rows.
  class CSourceVide : public ISourceLignes {
   public:
    size_t Lit(uint64_t, size_t, std::vector<LIGNE_TRAME>& lignes) override {
      lignes.clear();
      return 0;
    }
  };

  const CBrenvaleDoc* doc_ = nullptr;
  const AcqFile* fichier_ = nullptr;
  std::unique_ptr<CLecteurLignes> lecteur_;
  std::unique_ptr<CSourceDocument> source_;
  CSourceVide vide_;
  CCacheLignes cache_{vide_};
  CDateMobile date_;
  CColonnesListe colonnes_;
  CModeleTrames* modele_;
  bool ajusteColonnes_ = false;  // our own section changes are not the user's resizes
  bool ignoreDefilement_ = false;  // scroll bar changes made by Qt's own layout
  bool projette_ = false;          // selection changes made by ProjetteSelection
  // The selection in capture rows: [selDe_, selA_], made from ancre_ to courante_.
  bool selection_ = false;
  uint64_t ancre_ = 0;
  uint64_t courante_ = 0;
};

}  // namespace brv::ui
