#include "dialogs/definition_list.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <span>
#include <utility>

#include "brv_core/config/config_fields.h"
#include "brv_core/definitions/definition_table.h"
#include "brv_core/definitions/pickers.h"
#include "brv_core/file/config_file.h"
#include "dialogs/definition_dialog.h"
#include "dialogs/message_box.h"

namespace brv::ui {

namespace {

// The last definition copied, for a clipboard that lost it or never held it (no display server
// clipboard, another program's copy in between).
std::optional<DEFINITION_TRAME>& Tampon() {
  static std::optional<DEFINITION_TRAME> tampon;
  return tampon;
}

std::optional<DEFINITION_TRAME> DefinitionCopiee() {
  const QMimeData* donnees = QApplication::clipboard()->mimeData();
  const QString type = QLatin1String(kMimeDefinition);
  if (donnees != nullptr && donnees->hasFormat(type)) {
    const QByteArray octets = donnees->data(type);
    DEFINITION_TRAME d;
    if (LireDefinitionSeule(std::span(reinterpret_cast<const uint8_t*>(octets.constData()), static_cast<size_t>(octets.size())), d)) {
      return d;
    }
  }
  return Tampon();
}

}  // namespace

CListeDefinitions::CListeDefinitions(JeuDefinitions jeu, QWidget* parent)
    : QWidget(parent),
      jeu_(jeu),
      liste_(new QTreeWidget(this)),
      ajouter_(new QPushButton(tr("Add..."), this)),
      modifier_(new QPushButton(tr("Edit..."), this)),
      supprimer_(new QPushButton(tr("Delete"), this)),
      copier_(new QPushButton(tr("Copy"), this)),
      coller_(new QPushButton(tr("Paste"), this)) {
  liste_->setObjectName(QStringLiteral("definitions"));
  ajouter_->setObjectName(QStringLiteral("ajouter"));
  modifier_->setObjectName(QStringLiteral("modifier"));
  supprimer_->setObjectName(QStringLiteral("supprimer"));
  copier_->setObjectName(QStringLiteral("copier"));
  coller_->setObjectName(QStringLiteral("coller"));
  liste_->setRootIsDecorated(false);
  liste_->setUniformRowHeights(true);
  liste_->setAllColumnsShowFocus(true);
  liste_->setSelectionMode(QAbstractItemView::SingleSelection);
  if (jeu_ == JeuDefinitions::Declenchement) {
    liste_->setHeaderLabels({tr("Tag"), tr("Name")});
    liste_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  } else {
    // The box in front of the name is the definition's "in use".
    liste_->setHeaderLabels({tr("Name")});
  }

  auto* boutons = new QVBoxLayout;
  for (QPushButton* b : {ajouter_, modifier_, supprimer_, copier_, coller_}) {
    b->setAutoDefault(false);
    boutons->addWidget(b);
  }
  boutons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(liste_, 1);
  layout->addLayout(boutons);

  connect(ajouter_, &QPushButton::clicked, this, &CListeDefinitions::Ajoute);
  connect(modifier_, &QPushButton::clicked, this, &CListeDefinitions::Modifie);
  connect(supprimer_, &QPushButton::clicked, this, &CListeDefinitions::Supprime);
  connect(copier_, &QPushButton::clicked, this, &CListeDefinitions::Copie);
  connect(coller_, &QPushButton::clicked, this, &CListeDefinitions::Colle);
  connect(liste_, &QTreeWidget::itemDoubleClicked, this, &CListeDefinitions::Modifie);
  connect(liste_, &QTreeWidget::currentItemChanged, this, &CListeDefinitions::MetAJourBoutons);
  connect(liste_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int colonne) {
    const int i = liste_->indexOfTopLevelItem(item);
    if (jeu_ == JeuDefinitions::Declenchement || colonne != 0 || i < 0 || i >= table_.nb) return;
    const uint32_t utilisee = item->checkState(0) == Qt::Checked ? 1 : 0;
    if (table_.defs[static_cast<size_t>(i)].bUtilisee == utilisee) return;
    table_.defs[static_cast<size_t>(i)].bUtilisee = utilisee;
    emit Modifiee();
  });
  Remplit(-1);
}

void CListeDefinitions::Definit(const TableDefinitions& t) {
  if (!CopieDefinitions(t, table_)) MessageErreur(this, kMsgMemoireInsuffisante);
  Remplit(-1);
}

