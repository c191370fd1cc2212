#pragma once
// The core's reporter for the whole program: errors, warnings and questions as message boxes
// with their icon, information lines to the information pane. Called on the GUI thread only.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "brv_core/document/doc_reporter.h"

namespace brv::ui {

class CRapportQt : public QObject, public brv::IRapportDocument {
  Q_OBJECT
 public:
  explicit CRapportQt(QObject* parent = nullptr) : QObject(parent) {}
  // The window the boxes belong to (none before the main window exists).
  void DefinitFenetre(QWidget* fenetre) { fenetre_ = fenetre; }

  void BoiteMessage(std::string_view texte, brv::IconeMessage icone) override;
  bool QuestionOuiNon(std::string_view texte) override;
  void LigneInformation(std::string_view texte) override;

 signals:
  void Ligne(const QString& texte);

 private:
  QPointer<QWidget> fenetre_;
};

}  // namespace brv::ui
