#include "config/property_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/qt_reporter.h"

namespace brv::ui {

CFeuilleConfig::CFeuilleConfig(const QString& titre, const brv::Configuration& doc, bool editable, CRapportQt& rapport,
                               QWidget* parent)
    : QDialog(parent), travail_(doc), editable_(editable), rapport_(rapport) {
  setWindowTitle(titre);
  onglets_ = new QTabWidget(this);
  // Every tab in sight: the sheet widens to its tab bar.
  onglets_->setUsesScrollButtons(false);
  boutons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  auto* l = new QVBoxLayout(this);
  l->addWidget(onglets_);
  l->addWidget(boutons_);
  BoutonOk()->setEnabled(editable_);
  BoutonAppliquer()->setEnabled(editable_);
  connect(boutons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(BoutonOk(), &QPushButton::clicked, this, [this] { Valide(true); });
  connect(BoutonAppliquer(), &QPushButton::clicked, this, [this] {
    appliquee_ = true;
    Valide(applyFerme_);
  });
  connect(onglets_, &QTabWidget::currentChanged, this, &CFeuilleConfig::Change);
}

void CFeuilleConfig::Ajoute(CPageConfig* page, const QString& titre) {
  pages_.push_back(page);
  montrees_.push_back(false);
  if (!editable_) page->LectureSeule();
  const QSignalBlocker bloque(onglets_);
  onglets_->addTab(page, titre);
}

void CFeuilleConfig::OuvreSur(int index) {
  if (pages_.empty()) return;
  index = std::clamp(index, 0, static_cast<int>(pages_.size()) - 1);
  {
    const QSignalBlocker bloque(onglets_);
    onglets_->setCurrentIndex(index);
  }
  courante_ = -1;
  Change(index);
}

void CFeuilleConfig::TexteOk(const QString& texte) { BoutonOk()->setText(texte); }

void CFeuilleConfig::AvecAide(const std::function<void()>& aide) {
  QPushButton* b = boutons_->addButton(QDialogButtonBox::Help);
  b->setText(tr("Help"));
  connect(b, &QPushButton::clicked, this, aide);
}

int CFeuilleConfig::PageActive() const { return onglets_->currentIndex(); }
void CFeuilleConfig::MontrePage(int index) { onglets_->setCurrentIndex(index); }
QPushButton* CFeuilleConfig::BoutonOk() const { return boutons_->button(QDialogButtonBox::Ok); }
QPushButton* CFeuilleConfig::BoutonAppliquer() const { return boutons_->button(QDialogButtonBox::Apply); }
CPageConfig* CFeuilleConfig::Page(int index) const { return pages_.at(static_cast<size_t>(index)); }

void CFeuilleConfig::Change(int index) {
  if (retour_) return;
  // The page left checks itself; a refusal brings the user back to it.
  if (courante_ >= 0 && courante_ != index && !VerifieCourante()) {
    retour_ = true;
    onglets_->setCurrentIndex(courante_);
    retour_ = false;
    return;
  }
  courante_ = index;
  if (index >= 0 && !montrees_[static_cast<size_t>(index)]) {
    montrees_[static_cast<size_t>(index)] = true;
    pages_[static_cast<size_t>(index)]->Montre();
  }
}

bool CFeuilleConfig::VerifieCourante() {
  if (!editable_ || courante_ < 0) return true;
  const std::optional<std::string> refus = pages_[static_cast<size_t>(courante_)]->Quitte();
  if (!refus) return true;
  rapport_.BoiteMessage(*refus, brv::IconeMessage::Erreur);
  return false;
}

void CFeuilleConfig::Valide(bool fermer) {
  if (!editable_) return;
  if (!VerifieCourante()) {
    confirmee_ = false;
    return;
  }
  confirmee_ = true;
  if (fermer) accept();
}

}  // namespace brv::ui
