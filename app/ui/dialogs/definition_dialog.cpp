#include "dialogs/definition_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "brv_core/config/config_fields.h"
#include "brv_core/decode/frame_types.h"
#include "brv_core/definitions/pickers.h"
#include "dialogs/message_box.h"
#include "dialogs/pickers/com_picker.h"
#include "dialogs/pickers/identification_picker.h"
#include "dialogs/pickers/telegram_picker.h"
#include "dialogs/pickers/unite_picker.h"

namespace brv::ui {

namespace {

QString Qt8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Radio buttons numbered from 0 in order, laid out in a row when a layout is given.
QButtonGroup* Radios(QWidget* parent, QBoxLayout* layout, std::initializer_list<QString> textes, const char* nom) {
  auto* groupe = new QButtonGroup(parent);
  groupe->setObjectName(QLatin1String(nom));
  int id = 0;
  for (const QString& t : textes) {
    auto* r = new QRadioButton(t, parent);
    groupe->addButton(r, id++);
    if (layout != nullptr) layout->addWidget(r);
  }
  return groupe;
}

// Checks button id, or none for -1 (an exclusive group only lets go of its button when told so).
void Choisit(QButtonGroup* groupe, int id) {
  if (QAbstractButton* b = groupe->button(id)) {
    b->setChecked(true);
    return;
  }
  groupe->setExclusive(false);
  for (QAbstractButton* b : groupe->buttons()) b->setChecked(false);
  groupe->setExclusive(true);
}

void Active(QButtonGroup* groupe, bool actif) {
  for (QAbstractButton* b : groupe->buttons()) b->setEnabled(actif);
}

}  // namespace

CDefTrameEvtDlg::CDefTrameEvtDlg(JeuDefinitions jeu, const TableDefinitions& liste, int index,
                                 const DEFINITION_TRAME& definition, QWidget* parent)
    : QDialog(parent), jeu_(jeu), liste_(liste), index_(index), def_(definition) {
  setWindowTitle(tr("Event frame "));

  auto* gauche = new QVBoxLayout;
  gauche->addWidget(ConstruitEntete());
  champs_ = new QTreeWidget(this);
  champs_->setObjectName(QStringLiteral("champs"));
  champs_->setRootIsDecorated(false);
  champs_->setUniformRowHeights(true);
  champs_->setAllColumnsShowFocus(true);
  QStringList entetes;
  for (const char* e : kColonnesChampsBits) entetes << tr(e);
  champs_->setHeaderLabels(entetes);
  champs_->header()->setStretchLastSection(false);
  champs_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  champs_->header()->setSectionResizeMode(3, QHeaderView::Stretch);
  gauche->addWidget(champs_, 1);
  gauche->addWidget(ConstruitOrdreTrame());

  auto* droite = new QVBoxLayout;
  droite->addWidget(ConstruitEditeur());
  droite->addWidget(ConstruitFipio());
  droite->addStretch();
  auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = boutons->button(QDialogButtonBox::Ok);
  connect(boutons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(boutons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  droite->addWidget(boutons);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(gauche, 3);
  layout->addLayout(droite, 2);

  nom_->setText(Qt8(NomDefinition(def_)));
  Montre();
  MontreChamps(-1);

  connect(champs_, &QTreeWidget::currentItemChanged, this, [this] {
    const int i = champs_->currentItem() ? champs_->indexOfTopLevelItem(champs_->currentItem()) : -1;
    if (i >= 0 && static_cast<size_t>(i) < def_.champs.size()) MontreSaisie(SaisieChampDe(def_.champs[static_cast<size_t>(i)]));
    modifier_->setEnabled(i >= 0);
    supprimer_->setEnabled(i >= 0);
  });
}

QWidget* CDefTrameEvtDlg::ConstruitEntete() {
  auto* w = new QWidget(this);
  nom_ = new QLineEdit(w);
  nom_->setObjectName(QStringLiteral("nom"));
  nom_->setMaxLength(static_cast<int>(kLgNomDefinition - 1));
  type_ = new QComboBox(w);
  type_->setObjectName(QStringLiteral("type"));
  for (const TypeTrame& t : kTypesTrame) type_->addItem(QString::fromLatin1(t.nom.data(), static_cast<qsizetype>(t.nom.size())));
  type_->addItem(tr(kTexteDefiniParUtilisateur));
  identifiant_ = new QLineEdit(w);
  identifiant_->setObjectName(QStringLiteral("identifiant"));
  identifiant_->setMaxLength(4);
  identifiant_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,4}")), identifiant_));
  identifiant_->setMaximumWidth(identifiant_->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWW")));
  dissocier_ = new QCheckBox(tr("Do not dissociate RP frames"), w);
  dissocier_->setObjectName(QStringLiteral("dissocier"));
  // Only the filtering list keeps the option.
  dissocier_->setVisible(jeu_ == JeuDefinitions::Filtre);

  auto* ligne = new QHBoxLayout;
  ligne->addWidget(type_, 1);
  ligne->addWidget(new QLabel(tr("Identifier (hex)"), w));
  ligne->addWidget(identifiant_);
  auto* layout = new QFormLayout(w);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addRow(tr("Name"), nom_);
  layout->addRow(tr("Type"), ligne);
  layout->addRow(QString(), dissocier_);

  connect(type_, &QComboBox::activated, this, [this](int i) {
    def_.ucTypeTrame = TypeDuChoix(i);
    verrouDissocier_ = false;
    MontreDissocier();
  });
  connect(identifiant_, &QLineEdit::textEdited, this, [this](const QString& t) {
    uint16_t id = 0;
    if (AnalyseIdentifiant(t.toStdString(), id)) def_.usIdentifiant = id;
  });
  connect(dissocier_, &QCheckBox::toggled, this, [this](bool b) { def_.bNePasDissocierRP = b ? 1 : 0; });
  return w;
}

QWidget* CDefTrameEvtDlg::ConstruitOrdreTrame() {
  auto* boite = new QGroupBox(tr("BYTES transmission order on FIP, for the entire frame"), this);
  auto* radios = new QHBoxLayout;
  ordreTrame_ = Radios(boite, radios, {tr(kOrdresOctets[0].texte), tr(kOrdresOctets[1].texte), tr(kOrdresOctets[2].texte)},
                       "ordreTrame");
  radios->addStretch();
  explication_ = new QLabel(boite);
  auto* layout = new QVBoxLayout(boite);
  layout->addLayout(radios);
  layout->addWidget(explication_);
  connect(ordreTrame_, &QButtonGroup::idClicked, this, [this](int id) {
    def_.ulOrdreOctets = static_cast<uint32_t>(id);
    AppliqueOrdreOctets(def_, def_.ulOrdreOctets);
    MontreOrdreTrame();
    MontreChamps(champs_->currentItem() ? champs_->indexOfTopLevelItem(champs_->currentItem()) : -1);
  });
  return boite;
}

QWidget* CDefTrameEvtDlg::ConstruitEditeur() {
  auto* boite = new QGroupBox(tr("Bit field"), this);
  position_ = new QLineEdit(boite);
  position_->setObjectName(QStringLiteral("position"));
  longueur_ = new QLineEdit(boite);
  longueur_->setObjectName(QStringLiteral("longueur"));
  // Digits only; an empty field is the core's to refuse.
  auto* chiffres = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), boite);
  position_->setValidator(chiffres);
  longueur_->setValidator(chiffres);
  operation_ = new QComboBox(boite);
  operation_->setObjectName(QStringLiteral("operation"));
  for (const OperationTexte& o : kOperations) operation_->addItem(QString::fromLatin1(o.liste));
  operation_->setCurrentIndex(-1);
  valeur_ = new QLineEdit(boite);
  valeur_->setObjectName(QStringLiteral("valeur"));

  auto* position = new QHBoxLayout;
  position->addWidget(position_);
  position->addWidget(new QLabel(tr("(frame starting  = bit 0)"), boite));
  auto* champs = new QFormLayout;
  champs->addRow(tr("Position (in bits)"), position);
  champs->addRow(tr("Length (in bits)"), longueur_);
  champs->addRow(tr("Comparing operation"), operation_);
  champs->addRow(tr("Comparing value"), valeur_);

  auto* format = new QGroupBox(tr("Interpretation format for the comparing value"), boite);
  auto* formats = new QGridLayout(format);
  interpretation_ = Radios(format, nullptr,
                           {tr("Binary"), tr("Hexadecimal"), tr("Decimal"), tr("Float"), tr("Scientist float (power of 10)")},
                           "interpretation");
  // Two columns keep the box short.
  for (int i = 0; i < 5; ++i) formats->addWidget(interpretation_->button(i), i % 3, i / 3);

  auto* signeLigne = new QHBoxLayout;
  signe_ = new QButtonGroup(boite);
  signe_->setObjectName(QStringLiteral("signe"));
  auto* signe = new QRadioButton(tr("Signed"), boite);
  auto* nonSigne = new QRadioButton(tr("Unsigned"), boite);
  signe_->addButton(nonSigne, 0);
  signe_->addButton(signe, 1);
  signeLigne->addWidget(signe);
  signeLigne->addWidget(nonSigne);
  signeLigne->addStretch();

  auto* ordre = new QGroupBox(tr("BYTES transmission order on FIP, for the bit field"), boite);
  auto* ordreLigne = new QHBoxLayout(ordre);
  ordreChamp_ = Radios(ordre, ordreLigne, {tr("MSB"), tr("LSB")}, "ordreChamp");
  ordreLigne->addStretch();

  ajouter_ = new QPushButton(tr("Add"), boite);
  modifier_ = new QPushButton(tr("Modify"), boite);
  supprimer_ = new QPushButton(tr("Delete"), boite);
  ajouter_->setObjectName(QStringLiteral("ajouterChamp"));
  modifier_->setObjectName(QStringLiteral("modifierChamp"));
  supprimer_->setObjectName(QStringLiteral("supprimerChamp"));
  ajouter_->setAutoDefault(false);
  modifier_->setAutoDefault(false);
  supprimer_->setAutoDefault(false);
  auto* actions = new QHBoxLayout;
  actions->addWidget(ajouter_);
  actions->addWidget(modifier_);
  actions->addWidget(supprimer_);

  auto* layout = new QVBoxLayout(boite);
  layout->addLayout(champs);
  layout->addWidget(format);
  layout->addLayout(signeLigne);
  layout->addWidget(ordre);
  layout->addLayout(actions);

  connect(ajouter_, &QPushButton::clicked, this, &CDefTrameEvtDlg::AjouteChamp);
  connect(modifier_, &QPushButton::clicked, this, &CDefTrameEvtDlg::ModifieChamp);
  connect(supprimer_, &QPushButton::clicked, this, &CDefTrameEvtDlg::SupprimeChamp);
  return boite;
}

QWidget* CDefTrameEvtDlg::ConstruitFipio() {
  auto* boite = new QGroupBox(tr("FIPIO-FIPWAY"), this);
  auto* layout = new QGridLayout(boite);
  const struct {
    const char* texte;
    const char* nom;
    void (CDefTrameEvtDlg::*ouvre)();
  } boutons[] = {{"UNI-TE", "unite", &CDefTrameEvtDlg::OuvreUniTe},
                 {"Identification", "identification", &CDefTrameEvtDlg::OuvreIdentification},
                 {"COM Words", "motsCom", &CDefTrameEvtDlg::OuvreMotsCom},
                 {"Telegrams", "telegrammes", &CDefTrameEvtDlg::OuvreTelegrammes}};
  int i = 0;
  for (const auto& b : boutons) {
    auto* bouton = new QPushButton(tr(b.texte), boite);
    bouton->setObjectName(QLatin1String(b.nom));
    bouton->setAutoDefault(false);
    layout->addWidget(bouton, i / 2, i % 2);
    ++i;
    connect(bouton, &QPushButton::clicked, this, b.ouvre);
  }
  return boite;
}

void CDefTrameEvtDlg::LectureSeule(bool lectureSeule) { ok_->setEnabled(!lectureSeule); }

void CDefTrameEvtDlg::OuvreUniTe() {
  CuniTEConfDial dlg(def_, this);
  Selecteur(dlg, false);
}

void CDefTrameEvtDlg::OuvreIdentification() {
  CIdfStationsDlg dlg(def_, this);
  Selecteur(dlg, true);
}

void CDefTrameEvtDlg::OuvreMotsCom() {
  CCOMDialDlg dlg(def_, this);
  Selecteur(dlg, true);
}

void CDefTrameEvtDlg::OuvreTelegrammes() {
  CTelegram dlg(def_, this);
  Selecteur(dlg, false);
}

void CDefTrameEvtDlg::Selecteur(CSelecteurDlg& dlg, bool verrouille) {
  if (dlg.exec() != QDialog::Accepted) return;
  switch (dlg.Resultat()) {
    case ResultatSelecteur::Inchange: return;
    case ResultatSelecteur::IdentifiantSeul: break;
    case ResultatSelecteur::Memoire:
      MessageErreur(this, kMsgMemoireInsuffisante);
      verrouDissocier_ = verrouille;
      break;
    case ResultatSelecteur::Rempli: verrouDissocier_ = verrouille; break;
  }
  Montre();
  MontreChamps(-1);
}

void CDefTrameEvtDlg::Montre() {
  type_->setCurrentIndex(RangChoixType(def_.ucTypeTrame));
  identifiant_->setText(Qt8(TexteIdentifiant(def_.usIdentifiant)));
  MontreDissocier();
  MontreOrdreTrame();
}

void CDefTrameEvtDlg::MontreDissocier() {
  const bool applicable = NePasDissocierApplicable(jeu_, def_.ucTypeTrame);
  const QSignalBlocker bloque(dissocier_);
  dissocier_->setChecked(applicable && def_.bNePasDissocierRP);
  dissocier_->setEnabled(applicable && !verrouDissocier_);
}

void CDefTrameEvtDlg::MontreOrdreTrame() {
  const int ordre = def_.ulOrdreOctets < kOrdresOctets.size() ? static_cast<int>(def_.ulOrdreOctets) : -1;
  Choisit(ordreTrame_, ordre);
  explication_->setText(ordre >= 0 ? tr(kOrdresOctets[static_cast<size_t>(ordre)].explication) : QString());
  // A frame-wide order is every field's order.
  const bool libre = def_.ulOrdreOctets == ORDRE_LIBRE;
  if (!libre) Choisit(ordreChamp_, def_.ulOrdreOctets == ORDRE_LSB ? 1 : 0);
  Active(ordreChamp_, libre);
}

void CDefTrameEvtDlg::MontreChamps(int selection) {
  const QSignalBlocker bloque(champs_);
  champs_->clear();
  for (const CHAMP_BITS& c : def_.champs) {
    QStringList textes;
    for (const std::string& t : TextesChampBits(c)) textes << Qt8(t);
    auto* item = new QTreeWidgetItem(textes);
    for (int col : {0, 1}) item->setTextAlignment(col, Qt::AlignRight | Qt::AlignVCenter);
    champs_->addTopLevelItem(item);
  }
  const bool choisi = selection >= 0 && selection < champs_->topLevelItemCount();
  if (choisi) champs_->setCurrentItem(champs_->topLevelItem(selection));
  modifier_->setEnabled(choisi);
  supprimer_->setEnabled(choisi);
}

void CDefTrameEvtDlg::MontreSaisie(const SaisieChampBits& s) {
  position_->setText(Qt8(s.position));
  longueur_->setText(Qt8(s.longueur));
  operation_->setCurrentIndex(s.operation);
  valeur_->setText(Qt8(s.valeur));
  Choisit(interpretation_, s.interpretation);
  Choisit(signe_, s.signe);
  if (def_.ulOrdreOctets == ORDRE_LIBRE) Choisit(ordreChamp_, s.ordre);
}

SaisieChampBits CDefTrameEvtDlg::Saisie() const {
  SaisieChampBits s;
  s.position = position_->text().toStdString();
  s.longueur = longueur_->text().toStdString();
  s.operation = operation_->currentIndex();
  s.valeur = valeur_->text().toStdString();
  s.signe = signe_->checkedId();
  s.interpretation = interpretation_->checkedId();
  s.ordre = ordreChamp_->checkedId();
  return s;
}

bool CDefTrameEvtDlg::ChampValide(CHAMP_BITS& champ) {
  std::string canonique;
  const Verdict v = ValideChampBits(
      Saisie(), def_.ucTypeTrame, [this](std::string_view q) { return QuestionAvertissement(this, q); }, champ,
      canonique);
  if (v.type == Verdict::Refuse) MessageErreur(this, v.message);
  if (!v.ok()) return false;
  valeur_->setText(Qt8(canonique));
  return true;
}

void CDefTrameEvtDlg::AjouteChamp() {
  CHAMP_BITS champ;
  // The file counts a definition's conditions in one byte.
  if (def_.champs.size() >= kNbChampsMax || !ChampValide(champ)) return;
  def_.champs.push_back(champ);
  MontreChamps(static_cast<int>(def_.champs.size()) - 1);
}

void CDefTrameEvtDlg::ModifieChamp() {
  const int i = champs_->currentItem() ? champs_->indexOfTopLevelItem(champs_->currentItem()) : -1;
  CHAMP_BITS champ;
  if (i < 0 || !ChampValide(champ)) return;
  def_.champs[static_cast<size_t>(i)] = champ;
  MontreChamps(i);
}

void CDefTrameEvtDlg::SupprimeChamp() {
  const int i = champs_->currentItem() ? champs_->indexOfTopLevelItem(champs_->currentItem()) : -1;
  if (i < 0) return;
  def_.champs.erase(def_.champs.begin() + i);
  MontreChamps(std::min(i, static_cast<int>(def_.champs.size()) - 1));
}

void CDefTrameEvtDlg::accept() {
  if (!ok_->isEnabled()) return;
  uint16_t id = 0;
  if (AnalyseIdentifiant(identifiant_->text().toStdString(), id)) def_.usIdentifiant = id;
  const Verdict v = TermineDefinition(nom_->text().toStdString(), liste_, index_, jeu_, def_);
  if (!v.ok()) {
    MessageErreur(this, v.message);
    nom_->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace brv::ui
