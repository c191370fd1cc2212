#pragma once
// The frames list as a Qt table: ten columns, and as rows a window of the capture's displayable
// frames, the ones on screen. A Qt view keeps a record per row, which tens of millions of rows
// would make slow to open and heavy; the view moves the window as it scrolls instead. Cells come
// only from the row cache, which the view fills for the rows on screen; the count of rows grows
// in batches, at most ten times a second, so that a live capture does not flood the view.

#include <QAbstractTableModel>
#include <QTimer>

#include <cstdint>

#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/listing/moving_date.h"
#include "brv_core/listing/row_cache.h"

namespace brv::ui {

class CModeleTrames : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Row additions are applied at most once in this time.
  static constexpr int kIntervalleLotsMs = 100;

  // cache and date outlive the model (the view owns all three).
  CModeleTrames(CCacheLignes& cache, const CDateMobile& date, QObject* parent = nullptr);

  // The rows of this capture; the cache must already read them. Resets the model.
  void Attache(const CBrenvaleDoc* doc, const AcqFile* fichier, uint64_t nbLignes);
  void Detache();
  bool EstAttache() const { return doc_ != nullptr; }
  // More (or fewer) rows exist: applied now, or within kIntervalleLotsMs when a batch was just applied.
  void DefinitNombreLignes(uint64_t n);
  // The count the model shows (the last one asked may still wait for its batch).
  uint64_t NombreLignes() const { return nbLignes_; }

  // The absolute date of a row changed whether it shows: redraw that cell.
  void DateChangee(uint64_t ligne);

  // The window: the capture rows [debut, debut + taille) as model rows 0, 1...
  void DefinitFenetre(uint64_t debut, int taille);
  uint64_t DebutFenetre() const { return debut_; }
  uint64_t LigneCapture(int rangee) const { return debut_ + static_cast<uint64_t>(rangee); }
  // The model row of a capture row, or -1 outside the window.
  int RangeeFenetre(uint64_t ligne) const;

 signals:
  // The capture's row count changed (the view's scroll range follows it).
  void NombreChange();

 public:

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  void AppliqueNombre();
  int NbFenetre() const;
  // The capture's row count and the window change together; the view learns of the rows added or
  // removed at the window's end.
  void Change(uint64_t nbLignes, uint64_t debut, int taille);
  QString Texte(LIGNE_TRAME& l, uint64_t ligne, int colonne) const;
  const std::string& DateAbsolue(LIGNE_TRAME& l) const;

  CCacheLignes& cache_;
  const CDateMobile& date_;
  const CBrenvaleDoc* doc_ = nullptr;
  const AcqFile* fichier_ = nullptr;
  uint64_t nbLignes_ = 0;  // shown
  uint64_t cible_ = 0;     // asked, waiting for its batch
  uint64_t debut_ = 0;
  int fenetre_ = 64;
  QTimer lot_;
};

}  // namespace brv::ui
