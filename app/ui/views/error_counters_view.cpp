#include "views/error_counters_view.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <iterator>

namespace brv::ui {
namespace {

// One row of the view: a group's title with its total, or a sub-line of the group above.
struct RangCompteur {
  CompteurErreur compteur;
  const char* groupe;   // title of a group starting here (nullptr on a sub-line)
  const char* mot;      // the sub-line's group word, shown on the first line of its kind
  const char* libelle;  // the sub-line's own text (the title's row shows the total)
};

// Groups in reading order: what the computer missed first, then what the bus did.
constexpr RangCompteur kRangs[] = {
    {ERR_INTERRUPTION_PC, "Computer Errors - Acquisition interruptions", nullptr, nullptr},
    {ERR_INTERRUPTION_TRAFIC, "FIP Errors - Traffic", nullptr, "Interruption"},
    {ERR_TX_VOIE1, nullptr, nullptr, "TxErr1"},
    {ERR_TX_VOIE2, nullptr, nullptr, "TxErr2"},
    {ERR_TRAMES_ERRONEES, "FIP Errors - Frame Decoding - Total : ", nullptr, nullptr},
    {ERR_CONTROLE_INCONNU, nullptr, "Control", "unknown"},
    {ERR_TROP_COURTE, nullptr, "Data", "too short"},
    {ERR_TROP_LONGUE, nullptr, nullptr, "too long"},
    {ERR_LONGUEUR_INVALIDE, nullptr, nullptr, "undefined size"},
    {ERR_CRC, nullptr, "CRC", "erroneous"},
    {ERR_PHYSIQUES, "FIP Errors - Physical Layer - Total : ", nullptr, nullptr},
    {ERR_DELIMITEUR, nullptr, nullptr, "FSD"},
    {ERR_GLITCH, nullptr, nullptr, "PRE"},
};
static_assert(std::size(kRangs) == kNbCompteursErreur);

constexpr int kColRetrait = 0, kColMot = 1, kColLibelle = 2, kColValeur = 3;
constexpr int kRetrait = 18;

}  // namespace

CFormViewErreurs::CFormViewErreurs(QWidget* parent) : QWidget(parent) {
  auto* grille = new QGridLayout;
  grille->setHorizontalSpacing(10);
  grille->setColumnMinimumWidth(kColRetrait, kRetrait);
  grille->setColumnStretch(kColLibelle, 1);
  QFont gras = font();
  gras.setBold(true);

  int rang = 0;
  for (const RangCompteur& r : kRangs) {
    Ligne& l = lignes_[r.compteur];
    l.valeur = new QLabel(this);
    l.valeur->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l.valeur->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l.valeur->setMinimumWidth(l.valeur->fontMetrics().horizontalAdvance(QStringLiteral("00000000000")));
    if (r.groupe != nullptr) {
      // A gap above every group but the first keeps the four groups apart.
      if (rang > 0) grille->setRowMinimumHeight(rang++, 8);
      auto* titre = new QLabel(QString::fromLatin1(r.groupe), this);
      titre->setFont(gras);
      if (r.libelle == nullptr) {
        // The title carries the group's total.
        l.libelle = titre;
        l.valeur->setFont(gras);
        grille->addWidget(titre, rang, kColRetrait, 1, 3);
        grille->addWidget(l.valeur, rang++, kColValeur);
        continue;
      }
      grille->addWidget(titre, rang++, kColRetrait, 1, 4);
    }
    if (r.mot != nullptr) {
      l.groupe = new QLabel(QString::fromLatin1(r.mot), this);
      grille->addWidget(l.groupe, rang, kColMot);
    }
    l.libelle = new QLabel(QString::fromLatin1(r.libelle), this);
    grille->addWidget(l.libelle, rang, kColLibelle);
    grille->addWidget(l.valeur, rang++, kColValeur);
  }

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grille);
  layout->addStretch(1);
  Vide();
}

void CFormViewErreurs::Affiche(const InstantaneVues& v) {
  for (size_t c = 0; c < kNbCompteursErreur; ++c) lignes_[c].valeur->setText(QString::number(v.compteursErreur[c]));
  MontreLigne(ERR_TX_VOIE1, v.voie1);
  MontreLigne(ERR_TX_VOIE2, v.voie2);
}

void CFormViewErreurs::Vide() {
  for (Ligne& l : lignes_) l.valeur->clear();
}

void CFormViewErreurs::MontreLigne(CompteurErreur c, bool montree) {
  Ligne& l = lignes_[c];
  for (QLabel* w : {l.groupe, l.libelle, l.valeur}) {
    if (w != nullptr) w->setVisible(montree);
  }
}

QString CFormViewErreurs::Libelle(CompteurErreur c) const {
  const Ligne& l = lignes_[c];
  return l.groupe != nullptr ? l.groupe->text() + " - " + l.libelle->text() : l.libelle->text();
}

QString CFormViewErreurs::Valeur(CompteurErreur c) const { return lignes_[c].valeur->text(); }

bool CFormViewErreurs::LigneMontree(CompteurErreur c) const { return !lignes_[c].valeur->isHidden(); }

}  // namespace brv::ui
