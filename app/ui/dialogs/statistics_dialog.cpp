#include "dialogs/statistics_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "brv_core/decode/frame_types.h"

namespace brv::ui {
namespace {

// The lines the core gives: four counts, the bus lines, then padding and the twenty types.
constexpr size_t kNbComptes = 4;
constexpr size_t kNbLignesTypes = 1 + kTypesTrame.size();
// The identification and data-answer types fill the first column of the types, under the padding.
constexpr size_t kTypesPremiereColonne = 10;

}  // namespace

CStatistiquesDlg::CStatistiquesDlg(QWidget* parent) : QDialog(parent), rafraichir_(new QPushButton(tr("Refresh"))) {
  setWindowTitle(tr("Statistics"));
  setModal(true);

  auto* titre = new QLabel(tr("Statistics for the opened acquisition"), this);
  QFont gras = titre->font();
  gras.setBold(true);
  titre->setFont(gras);

  auto* boutons = new QDialogButtonBox(this);
  boutons->addButton(rafraichir_, QDialogButtonBox::ActionRole);
  auto* fermer = boutons->addButton(tr("Close"), QDialogButtonBox::AcceptRole);
  fermer->setDefault(true);
  connect(rafraichir_, &QPushButton::clicked, this, &CStatistiquesDlg::Rafraichir);
  connect(fermer, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(titre);
  layout->addSpacing(4);
  layout->addWidget(boutons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  Vide();
}

void CStatistiquesDlg::Affiche(const InstantaneVues& v) { Montre(ValeursStatistiques(v)); }

void CStatistiquesDlg::Vide() {
  Lignes lignes = ValeursStatistiques(InstantaneVues{});
  for (auto& l : lignes) l.second.clear();
  Montre(lignes);
}

void CStatistiquesDlg::Montre(const Lignes& lignes) {
  const bool memes = lignes.size() == valeurs_.size() &&
                     std::equal(lignes.begin(), lignes.end(), valeurs_.begin(), [](const auto& l, const auto& v) {
                       return QString::fromStdString(l.first) == v.first;
                     });
  if (!memes) Construit(lignes);
  for (size_t i = 0; i < lignes.size(); ++i) {
    if (valeurs_[i].second != nullptr) valeurs_[i].second->setText(QString::fromStdString(lignes[i].second));
  }
}

void CStatistiquesDlg::Construit(const Lignes& lignes) {
  delete contenu_;
  valeurs_.clear();
  contenu_ = new QWidget(this);
  // The last lines are the types; what lies between the counts and them are the bus lines.
  const size_t finBus = lignes.size() >= kNbLignesTypes ? lignes.size() - kNbLignesTypes : lignes.size();
  const size_t finComptes = std::min(kNbComptes, finBus);

  // colonnes: how many grid columns the value spans (the padding line runs across both halves).
  const auto ajoute = [this, &lignes](QGridLayout* grille, size_t i, int rang, int colonne, int colonnes = 1) {
    const QString libelle = QString::fromStdString(lignes[i].first);
    auto* l = new QLabel(libelle, contenu_);
    QLabel* valeur = nullptr;
    if (lignes[i].first == kTexteDebitsFiltres) {
      // The filtering notice has no value: it takes the group's width.
      l->setWordWrap(true);
      grille->addWidget(l, rang, colonne, 1, 2);
    } else {
      valeur = new QLabel(contenu_);
      valeur->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      valeur->setTextInteractionFlags(Qt::TextSelectableByMouse);
      grille->addWidget(l, rang, colonne);
      grille->addWidget(valeur, rang, colonne + 1, 1, colonnes);
    }
    valeurs_.emplace_back(libelle, valeur);
  };
  const auto groupe = [this](const QString& titre) {
    auto* g = new QGroupBox(titre, contenu_);
    auto* grille = new QGridLayout(g);
    grille->setHorizontalSpacing(16);
    return std::pair{g, grille};
  };

  auto [trames, grilleTrames] = groupe(tr("Frames"));
  for (size_t i = 0; i < finComptes; ++i) ajoute(grilleTrames, i, static_cast<int>(i), 0);
  auto [trafic, grilleTrafic] = groupe(tr("Traffic"));
  for (size_t i = finComptes; i < finBus; ++i) ajoute(grilleTrafic, i, static_cast<int>(i - finComptes), 0);
  auto [types, grilleTypes] = groupe(tr("Frame types"));
  for (size_t i = finBus; i < lignes.size(); ++i) {
    const size_t n = i - finBus;
    if (n == 0) {
      ajoute(grilleTypes, i, 0, 0, 4);
      grilleTypes->setRowMinimumHeight(1, 6);
      continue;
    }
    const bool premiere = n <= kTypesPremiereColonne;
    ajoute(grilleTypes, i, static_cast<int>(premiere ? n + 1 : n + 1 - kTypesPremiereColonne), premiere ? 0 : 3);
  }
  grilleTypes->setColumnMinimumWidth(2, 12);
  grilleTypes->setRowStretch(static_cast<int>(kTypesPremiereColonne) + 2, 1);

  auto* gauche = new QVBoxLayout;
  gauche->addWidget(trames);
  gauche->addWidget(trafic);
  gauche->addStretch(1);
  auto* corps = new QHBoxLayout(contenu_);
  corps->setContentsMargins(0, 0, 0, 0);
  corps->addLayout(gauche);
  corps->addWidget(types);

  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  layout->insertWidget(2, contenu_);  // between the title and the buttons
}

QStringList CStatistiquesDlg::Libelles() const {
  QStringList l;
  for (const auto& v : valeurs_) l.push_back(v.first);
  return l;
}

QString CStatistiquesDlg::Valeur(const QString& libelle) const {
  for (const auto& [l, valeur] : valeurs_) {
    if (l == libelle) return valeur != nullptr ? valeur->text() : QString("");
  }
  return {};
}

}  // namespace brv::ui
