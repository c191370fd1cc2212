#include "dialogs/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <ftd2xx/usb_library.h>
#include <kestrin/version.h>
#include <vandrel/version.h>

namespace brv::ui {

VersionsAPropos VersionsChargees() {
  VersionsAPropos v;
  v.majeur = BRV_VERSION_MAJOR;
  v.mineur = BRV_VERSION_MINOR;
  v.correctif = BRV_VERSION_PATCH;
  v.revision = BRV_VERSION_TWEAK;
  v.vandrel = QString::fromLatin1(vandrel_version());
  v.kestrin = QString::fromLatin1(kestrin_version());
  v.usb = QString::fromLatin1(ftd2xx::usb_library_version());
  return v;
}

QStringList LignesAPropos(const VersionsAPropos& v) {
  return {
      QStringLiteral("Brenvale"),
      QString::asprintf("v.%d.%d.%d.%d", v.majeur, v.mineur, v.correctif, v.revision),
      QStringLiteral("Vandrel v.%1").arg(v.vandrel),
      QStringLiteral("Kestrin v.%1").arg(v.kestrin),
      QStringLiteral("USB library (libftdi1) %1").arg(v.usb),
      QStringLiteral("Copyright (C) Quorvane. All rights reserved."),
  };
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Brenvale"));
  const QStringList lignes = LignesAPropos(VersionsChargees());

  auto* icone = new QLabel(this);
  const int taille = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
  icone->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(taille, taille));
  icone->setAlignment(Qt::AlignTop);

  auto* textes = new QVBoxLayout;
  for (int i = 0; i < lignes.size(); ++i) {
    auto* l = new QLabel(lignes[i], this);
    l->setObjectName(QStringLiteral("ligne%1").arg(i));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (i == 0) {
      QFont f = l->font();
      f.setWeight(QFont::Bold);
      if (f.pointSizeF() > 0) f.setPointSizeF(f.pointSizeF() * 1.3);
      l->setFont(f);
    }
    // A gap between the program and its libraries, and before the copyright.
    if (i == 2 || i == lignes.size() - 1) textes->addSpacing(8);
    textes->addWidget(l);
  }
  auto* corps = new QHBoxLayout;
  corps->addWidget(icone);
  corps->addSpacing(12);
  corps->addLayout(textes, 1);

  auto* boutons = new QDialogButtonBox(this);
  QPushButton* ok = boutons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  connect(boutons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* principal = new QVBoxLayout(this);
  principal->addLayout(corps);
  principal->addWidget(boutons);
  principal->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace brv::ui
