#pragma once
// The "Goto" dialog: which rows to find (first post-trigger row, events, errors) and which way.
// It edits the document's options in place; "Find" asks the frames list to search.

#include <QDialog>

#include "brv_core/listing/goto_options.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace brv::ui {

class CGotoDlg : public QDialog {
  Q_OBJECT
 public:
  // options outlives the dialog (the document's).
  explicit CGotoDlg(brv::OptionsGoto& options, QWidget* parent = nullptr);

  // The options changed elsewhere (another capture opened): show them again.
  void Relit();

 signals:
  void Cherche();

 private:
  brv::OptionsGoto& options_;
  QCheckBox* dateZero_;
  QCheckBox* evenements_;
  QCheckBox* erreurs_;
  QRadioButton* haut_;
  QRadioButton* bas_;
  QPushButton* chercher_;
};

}  // namespace brv::ui
