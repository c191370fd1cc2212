#include "config/acq_sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "config/definition_pages.h"
#include "config/duration_fields.h"

namespace brv::ui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }

QRadioButton* Radio(const QString& texte, QButtonGroup* groupe, int id, QWidget* parent) {
  auto* r = new QRadioButton(texte, parent);
  groupe->addButton(r, id);
  return r;
}

QLineEdit* Nombres(QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,20}")), e));
  return e;
}

}  // namespace

// --- Acquisition file ---------------------------------------------------------------------------

CConfigAcqFichierPage::CConfigAcqFichierPage(brv::Configuration& travail, QWidget* parent) : CPageConfig(travail, parent) {
  auto* l = new QVBoxLayout(this);
  auto* fichier = new QGroupBox(tr("Full path of the acquisition file"), this);
  auto* lf = new QHBoxLayout(fichier);
  chemin_ = new QLineEdit(fichier);
  auto* parcourir = new QPushButton(tr("Browse..."), fichier);
  lf->addWidget(chemin_, 1);
  lf->addWidget(parcourir);
  l->addWidget(fichier);
  auto* debut = new QGroupBox(tr("At acquisition start"), this);
  auto* ld = new QVBoxLayout(debut);
  action_ = new QButtonGroup(this);
  ld->addWidget(Radio(tr("Ask before overwriting file"), action_, brv::ACTION_DEMANDER, debut));
  ld->addWidget(Radio(tr("Always overwrite file"), action_, brv::ACTION_ECRASER, debut));
  ld->addWidget(Radio(tr("Increment filename"), action_, brv::ACTION_INCREMENTER, debut));
  l->addWidget(debut);
  l->addStretch();
  connect(parcourir, &QPushButton::clicked, this, &CConfigAcqFichierPage::Parcourt);
}

void CConfigAcqFichierPage::Montre() {
  const brv::SaisiePageFichier s = brv::SaisiePageFichierDe(travail_);
  chemin_->setText(Q(s.chemin));
  if (QAbstractButton* b = action_->button(static_cast<int>(s.action))) b->setChecked(true);
}

std::optional<std::string> CConfigAcqFichierPage::Quitte() {
  brv::SaisiePageFichier s{S(chemin_), static_cast<uint32_t>(std::max(action_->checkedId(), 0))};
  auto refus = brv::VerifiePageFichier(s, travail_);
  if (!refus) chemin_->setText(Q(s.chemin));  // completed with its extension
  return refus;
}

void CConfigAcqFichierPage::Parcourt() {
  QFileDialog d(this, tr("Acquisition definition file"), chemin_->text(),
                tr("Acquisition Files (*.dat);;All Files (*)"));
  d.setAcceptMode(QFileDialog::AcceptSave);
  d.setDefaultSuffix(QStringLiteral("dat"));
  // The engine asks about an existing file itself when the capture starts.
  d.setOption(QFileDialog::DontConfirmOverwrite);
  if (d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty()) chemin_->setText(d.selectedFiles().front());
}

// --- Post-trig ------------------------------------------------------------------------------------

