#include "dialogs/pickers/picker_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>

namespace brv::ui {

CSelecteurDlg::CSelecteurDlg(DEFINITION_TRAME& definition, const QString& titre, QWidget* parent)
    : QDialog(parent), definition_(definition) {
  setWindowTitle(titre);
  // Wide enough for the title bar to show the whole title.
  setMinimumWidth(fontMetrics().horizontalAdvance(titre) + 4 * fontMetrics().height());
}

void CSelecteurDlg::accept() {
  resultat_ = Applique(definition_);
  QDialog::accept();
}

QComboBox* CSelecteurDlg::ListeStations(int dernier, const char* nom, QWidget* parent) {
  auto* liste = new QComboBox(parent);
  liste->setObjectName(QLatin1String(nom));
  liste->addItem(QString());
  for (int i = 0; i <= dernier; ++i) liste->addItem(QString::number(i));
  return liste;
}

int CSelecteurDlg::Station(const QComboBox* liste) { return liste->currentIndex() - 1; }

void CSelecteurDlg::Exclusives(QCheckBox* a, QCheckBox* b) {
  QObject::connect(a, &QCheckBox::toggled, b, [b](bool coche) {
    if (coche) b->setChecked(false);
  });
  QObject::connect(b, &QCheckBox::toggled, a, [a](bool coche) {
    if (coche) a->setChecked(false);
  });
}

QDialogButtonBox* CSelecteurDlg::Boutons() {
  auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(boutons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(boutons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  return boutons;
}

}  // namespace brv::ui
