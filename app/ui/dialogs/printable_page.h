#pragma once
// A page of the program's own making in a browser without scripts, with preview and print: the
// frame detail, the comparison of two captures.

#include <QDialog>

class QTextBrowser;

namespace brv::ui {

class CPageImprimable : public QDialog {
  Q_OBJECT
 public:
  CPageImprimable(const QString& titre, QWidget* parent = nullptr);
  QTextBrowser* Navigateur() const { return navigateur_; }

 private:
  void Apercu();
  void Imprime();

  QTextBrowser* navigateur_;
};

}  // namespace brv::ui