CConfigAcqZonePostPage::CConfigAcqZonePostPage(brv::Configuration& travail, QWidget* parent) : CPageConfig(travail, parent) {
  auto* l = new QVBoxLayout(this);
  circulaire_ = new QCheckBox(tr("Continuous acquisition on circular file"), this);
  l->addWidget(circulaire_);
  taille_ = new QCheckBox(tr("Total size of the zone in the file"), this);
  l->addWidget(taille_);
  auto* lt = new QHBoxLayout;
  valeurTaille_ = Nombres(this);
  unite_ = new QComboBox(this);
  unite_->addItems({tr("Kbytes"), tr("Mbytes"), tr("Gbytes")});
  lt->addSpacing(24);
  lt->addWidget(valeurTaille_);
  lt->addWidget(unite_);
  lt->addStretch();
  l->addLayout(lt);
  duree_ = new QCheckBox(tr("Acquisition duration after trigger"), this);
  l->addWidget(duree_);
  auto* ld = new QHBoxLayout;
  valeurDuree_ = new CChampsDuree(this);
  ld->addSpacing(24);
  ld->addWidget(valeurDuree_);
  l->addLayout(ld);
  l->addStretch();
  // Not circular, the zone ends either by its size or by a duration: the boxes act as radios.
  exclusif_ = new QButtonGroup(this);
  exclusif_->addButton(taille_);
  exclusif_->addButton(duree_);
  connect(circulaire_, &QCheckBox::toggled, this, &CConfigAcqZonePostPage::Dispose);
  connect(taille_, &QCheckBox::toggled, this, &CConfigAcqZonePostPage::Dispose);
  connect(duree_, &QCheckBox::toggled, this, &CConfigAcqZonePostPage::Dispose);
}

void CConfigAcqZonePostPage::Dispose() {
  const bool anneau = circulaire_->isChecked();
  exclusif_->setExclusive(!anneau);
  if (anneau) taille_->setChecked(true);
  taille_->setEnabled(!anneau);
  if (!anneau && !taille_->isChecked() && !duree_->isChecked()) taille_->setChecked(true);
  valeurTaille_->setEnabled(taille_->isChecked());
  unite_->setEnabled(taille_->isChecked());
  valeurDuree_->setEnabled(duree_->isChecked());
}

void CConfigAcqZonePostPage::Montre() {
  const brv::SaisiePagePostTrig s = brv::SaisiePagePostTrigDe(travail_);
  exclusif_->setExclusive(false);
  circulaire_->setChecked(s.circulaire);
  taille_->setChecked(s.taille);
  duree_->setChecked(s.duree);
  valeurTaille_->setText(Q(s.valeurTaille));
  unite_->setCurrentIndex(s.unite);
  valeurDuree_->Definit(s.valeurDuree);
  Dispose();
}

brv::SaisiePagePostTrig CConfigAcqZonePostPage::Saisie() const {
  brv::SaisiePagePostTrig s;
  s.circulaire = circulaire_->isChecked();
  s.taille = taille_->isChecked();
  s.duree = duree_->isChecked();
  s.valeurTaille = S(valeurTaille_);
  s.unite = static_cast<uint8_t>(std::max(unite_->currentIndex(), 0));
  s.valeurDuree = valeurDuree_->Saisie();
  return s;
}

std::optional<std::string> CConfigAcqZonePostPage::Quitte() { return brv::VerifiePagePostTrig(Saisie(), travail_); }

// --- Pre-trig -------------------------------------------------------------------------------------

CConfigAcqZonePrePage::CConfigAcqZonePrePage(brv::Configuration& travail, QWidget* parent) : CPageConfig(travail, parent) {
  auto* l = new QVBoxLayout(this);
  aucun_ = new QCheckBox(tr("No pre-trig"), this);
  l->addWidget(aucun_);
  methode_ = new QButtonGroup(this);
  auto* grille = new QFormLayout;
  pourcentage_ = ChampBorne(brv::ChampBorne::Pourcentage, this);
  trames_ = ChampBorne(brv::ChampBorne::NbTrames, this);
  duree_ = new CChampsDuree(this);
  grille->addRow(Radio(tr("% of the post-trig zone"), methode_, brv::PRETRIG_POURCENT, this), pourcentage_);
  grille->addRow(Radio(tr("Number of frames"), methode_, brv::PRETRIG_TRAMES, this), trames_);
  grille->addRow(Radio(tr("Duration"), methode_, brv::PRETRIG_DUREE, this), duree_);
  l->addLayout(grille);
  auto* le = new QHBoxLayout;
  equivalente_ = new QLineEdit(this);
  equivalente_->setReadOnly(true);
  le->addWidget(new QLabel(tr("Equivalent size (%1 bytes minimum)").arg(brv::kTaillePreTrigMin), this));
  le->addWidget(equivalente_);
  l->addLayout(le);
  l->addStretch();
  connect(aucun_, &QCheckBox::toggled, this, &CConfigAcqZonePrePage::Actualise);
  connect(methode_, &QButtonGroup::idToggled, this, &CConfigAcqZonePrePage::Actualise);
  connect(pourcentage_, &QLineEdit::textChanged, this, &CConfigAcqZonePrePage::Actualise);
  connect(trames_, &QLineEdit::textChanged, this, &CConfigAcqZonePrePage::Actualise);
  connect(duree_, &CChampsDuree::Modifie, this, &CConfigAcqZonePrePage::Actualise);
}