void CListeDefinitions::LectureSeule(bool lectureSeule) {
  lectureSeule_ = lectureSeule;
  Remplit(Selection());
}

int CListeDefinitions::Selection() const {
  QTreeWidgetItem* item = liste_->currentItem();
  const int i = item != nullptr && item->isSelected() ? liste_->indexOfTopLevelItem(item) : -1;
  return i < table_.nb ? i : -1;
}

void CListeDefinitions::Remplit(int selection) {
  const QSignalBlocker bloque(liste_);
  liste_->clear();
  for (size_t i = 0; i < table_.nb; ++i) {
    const DEFINITION_TRAME& d = table_.defs[i];
    const std::string nom = NomDefinition(d);
    auto* item = new QTreeWidgetItem;
    if (jeu_ == JeuDefinitions::Declenchement) {
      item->setText(0, QString::fromStdString(EtiquetteDeclenchement(i)));
      item->setText(1, QString::fromUtf8(nom.data(), static_cast<qsizetype>(nom.size())));
    } else {
      item->setText(0, QString::fromUtf8(nom.data(), static_cast<qsizetype>(nom.size())));
      item->setCheckState(0, d.bUtilisee ? Qt::Checked : Qt::Unchecked);
      if (lectureSeule_) item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
    }
    liste_->addTopLevelItem(item);
  }
  if (selection >= 0 && selection < liste_->topLevelItemCount()) {
    liste_->setCurrentItem(liste_->topLevelItem(selection));
  }
  MetAJourBoutons();
}

void CListeDefinitions::MetAJourBoutons() {
  const bool choisie = Selection() >= 0;
  ajouter_->setEnabled(!lectureSeule_);
  modifier_->setEnabled(choisie);
  supprimer_->setEnabled(choisie && !lectureSeule_);
  copier_->setEnabled(choisie);
  coller_->setEnabled(!lectureSeule_);
}

void CListeDefinitions::Ajoute() {
  if (lectureSeule_) return;
  if (table_.nb >= kNbDefinitionsMax) {
    QApplication::beep();
    return;
  }
  CDefTrameEvtDlg dlg(jeu_, table_, -1, NouvelleDefinition(), this);
  if (dlg.exec() != QDialog::Accepted || !AjouteDefinition(table_, dlg.Definition())) return;
  Remplit(table_.nb - 1);
  emit Modifiee();
}

void CListeDefinitions::Modifie() {
  const int i = Selection();
  if (i < 0) return;
  CDefTrameEvtDlg dlg(jeu_, table_, i, table_.defs[static_cast<size_t>(i)], this);
  dlg.LectureSeule(lectureSeule_);
  if (dlg.exec() != QDialog::Accepted || lectureSeule_) return;
  table_.defs[static_cast<size_t>(i)] = dlg.Definition();
  Remplit(i);
  emit Modifiee();
}

void CListeDefinitions::Supprime() {
  const int i = Selection();
  if (i < 0 || lectureSeule_) return;
  SupprimeDefinition(table_, static_cast<size_t>(i));
  Remplit(std::min(i, table_.nb - 1));
  emit Modifiee();
}

void CListeDefinitions::Copie() {
  const int i = Selection();
  if (i < 0) return;
  const DEFINITION_TRAME& d = table_.defs[static_cast<size_t>(i)];
  Tampon() = d;
  const std::vector<uint8_t> octets = EcrireDefinitionSeule(d);
  auto* donnees = new QMimeData;
  donnees->setData(QLatin1String(kMimeDefinition),
                   QByteArray(reinterpret_cast<const char*>(octets.data()), static_cast<qsizetype>(octets.size())));
  const std::string nom = NomDefinition(d);
  donnees->setText(QString::fromUtf8(nom.data(), static_cast<qsizetype>(nom.size())));
  QApplication::clipboard()->setMimeData(donnees);
  MetAJourBoutons();
}

void CListeDefinitions::Colle() {
  if (lectureSeule_) return;
  std::optional<DEFINITION_TRAME> d = DefinitionCopiee();
  if (!d || !ColleDefinition(table_, std::move(*d), jeu_)) {
    QApplication::beep();
    return;
  }
  Remplit(table_.nb - 1);
  emit Modifiee();
}

}  // namespace brv::ui
