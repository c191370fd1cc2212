#pragma once
// The network's identifiers as a tree under one root: each present, missing or not called, with
// a second image when one of its calls went unanswered. A refresh updates the items in place so
// that what the user opened and scrolled to stays where it was.

#include <QTreeWidget>

#include <vector>

#include "brv_core/analysis/view_snapshot.h"

namespace brv::ui {

class CTreeViewConfigRes : public QTreeWidget {
  Q_OBJECT
 public:
  // Item data: the identifier (children) and the image number of its state, 1 to 6.
  static constexpr int kRoleIdentifiant = Qt::UserRole;
  static constexpr int kRoleImage = Qt::UserRole + 1;

  explicit CTreeViewConfigRes(QWidget* parent = nullptr);

  // Copies v's table and reference date, then redraws from the copy.
  void Affiche(const brv::InstantaneVues& v);
  // No table: the tree is empty.
  void Vide();

  // The image of a state number (ImageEtat), drawn once; a null icon outside 1..6.
  static QIcon IconeEtat(int image);

  QTreeWidgetItem* Racine() const { return racine_; }

 private:
  void Redessine();

  // The view's own copy, so that a redraw never needs the snapshot again.
  std::vector<brv::IDENTIFIANT_RESEAU> table_;
  int64_t referenceNs_ = 0;
  uint64_t delaiPresenceNs_ = 0;
  QTreeWidgetItem* racine_ = nullptr;
};

}  // namespace brv::ui