void CConfigAcqZonePrePage::Montre() {
  const brv::SaisiePagePreTrig s = brv::SaisiePagePreTrigDe(travail_);
  aucun_->setChecked(s.aucun);
  if (QAbstractButton* b = methode_->button(s.methode)) b->setChecked(true);
  pourcentage_->setText(Q(s.pourcentage));
  trames_->setText(Q(s.nbTrames));
  duree_->Definit(s.duree);
  Actualise();
}

brv::SaisiePagePreTrig CConfigAcqZonePrePage::Saisie() const {
  brv::SaisiePagePreTrig s;
  s.aucun = aucun_->isChecked();
  s.methode = static_cast<uint8_t>(std::max(methode_->checkedId(), int{brv::PRETRIG_POURCENT}));
  s.pourcentage = S(pourcentage_);
  s.nbTrames = S(trames_);
  s.duree = duree_->Saisie();
  return s;
}

void CConfigAcqZonePrePage::Actualise() {
  const brv::SaisiePagePreTrig s = Saisie();
  for (QAbstractButton* b : methode_->buttons()) b->setEnabled(!s.aucun);
  pourcentage_->setEnabled(!s.aucun && s.methode == brv::PRETRIG_POURCENT);
  trames_->setEnabled(!s.aucun && s.methode == brv::PRETRIG_TRAMES);
  duree_->setEnabled(!s.aucun && s.methode == brv::PRETRIG_DUREE);
  // Measured against the post-trigger zone as its page last stored it.
  const std::optional<uint64_t> taille = s.aucun ? std::nullopt : brv::TailleEquivalenteSaisie(travail_.postTrig, s);
  equivalente_->setText(taille ? QString::number(*taille) : QString());
}

QString CConfigAcqZonePrePage::TailleEquivalente() const { return equivalente_->text(); }

std::optional<std::string> CConfigAcqZonePrePage::Quitte() { return brv::VerifiePagePreTrig(Saisie(), travail_); }

// --- Deferred starting ----------------------------------------------------------------------------

CConfigAcqDifferePage::CConfigAcqDifferePage(brv::Configuration& travail, QWidget* parent) : CPageConfig(travail, parent) {
  auto* l = new QVBoxLayout(this);
  actif_ = new QCheckBox(tr("Apply to all acquisitions"), this);
  l->addWidget(actif_);
  auto* ld = new QHBoxLayout;
  ld->addWidget(new QLabel(tr("Delay before starting:"), this));
  delai_ = new CChampsDuree(this);
  ld->addWidget(delai_, 1);
  l->addLayout(ld);
  l->addStretch();
  connect(actif_, &QCheckBox::toggled, delai_, &QWidget::setEnabled);
}

void CConfigAcqDifferePage::Montre() {
  const brv::SaisiePageDiffere s = brv::SaisiePageDiffereDe(travail_);
  actif_->setChecked(s.actif);
  delai_->Definit(s.delai);
  delai_->setEnabled(s.actif);
}

std::optional<std::string> CConfigAcqDifferePage::Quitte() {
  return brv::VerifiePageDiffere({actif_->isChecked(), delai_->Saisie()}, travail_);
}

// --- Others ---------------------------------------------------------------------------------------

