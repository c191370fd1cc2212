#include "shell/qt_reporter.h"

#include <QApplication>
#include <QMessageBox>

namespace brv::ui {

namespace {

QString Texte(std::string_view t) { return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())); }

QMessageBox::Icon IconeQt(brv::IconeMessage icone) {
  switch (icone) {
    case brv::IconeMessage::Erreur: return QMessageBox::Critical;
    case brv::IconeMessage::Avertissement: return QMessageBox::Warning;
    case brv::IconeMessage::Question: return QMessageBox::Question;
    case brv::IconeMessage::Information: break;
  }
  return QMessageBox::Information;
}

}  // namespace

void CRapportQt::BoiteMessage(std::string_view texte, brv::IconeMessage icone) {
  QMessageBox box(IconeQt(icone), QApplication::applicationDisplayName(), Texte(texte), QMessageBox::Ok,
                  fenetre_.data());
  box.exec();
}

bool CRapportQt::QuestionOuiNon(std::string_view texte) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), Texte(texte),
                  QMessageBox::Yes | QMessageBox::No, fenetre_.data());
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void CRapportQt::LigneInformation(std::string_view texte) { emit Ligne(Texte(texte)); }

}  // namespace brv::ui
