#pragma once
// A list of frame definitions as the configuration pages show it (trigger, filtering, events):
// the definitions with their tag or their "in use" box, and "Add...", "Edit...", "Delete",
// "Copy", "Paste". Copy and Paste go through the clipboard, so that a definition moves between
// the lists of any page (and of another window of the program).

#include <QWidget>

#include "brv_core/config/frame_definition.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace brv::ui {

// The clipboard's type for one definition, in its configuration-file record form.
inline constexpr const char* kMimeDefinition = "application/x-brenvale-frame-definition";

class CListeDefinitions : public QWidget {
  Q_OBJECT
 public:
  explicit CListeDefinitions(brv::JeuDefinitions jeu, QWidget* parent = nullptr);

  // Shows a copy of t (the document's list).
  void Definit(const brv::TableDefinitions& t);
  // The list as the user left it, to write back.
  const brv::TableDefinitions& Table() const { return table_; }
  // Shows the definitions without letting them change ("Edit..." still shows one).
  void LectureSeule(bool lectureSeule);

  // The buttons' actions.
  void Ajoute();
  void Modifie();
  void Supprime();
  void Copie();
  void Colle();

 signals:
  // The user changed the list.
  void Modifiee();

 private:
  void Remplit(int selection);
  int Selection() const;
  void MetAJourBoutons();

  const brv::JeuDefinitions jeu_;
  brv::TableDefinitions table_;
  bool lectureSeule_ = false;
  QTreeWidget* liste_;
  QPushButton* ajouter_;
  QPushButton* modifier_;
  QPushButton* supprimer_;
  QPushButton* copier_;
  QPushButton* coller_;
};

}  // namespace brv::ui
