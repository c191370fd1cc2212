#pragma once
// The error counters of a run, grouped as the user reads them: computer, traffic, frame decoding
// and physical layer, with the transmission errors of the capture's channels only.

#include <QWidget>

#include <array>

#include "brv_core/analysis/view_snapshot.h"

class QLabel;

namespace brv::ui {

class CFormViewErreurs : public QWidget {
  Q_OBJECT
 public:
  explicit CFormViewErreurs(QWidget* parent = nullptr);

  void Affiche(const brv::InstantaneVues& v);
  // No run: every value blank, the channel rows as the last capture had them.
  void Vide();

  // What a counter's row shows, and whether the row is part of the view.
  QString Libelle(brv::CompteurErreur c) const;
  QString Valeur(brv::CompteurErreur c) const;
  bool LigneMontree(brv::CompteurErreur c) const;

 private:
  struct Ligne {
    QLabel* groupe = nullptr;  // the sub-line's group word, or nullptr
    QLabel* libelle = nullptr;
    QLabel* valeur = nullptr;
  };
  void MontreLigne(brv::CompteurErreur c, bool montree);

  std::array<Ligne, brv::kNbCompteursErreur> lignes_{};
};

}  // namespace brv::ui
