#include "config/display_sheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "brv_core/config/views_page.h"
#include "config/definition_pages.h"

namespace brv::ui {

namespace {

QLineEdit* Nombres(QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), e));
  e->setMaximumWidth(80);
  return e;
}

QComboBox* Unites(QWidget* parent) {
  auto* c = new QComboBox(parent);
  for (const char* u : brv::kUnitesIntegration) c->addItem(QString::fromLatin1(u));
  return c;
}

}  // namespace

// --- Views ----------------------------------------------------------------------------------------

CConfigAffVuesPage::CConfigAffVuesPage(brv::Configuration& travail, QWidget* parent) : CPageConfig(travail, parent) {
  auto* l = new QVBoxLayout(this);
  const auto temps = [&](const QString& titre, QLineEdit*& nombre, QComboBox*& unite) {
    auto* g = new QGroupBox(titre, this);
    auto* lg = new QHBoxLayout(g);
    lg->addWidget(new QLabel(tr("Integration time:"), g));
    nombre = Nombres(g);
    unite = Unites(g);
    lg->addWidget(nombre);
    lg->addWidget(unite);
    lg->addStretch();
    l->addWidget(g);
  };
  temps(tr("Network configuration"), reseau_, uniteReseau_);
  temps(tr("Instantaneous data rates"), debit_, uniteDebit_);
  auto* graphe = new QGroupBox(tr("Data rate chart"), this);
  auto* lc = new QHBoxLayout(graphe);
  lc->addWidget(new QLabel(tr("Number of stored points"), graphe));
  points_ = Nombres(graphe);
  lc->addWidget(points_);
  lc->addStretch();
  l->addWidget(graphe);
  auto* stats = new QGroupBox(tr("Statistics"), this);
  auto* ls = new QVBoxLayout(stats);
  ouverture_ = new QCheckBox(tr("Open automatically when the acquisition or re-calculation ends"), stats);
  ls->addWidget(ouverture_);
  l->addWidget(stats);
  l->addStretch();
}

void CConfigAffVuesPage::Affiche(const brv::SaisiePageVues& s) {
  reseau_->setText(QString::fromStdString(s.configReseau.nombre));
  uniteReseau_->setCurrentIndex(s.configReseau.unite);
  debit_->setText(QString::fromStdString(s.debitInstantane.nombre));
  uniteDebit_->setCurrentIndex(s.debitInstantane.unite);
  points_->setText(QString::fromStdString(s.nbPoints));
  ouverture_->setChecked(s.ouvertureAuto);
}

void CConfigAffVuesPage::Montre() { Affiche(brv::SaisiePageVuesDe(travail_.vues)); }

std::optional<std::string> CConfigAffVuesPage::Quitte() {
  brv::SaisiePageVues s{{reseau_->text().toStdString(), uniteReseau_->currentIndex()},
                        {debit_->text().toStdString(), uniteDebit_->currentIndex()},
                        points_->text().toStdString(),
                        ouverture_->isChecked()};
  if (!brv::VerifiePageVues(s, travail_.vues)) return std::nullopt;
  // The corrected values stay on the page: a second confirmation takes them.
  Affiche(s);
  return brv::kMsgVuesCorrigees;
}

// --- Padding --------------------------------------------------------------------------------------

CConfigAffBourragePage::CConfigAffBourragePage(brv::Configuration& travail, const brv::TripletBourrage& acquisition,
                                               QWidget* parent)
    : CPageConfig(travail, parent), acquisition_(acquisition) {
  auto* l = new QVBoxLayout(this);
  auto* acq = new QFormLayout;
  acq->addRow(tr("Padding identifier defined at acquisition time:"),
              new QLabel(acquisition_.bActif ? QStringLiteral("%1H").arg(acquisition_.ulIdentifiant & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper()
                                             : tr("None"),
                         this));
  l->addLayout(acq);
  auto* ligne = new QHBoxLayout;
  autre_ = new QCheckBox(tr("Definition of another value for display only"), this);
  identifiant_ = new QLineEdit(this);
  identifiant_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,4}")), identifiant_));
  identifiant_->setMaximumWidth(80);
  ligne->addWidget(autre_);
  ligne->addWidget(identifiant_);
  ligne->addStretch();
  l->addLayout(ligne);
  const bool libre = brv::BourrageRedefinissable(acquisition_);
  auto* note = new QLabel(libre ? tr("Padding identifier definition,\nonly used at re-calculation time!")
                                : tr("The padding identifier cannot be redefined,\nbecause the data corresponding to the "
                                     "previously defined identifier has been discarted."),
                          this);
  l->addWidget(note);
  l->addStretch();
  autre_->setEnabled(libre);
  connect(autre_, &QCheckBox::toggled, identifiant_, [this, libre](bool oui) { identifiant_->setEnabled(libre && oui); });
}

void CConfigAffBourragePage::Montre() {
  const brv::TripletBourrage& b = travail_.bourrageAffichage;
  autre_->setChecked(b.bActif != 0);
  identifiant_->setText(b.bActif ? QString::number(b.ulIdentifiant & 0xFFFF, 16).toUpper() : QString());
  identifiant_->setEnabled(autre_->isEnabled() && autre_->isChecked());
}

std::optional<std::string> CConfigAffBourragePage::Quitte() {
  if (!brv::BourrageRedefinissable(acquisition_)) return std::nullopt;
  return brv::VerifiePageBourrage(autre_->isChecked(), identifiant_->text().toStdString(), travail_.bourrageAffichage);
}

// --- The sheet ------------------------------------------------------------------------------------

CConfigAffSheet::CConfigAffSheet(const brv::Configuration& doc, const brv::TripletBourrage& bourrageAcquisition,
                                 bool editable, int premiere, CRapportQt& rapport, QWidget* parent)
    : CFeuilleConfig(tr("Displaying configuration"), doc, editable, rapport, parent) {
  TexteOk(tr("Validate"));
  ApplyFerme(true);
  Ajoute(new CConfigAffVuesPage(Travail(), this), tr("Views"));
  ids_.push_back(VUES);
  Ajoute(new CConfigAffFiltragePage(Travail(), this), tr("Filtering "));
  ids_.push_back(FILTRAGE);
  Ajoute(new CConfigAffEvtPage(Travail(), this), tr("Events"));
  ids_.push_back(EVENEMENTS);
  Ajoute(new CConfigAffBourragePage(Travail(), bourrageAcquisition, this), tr("Padding"));
  ids_.push_back(BOURRAGE);
  OuvreSur(premiere);
}

bool CConfigAffSheet::Ecrit(brv::Configuration& doc) const {
  if (!Confirmee() || !Editable()) return false;
  const std::vector<bool> m = Montrees();
  const brv::Configuration& t = Travail();
  for (size_t i = 0; i < ids_.size() && i < m.size(); ++i) {
    if (!m[i]) continue;
    switch (ids_[i]) {
      case VUES: doc.vues = t.vues; break;
      case FILTRAGE:
        doc.filtre = t.filtre;
        doc.ulModeFiltre = t.ulModeFiltre;
        break;
      case EVENEMENTS: doc.evenements = t.evenements; break;
      case BOURRAGE: doc.bourrageAffichage = t.bourrageAffichage; break;
    }
  }
  return true;
}

}  // namespace brv::ui
