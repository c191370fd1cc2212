#pragma once
// The "Statistics" dialog: counts, bus time and loads, and the frames of each type of the opened
// acquisition. Refresh asks the window for fresh figures, which come back through Affiche.

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

#include "brv_core/analysis/view_snapshot.h"

class QLabel;
class QPushButton;
class QWidget;

namespace brv::ui {

class CStatistiquesDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CStatistiquesDlg(QWidget* parent = nullptr);

  void Affiche(const brv::InstantaneVues& v);
  // No figures: the labels of an unfiltered run with blank values.
  void Vide();

  // The labels in their order, and the value shown beside one (null when no such line).
  QStringList Libelles() const;
  QString Valeur(const QString& libelle) const;
  QPushButton* BoutonRafraichir() const { return rafraichir_; }

 signals:
  void Rafraichir();

 private:
  using Lignes = std::vector<std::pair<std::string, std::string>>;
  // Lays the lines out again when their labels changed (filtering hides the loads), else only
  // sets the values.
  void Montre(const Lignes& lignes);
  void Construit(const Lignes& lignes);

  QWidget* contenu_ = nullptr;
  QPushButton* rafraichir_;
  std::vector<std::pair<QString, QLabel*>> valeurs_;
};

}  // namespace brv::ui
