#include "dialogs/card_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/help.h"

namespace brv::ui {

namespace {

QString Texte(const std::string& s) { return QString::fromStdString(s); }

QLabel* Valeur(const char* nom, QWidget* parent) {
  auto* l = new QLabel(QStringLiteral("0"), parent);
  l->setObjectName(QLatin1String(nom));
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

}  // namespace

CAttachToCardDlg::CAttachToCardDlg(ListeCartes cartes, IRapportDocument& rapport, QWidget* parent)
    : QDialog(parent), controleur_(std::move(cartes), rapport) {
  setWindowTitle(QStringLiteral("Brenvale Card Selection"));
  setModal(true);

  auto* icone = new QLabel(this);
  const int taille = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
  icone->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon, nullptr, this).pixmap(taille, taille));
  auto* titre = new QLabel(QStringLiteral("Choice of the Brenvale card to be driven"), this);
  auto* regle = new QFrame(this);
  regle->setFrameShape(QFrame::HLine);
  // A plain line in the mid tone: a sunken one all but vanishes in some styles.
  regle->setFrameShadow(QFrame::Plain);
  QPalette ton = regle->palette();
  ton.setColor(QPalette::WindowText, ton.color(QPalette::Mid));
  regle->setPalette(ton);
  auto* tete = new QHBoxLayout;
  tete->addWidget(icone);
  tete->addWidget(titre, 1);

  avertissement_ = new QLabel(QString::fromLatin1(kTexteAucuneCarteLibre), this);
  avertissement_->setObjectName(QStringLiteral("avertissement"));
  QFont gras = font();
  gras.setWeight(QFont::Bold);
  avertissement_->setFont(gras);
  QPalette rouge = avertissement_->palette();
  rouge.setColor(QPalette::WindowText, QColor(255, 0, 0));
  avertissement_->setPalette(rouge);
  avertissement_->setAlignment(Qt::AlignCenter);
  avertissement_->hide();

  cartes_ = new QComboBox(this);
  cartes_->setObjectName(QStringLiteral("cartes"));
  cartes_->setMinimumContentsLength(10);
  auto* disponibles = new QLabel(QStringLiteral("Available cards :"), this);
  disponibles->setBuddy(cartes_);
  auto* liste = new QHBoxLayout;
  liste->addWidget(disponibles);
  liste->addWidget(cartes_, 1);

  // The values and the in-use text share one place, so the window keeps its size when they swap.
  auto* groupe = new QGroupBox(QStringLiteral("Characteristics"), this);
  caracteristiques_ = new QStackedWidget(groupe);
  caracteristiques_->setObjectName(QStringLiteral("caracteristiques"));
  auto* valeurs = new QWidget(caracteristiques_);
  valeurs->setObjectName(QStringLiteral("valeurs"));
  auto* formulaire = new QFormLayout(valeurs);
  formulaire->setContentsMargins(0, 0, 0, 0);
  nom_ = Valeur("nom", valeurs);
  emplacement_ = Valeur("emplacement", valeurs);
  numeroSerie_ = Valeur("numeroSerie", valeurs);
  formulaire->addRow(QStringLiteral("Name :"), nom_);
  formulaire->addRow(QStringLiteral("Location :"), emplacement_);
  formulaire->addRow(QStringLiteral("Serial number :"), numeroSerie_);
  auto* occupee = new QLabel(QString::fromLatin1(kTexteCarteOccupee), caracteristiques_);
  occupee->setObjectName(QStringLiteral("occupee"));
  occupee->setAlignment(Qt::AlignCenter);
  caracteristiques_->addWidget(valeurs);
  caracteristiques_->addWidget(occupee);
  auto* dansGroupe = new QVBoxLayout(groupe);
  dansGroupe->addWidget(caracteristiques_);

  auto* boutons = new QDialogButtonBox(this);
  ok_ = boutons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok_->setObjectName(QStringLiteral("ok"));
  ok_->setEnabled(false);
  ok_->setDefault(true);
  QPushButton* annuler = boutons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  annuler->setObjectName(QStringLiteral("annuler"));
  QPushButton* aide = boutons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
  aide->setObjectName(QStringLiteral("aide"));
  // OK closes only when the controller accepts the card, so the box's accepted() is not used.
  connect(ok_, &QPushButton::clicked, this, &CAttachToCardDlg::OnOk);
  connect(boutons, &QDialogButtonBox::rejected, this, &CAttachToCardDlg::reject);
  connect(boutons, &QDialogButtonBox::helpRequested, this, &CAttachToCardDlg::AideDemandee);
  connect(cartes_, &QComboBox::currentIndexChanged, this, &CAttachToCardDlg::OnSelection);

  auto* principal = new QVBoxLayout(this);
  principal->addLayout(tete);
  principal->addWidget(regle);
  principal->addWidget(avertissement_);
  principal->addLayout(liste);
  principal->addWidget(groupe);
  principal->addStretch(1);
  principal->addWidget(boutons);
  principal->setSizeConstraint(QLayout::SetFixedSize);
}

ResultatSelection CAttachToCardDlg::Initialise() {
  if (initialise_) return controleur_.Resultat();
  initialise_ = true;
  const ResultatSelection r = controleur_.OnInitDialog();
  {
    const QSignalBlocker bloque(cartes_);
    for (const std::string& e : controleur_.Entrees()) cartes_->addItem(Texte(e));
    cartes_->setCurrentIndex(controleur_.Selection());
  }
  Actualise();
  return r;
}

ResultatSelection CAttachToCardDlg::Execute() {
  if (Initialise() != ResultatSelection::EnCours) return controleur_.Resultat();
  exec();
  // A loop ended by anything but OK or Cancel (the parent going away) is a cancel.
  if (controleur_.Resultat() == ResultatSelection::EnCours) controleur_.OnCancel();
  return controleur_.Resultat();
}

void CAttachToCardDlg::reject() {
  controleur_.OnCancel();
  QDialog::reject();
}

void CAttachToCardDlg::OnSelection(int position) {
  controleur_.OnSelectionChange(position);
  Actualise();
}

void CAttachToCardDlg::OnOk() {
  if (controleur_.OnBnClickedOk()) accept();
}

void CAttachToCardDlg::Actualise() {
  avertissement_->setVisible(controleur_.AvertissementVisible());
  ok_->setEnabled(controleur_.OkActif());
  caracteristiques_->setCurrentIndex(controleur_.InfoOccupeeVisible() ? 1 : 0);
  nom_->setText(Texte(controleur_.Nom()));
  emplacement_->setText(Texte(controleur_.Emplacement()));
  numeroSerie_->setText(Texte(controleur_.NumeroSerie()));
}

ResultatSelection SelectionneCarte(IRapportDocument& rapport, std::optional<uint16_t>& index, QWidget* parent) {
  index.reset();
  CAttachToCardDlg dlg(CartesPresentes(), rapport, parent);
  QObject::connect(&dlg, &CAttachToCardDlg::AideDemandee, &dlg, [&dlg] { OuvreManuel(&dlg); });
  const ResultatSelection r = dlg.Execute();
  if (r == ResultatSelection::Ok) index = dlg.IndexCarteChoisie();
  return r;
}

}  // namespace brv::ui
