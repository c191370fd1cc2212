#include "shell/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

namespace brv::ui {

QString PremierManuelExistant(const QStringList& candidats) {
  for (const QString& c : candidats) {
    if (QFileInfo(c).isFile()) return c;
  }
  return candidats.isEmpty() ? QString() : candidats.last();
}

QString CheminManuel() {
  const QString beside =
      QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/doc/brenvale/index.html"));
  // The manual installed with this very program first: a package under another prefix than the
  // build's must not open an older installation's manual.
  return PremierManuelExistant({QDir::cleanPath(beside), QStringLiteral(BRV_MANUAL_INSTALL_DIR "/index.html"),
                                QStringLiteral(BRV_MANUAL_BUILD_DIR "/index.html")});
}

void OuvreManuel(QWidget* parent) {
  const QString chemin = CheminManuel();
  if (QFileInfo(chemin).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(chemin))) return;
  QMessageBox::warning(parent, QStringLiteral("Brenvale"),
                       QStringLiteral("The manual could not be opened.\nIt is the file:\n%1")
                           .arg(QDir::toNativeSeparators(chemin)));
}

}  // namespace brv::ui
