#include "config/definition_pages.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "brv_core/definitions/definition_rules.h"
#include "dialogs/definition_list.h"
#include "shell/qt_reporter.h"

namespace brv::ui {

// --- Trigger --------------------------------------------------------------------------------------

CConfigAcqSynchroPage::CConfigAcqSynchroPage(brv::Configuration& travail, CRapportQt& rapport, QWidget* parent)
    : CPageConfig(travail, parent), rapport_(rapport) {
  auto* l = new QVBoxLayout(this);
  liste_ = new CListeDefinitions(brv::JeuDefinitions::Declenchement, this);
  l->addWidget(liste_, 1);
  auto* lm = new QHBoxLayout;
  lm->addWidget(new QLabel(tr("Trigger method:"), this));
  methode_ = new QComboBox(this);
  for (const auto& m : brv::kMethodesDeclenchement) methode_->addItem(QString::fromLatin1(m.texte));
  lm->addWidget(methode_);
  lm->addStretch();
  l->addLayout(lm);
}

void CConfigAcqSynchroPage::Montre() {
  liste_->Definit(travail_.declenchement);
  methode_->setCurrentIndex(travail_.ucMethodeDeclenchement < brv::kMethodesDeclenchement.size()
                                ? travail_.ucMethodeDeclenchement
                                : -1);
}

std::optional<std::string> CConfigAcqSynchroPage::Quitte() {
  const brv::TableDefinitions& t = liste_->Table();
  // Trigger frames defined: the method must suit them (the user may go on with fewer).
  if (t.nb > 0) {
    const brv::Verdict v = brv::VerifieMethodeDeclenchement(
        methode_->currentIndex(), t.nb, [this](std::string_view q) { return rapport_.QuestionOuiNon(q); });
    if (v.type == brv::Verdict::Refuse) return v.message;
    if (v.type == brv::Verdict::Abandonne) return std::string();
  }
  travail_.declenchement = t;
  if (methode_->currentIndex() >= 0) travail_.ucMethodeDeclenchement = static_cast<uint8_t>(methode_->currentIndex());
  return std::nullopt;
}

void CConfigAcqSynchroPage::LectureSeule() {
  liste_->LectureSeule(true);
  methode_->setEnabled(false);
}

// --- Filtering ------------------------------------------------------------------------------------

CConfigAffFiltragePage::CConfigAffFiltragePage(brv::Configuration& travail, QWidget* parent) : CPageConfig(travail, parent) {
  auto* l = new QVBoxLayout(this);
  liste_ = new CListeDefinitions(brv::JeuDefinitions::Filtre, this);
  l->addWidget(liste_, 1);
  auto* type = new QGroupBox(tr("Filtering type"), this);
  auto* lt = new QHBoxLayout(type);
  mode_ = new QButtonGroup(this);
  auto* rejet = new QRadioButton(tr("Discarding"), type);
  auto* selection = new QRadioButton(tr("Selecting"), type);
  mode_->addButton(rejet, 1);
  mode_->addButton(selection, 0);
  lt->addWidget(rejet);
  lt->addWidget(selection);
  lt->addStretch();
  l->addWidget(type);
}

void CConfigAffFiltragePage::Montre() {
  liste_->Definit(travail_.filtre);
  if (QAbstractButton* b = mode_->button(travail_.ulModeFiltre == 0 ? 0 : 1)) b->setChecked(true);
}

std::optional<std::string> CConfigAffFiltragePage::Quitte() {
  travail_.filtre = liste_->Table();
  travail_.ulModeFiltre = mode_->checkedId() == 0 ? 0 : 1;
  return std::nullopt;
}

void CConfigAffFiltragePage::LectureSeule() {
  liste_->LectureSeule(true);
  for (QAbstractButton* b : mode_->buttons()) b->setEnabled(false);
}

// --- Events ---------------------------------------------------------------------------------------

CConfigAffEvtPage::CConfigAffEvtPage(brv::Configuration& travail, QWidget* parent) : CPageConfig(travail, parent) {
  auto* l = new QVBoxLayout(this);
  liste_ = new CListeDefinitions(brv::JeuDefinitions::Evenement, this);
  l->addWidget(liste_, 1);
}

void CConfigAffEvtPage::Montre() { liste_->Definit(travail_.evenements); }

std::optional<std::string> CConfigAffEvtPage::Quitte() {
  travail_.evenements = liste_->Table();
  return std::nullopt;
}

void CConfigAffEvtPage::LectureSeule() { liste_->LectureSeule(true); }

}  // namespace brv::ui
