#include "shell/message_pane.h"

namespace brv::ui {

namespace {
// The pane keeps the latest lines; a long session must not grow it without end.
constexpr int kLignesMax = 10000;
}  // namespace

CListViewMsg::CListViewMsg(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setUniformItemSizes(true);
}

void CListViewMsg::Ajoute(const QString& texte) {
  for (const QString& ligne : texte.split(QLatin1Char('\n'))) addItem(ligne);
  while (count() > kLignesMax) delete takeItem(0);
  scrollToBottom();
}

}  // namespace brv::ui
