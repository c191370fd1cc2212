#pragma once
// The information pane: the document's message lines, appended, the last one kept in view.

#include <QListWidget>

namespace brv::ui {

class CListViewMsg : public QListWidget {
  Q_OBJECT
 public:
  explicit CListViewMsg(QWidget* parent = nullptr);
  // A text of several lines gives one entry per line.
  void Ajoute(const QString& texte);
};

}  // namespace brv::ui
