#include "dialogs/export_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace brv::ui {

namespace {

// The room that sets a choice's own options under it.
constexpr int kRetrait = 20;

QCheckBox* Case(const char* texte, const char* nom, QWidget* parent) {
  auto* c = new QCheckBox(QString::fromLatin1(texte), parent);
  c->setObjectName(QString::fromLatin1(nom));
  return c;
}

QRadioButton* Radio(QButtonGroup* groupe, int id, const char* texte, const char* nom, QWidget* parent) {
  auto* r = new QRadioButton(QString::fromLatin1(texte), parent);
  r->setObjectName(QString::fromLatin1(nom));
  groupe->addButton(r, id);
  return r;
}

uint32_t Coche(const QCheckBox* c) { return c->isChecked() ? 1 : 0; }

}  // namespace

CExportDlg::CExportDlg(const PARAM_EXPORT& memorise, const DisponibiliteExport& d, QWidget* parent)
    : QDialog(parent), d_(d), format_(new QButtonGroup(this)), trames_(new QButtonGroup(this)), contenu_(new QButtonGroup(this)) {
  setWindowTitle(tr("Export to"));

  auto* cible = new QGroupBox(tr("Target"), this);
  auto* traitementTexte = Radio(format_, EXPORT_TRAITEMENT_TEXTE, "Targeting a word processing software", "traitementTexte", cible);
  ouvrirTraitementTexte_ = Case("Open the text editor", "ouvrirTraitementTexte", cible);
  auto* tableur = Radio(format_, EXPORT_TABLEUR, "Targeting a spreadsheet", "tableur", cible);
  ouvrirTableur_ = Case("Open the spreadsheet", "ouvrirTableur", cible);
  utiliseSeparateur_ = Case("Use separator:", "utiliseSeparateur", cible);
  separateur_ = new QLineEdit(cible);
  separateur_->setObjectName(QStringLiteral("separateur"));
  separateur_->setMaxLength(static_cast<int>(kLgMaxSeparateur));
  separateur_->setFixedWidth(separateur_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 6);
  auto* grilleCible = new QGridLayout(cible);
  grilleCible->setColumnMinimumWidth(0, kRetrait);
  grilleCible->addWidget(traitementTexte, 0, 0, 1, 4);
  grilleCible->addWidget(ouvrirTraitementTexte_, 1, 1, 1, 3);
  grilleCible->addWidget(tableur, 2, 0, 1, 4);
  grilleCible->addWidget(ouvrirTableur_, 3, 1, 1, 3);
  grilleCible->addWidget(utiliseSeparateur_, 4, 1);
  grilleCible->addWidget(separateur_, 4, 2);
  tabulation_ = new QLabel(tr("(tabulation by default)"), cible);
  grilleCible->addWidget(tabulation_, 4, 3);
  grilleCible->setColumnStretch(3, 1);

  auto* elements = new QGroupBox(tr("Elements"), this);
  information_ = Case("Information about the acquisition", "information", elements);
  erreurs_ = Case("Error meters", "erreurs", elements);
  reseau_ = Case("Network configuration", "reseau", elements);
  debits_ = Case("Last instantaneous data rates", "debits", elements);
  statistiques_ = Case("Statistics", "statistiques", elements);
  timing_ = Case("Timing", "timing", elements);
  auto* colonneElements = new QVBoxLayout(elements);
  for (QCheckBox* c : {information_, erreurs_, reseau_, debits_, statistiques_, timing_}) colonneElements->addWidget(c);
  colonneElements->addStretch(1);

  auto* trames = new QGroupBox(tr("Frames"), this);
  auto* ligneTrames = new QHBoxLayout;
  ligneTrames->addWidget(Radio(trames_, TRAMES_TOUTES, "All", "toutes", trames));
  ligneTrames->addWidget(Radio(trames_, TRAMES_SELECTION, "Selection", "selection", trames));
  ligneTrames->addWidget(Radio(trames_, TRAMES_AUCUNE, "None", "aucune", trames));
  ligneTrames->addStretch(1);
  auto* colonneTrames = new QVBoxLayout(trames);
  colonneTrames->addLayout(ligneTrames);
  colonneTrames->addWidget(Radio(contenu_, 0, "Raw", "brut", trames));
  colonneTrames->addWidget(Radio(contenu_, 1, "Interpreted according to user data", "interprete", trames));
  colonneTrames->addStretch(1);

  auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(boutons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(boutons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* bas = new QHBoxLayout;
  bas->addWidget(elements);
  bas->addWidget(trames);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(cible);
  layout->addLayout(bas);
  layout->addWidget(boutons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Shown as the capture and the desktop allow.
  const PARAM_EXPORT p = AjusteExport(memorise, d_);
  format_->button(p.ulFormat == EXPORT_TABLEUR ? EXPORT_TABLEUR : EXPORT_TRAITEMENT_TEXTE)->setChecked(true);
  ouvrirTraitementTexte_->setChecked(p.bOuvrirTraitementTexte != 0);
  ouvrirTableur_->setChecked(p.bOuvrirTableur != 0);
  utiliseSeparateur_->setChecked(p.bUtiliseSeparateur != 0);
  separateur_->setText(QString::fromStdString(SaisieDeSeparateur(p.separateur)));
  information_->setChecked(p.bInformation != 0);
  erreurs_->setChecked(p.bErreurs != 0);
  reseau_->setChecked(p.bReseau != 0);
  debits_->setChecked(p.bDebits != 0);
  statistiques_->setChecked(p.bStatistiques != 0);
  timing_->setChecked(p.bTiming != 0);
  if (QAbstractButton* b = trames_->button(static_cast<int>(p.ulTrames))) b->setChecked(true);
  contenu_->button(p.ulContenu == 1 ? 1 : 0)->setChecked(true);

  MetAJourControles();
  connect(format_, &QButtonGroup::idToggled, this, &CExportDlg::MetAJourControles);
  connect(trames_, &QButtonGroup::idToggled, this, &CExportDlg::MetAJourControles);
  connect(utiliseSeparateur_, &QCheckBox::toggled, this, &CExportDlg::MetAJourControles);
}

PARAM_EXPORT CExportDlg::Choix() const {
  PARAM_EXPORT p;
  p.ulFormat = format_->checkedId() == EXPORT_TABLEUR ? EXPORT_TABLEUR : EXPORT_TRAITEMENT_TEXTE;
  p.bOuvrirTraitementTexte = Coche(ouvrirTraitementTexte_);
  p.bOuvrirTableur = Coche(ouvrirTableur_);
  p.bUtiliseSeparateur = Coche(utiliseSeparateur_);
  p.separateur = SeparateurDeSaisie(separateur_->text().toStdString());
  p.bInformation = Coche(information_);
  p.bErreurs = Coche(erreurs_);
  p.bReseau = Coche(reseau_);
  p.bDebits = Coche(debits_);
  p.bStatistiques = Coche(statistiques_);
  p.bTiming = Coche(timing_);
  p.ulTrames = trames_->checkedId() < 0 ? TRAMES_AUCUNE : static_cast<uint32_t>(trames_->checkedId());
  p.ulContenu = contenu_->checkedId() == 1 ? 1 : 0;
  return p;
}

void CExportDlg::MetAJourControles() {
  const ControlesExport c = Controles(Choix(), d_);
  ouvrirTraitementTexte_->setEnabled(c.ouvrirTraitementTexte);
  ouvrirTableur_->setEnabled(c.ouvrirTableur);
  utiliseSeparateur_->setEnabled(c.utiliseSeparateur);
  separateur_->setEnabled(c.separateur);
  tabulation_->setEnabled(c.utiliseSeparateur);
  reseau_->setEnabled(c.reseau);
  debits_->setEnabled(c.debits);
  trames_->button(TRAMES_TOUTES)->setEnabled(c.toutes);
  trames_->button(TRAMES_SELECTION)->setEnabled(c.selection);
  trames_->button(TRAMES_AUCUNE)->setEnabled(c.aucune);
  for (QAbstractButton* b : contenu_->buttons()) b->setEnabled(c.contenu);
}

}  // namespace brv::ui
