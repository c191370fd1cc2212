#pragma once
// The frame definition dialog ("Event frame "): one definition of the trigger, filtering or events
// list, with its bit-field conditions and the FIPIO-FIPWAY pickers that fill them. Every check is
// the core's; the dialog edits a copy and gives it back on OK.

#include <QDialog>

#include "brv_core/config/frame_definition.h"
#include "brv_core/definitions/definition_rules.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace brv::ui {

class CSelecteurDlg;

class CDefTrameEvtDlg : public QDialog {
  Q_OBJECT
 public:
  // Edits definition `index` of `liste` (-1 for a new one), starting from `definition`; the list
  // serves the name check.
  CDefTrameEvtDlg(brv::JeuDefinitions jeu, const brv::TableDefinitions& liste, int index,
                  const brv::DEFINITION_TRAME& definition, QWidget* parent = nullptr);

  // The definition as OK stored it.
  const brv::DEFINITION_TRAME& Definition() const { return def_; }
  // Shows the definition without letting OK store it.
  void LectureSeule(bool lectureSeule);

  // The four pickers, as their buttons open them.
  void OuvreUniTe();
  void OuvreIdentification();
  void OuvreMotsCom();
  void OuvreTelegrammes();

  void accept() override;

 private:
  QWidget* ConstruitEntete();
  QWidget* ConstruitEditeur();
  QWidget* ConstruitOrdreTrame();
  QWidget* ConstruitFipio();

  // Runs a picker over the definition; verrouille: the picker's traffic never goes without its
  // answer, so "Do not dissociate RP frames" stays ticked.
  void Selecteur(CSelecteurDlg& dlg, bool verrouille);
  // Shows def_ again (type, identifier, option, order, conditions).
  void Montre();
  void MontreChamps(int selection);
  void MontreDissocier();
  void MontreOrdreTrame();
  void MontreSaisie(const brv::SaisieChampBits& s);
  brv::SaisieChampBits Saisie() const;
  // Checks the editor's condition; true with it in champ.
  bool ChampValide(brv::CHAMP_BITS& champ);

  void AjouteChamp();
  void ModifieChamp();
  void SupprimeChamp();

  const brv::JeuDefinitions jeu_;
  const brv::TableDefinitions liste_;
  const int index_;
  brv::DEFINITION_TRAME def_;
  bool verrouDissocier_ = false;

  QLineEdit* nom_;
  QComboBox* type_;
  QLineEdit* identifiant_;
  QCheckBox* dissocier_;
  QTreeWidget* champs_;
  QButtonGroup* ordreTrame_;
  QLabel* explication_;
  QLineEdit* position_;
  QLineEdit* longueur_;
  QComboBox* operation_;
  QLineEdit* valeur_;
  QButtonGroup* interpretation_;
  QButtonGroup* signe_;
  QButtonGroup* ordreChamp_;
  QPushButton* ajouter_;
  QPushButton* modifier_;
  QPushButton* supprimer_;
  QPushButton* ok_ = nullptr;
};

}  // namespace brv::ui
