#pragma once
// The about box: the program's version and those of the libraries it runs on.

#include <QDialog>
#include <QString>
#include <QStringList>

namespace brv::ui {

struct VersionsAPropos {
  int majeur = 0, mineur = 0, correctif = 0, revision = 0;
  QString vandrel, kestrin, usb;
};

// The versions of this build and of the libraries loaded now.
VersionsAPropos VersionsChargees();

// The lines of the box, top to bottom.
QStringList LignesAPropos(const VersionsAPropos& v);

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace brv::ui