CConfigAcqAutresPage::CConfigAcqAutresPage(brv::Configuration& travail, QWidget* parent) : CPageConfig(travail, parent) {
  auto* l = new QVBoxLayout(this);
  auto* bourrage = new QGroupBox(tr("Padding"), this);
  auto* lb = new QFormLayout(bourrage);
  identifiant_ = new QLineEdit(bourrage);
  identifiant_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,4}")), identifiant_));
  identifiant_->setPlaceholderText(tr("none"));
  identifiant_->setMaximumWidth(80);
  supprimer_ = new QCheckBox(tr("Delete frames"), bourrage);
  lb->addRow(tr("Padding identifier (hexadecimal):"), identifiant_);
  lb->addRow(QString(), supprimer_);
  l->addWidget(bourrage);
  auto* voie = new QGroupBox(tr("Bi-medium device: Channel to listen"), this);
  auto* lv = new QVBoxLayout(voie);
  voie_ = new QButtonGroup(this);
  lv->addWidget(Radio(tr("Automatic"), voie_, brv::VOIE_AUTO, voie));
  lv->addWidget(Radio(tr("Channel 1"), voie_, brv::VOIE_1, voie));
  lv->addWidget(Radio(tr("Channel 2"), voie_, brv::VOIE_2, voie));
  l->addWidget(voie);
  l->addStretch();
  connect(identifiant_, &QLineEdit::textChanged, this, [this](const QString& t) { supprimer_->setEnabled(!t.isEmpty()); });
}

void CConfigAcqAutresPage::Montre() {
  const brv::SaisiePageAutres s = brv::SaisiePageAutresDe(travail_);
  identifiant_->setText(Q(s.identifiantBourrage));
  supprimer_->setChecked(s.supprimerTrames);
  supprimer_->setEnabled(!s.identifiantBourrage.empty());
  if (QAbstractButton* b = voie_->button(static_cast<int>(s.voie))) b->setChecked(true);
}

std::optional<std::string> CConfigAcqAutresPage::Quitte() {
  return brv::VerifiePageAutres(
      {S(identifiant_), supprimer_->isChecked(), static_cast<uint32_t>(std::max(voie_->checkedId(), 0))}, travail_);
}

// --- The sheet ------------------------------------------------------------------------------------

CConfigAcqSheet::CConfigAcqSheet(const brv::Configuration& doc, bool editable, int premiere, CRapportQt& rapport,
                                 QWidget* parent)
    : CFeuilleConfig(tr("Acquisition configuration"), doc, editable, rapport, parent) {
  const auto page = [this](CPageConfig* p, const QString& titre, brv::PageAcq id) {
    Ajoute(p, titre);
    ids_.push_back(id);
  };
  page(new CConfigAcqFichierPage(Travail(), this), tr("Acquisition file"), brv::PAGE_FICHIER);
  page(new CConfigAcqZonePostPage(Travail(), this), tr("Post-trig"), brv::PAGE_POST_TRIG);
  page(new CConfigAcqZonePrePage(Travail(), this), tr("Pre-trig"), brv::PAGE_PRE_TRIG);
  page(new CConfigAcqSynchroPage(Travail(), rapport, this), tr("Trigger"), brv::PAGE_DECLENCHEMENT);
  page(new CConfigAcqDifferePage(Travail(), this), tr("Deferred starting"), brv::PAGE_DIFFERE);
  page(new CConfigAcqAutresPage(Travail(), this), tr("Others"), brv::PAGE_AUTRES);
  OuvreSur(premiere);
}

void CConfigAcqSheet::Ecrit(brv::Configuration& doc) const {
  if (!Confirmee() || !Editable()) return;
  std::array<bool, brv::kNbPagesAcq> montrees{};
  const std::vector<bool> m = Montrees();
  for (size_t i = 0; i < ids_.size() && i < m.size(); ++i) montrees[ids_[i]] = m[i];
  brv::EcritFeuilleAcq(Travail(), montrees, doc);
}

}  // namespace brv::ui
