#pragma once
// The card selection window at start-up. The rules live in brv::CAttachToCard; this window only
// shows its state and hands it the user's actions.

#include <QDialog>

#include <cstdint>
#include <optional>

#include "brv_core/acquisition/card_selection.h"

class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace brv::ui {

// Runs the card selection on the cards present now: returns the controller's result; on Ok
// `index` holds the card's device-list index. Closes by itself when the only card is free; "None
// active card" (error box through the reporter) and Abandon when there is no card. Help opens the
// manual.
brv::ResultatSelection SelectionneCarte(brv::IRapportDocument& rapport, std::optional<uint16_t>& index,
                                        QWidget* parent = nullptr);

class CAttachToCardDlg : public QDialog {
  Q_OBJECT

 public:
  CAttachToCardDlg(ListeCartes cartes, IRapportDocument& rapport, QWidget* parent = nullptr);

  // Runs the controller's initialisation once and shows its outcome in the widgets. A result other
  // than EnCours means the selection is over before the window was ever shown.
  ResultatSelection Initialise();
  // Initialise, then the modal loop only while the selection is still open.
  ResultatSelection Execute();

  ResultatSelection Resultat() const { return controleur_.Resultat(); }
  std::optional<uint16_t> IndexCarteChoisie() const { return controleur_.IndexCarteChoisie(); }

  // Closing by Escape or the title bar counts as Cancel.
  void reject() override;

 signals:
  void AideDemandee();

 private:
  void OnSelection(int position);
  void OnOk();
  void Actualise();

  CAttachToCard controleur_;
  bool initialise_ = false;
  QLabel* avertissement_ = nullptr;
  QComboBox* cartes_ = nullptr;
  QStackedWidget* caracteristiques_ = nullptr;
  QLabel* nom_ = nullptr;
  QLabel* emplacement_ = nullptr;
  QLabel* numeroSerie_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace brv::ui
