#include "dialogs/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace brv::ui {

namespace {
QString Texte(std::string_view t) { return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())); }
}  // namespace

void MessageErreur(QWidget* parent, std::string_view texte) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), Texte(texte), QMessageBox::Ok, parent);
  box.exec();
}

bool QuestionAvertissement(QWidget* parent, std::string_view texte) {
  QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), Texte(texte),
                  QMessageBox::Yes | QMessageBox::No, parent);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace brv::ui
