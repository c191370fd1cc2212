#pragma once
// Start-up and shut-down of the program: card selection, settings, the document and the main
// window, the command line.

#include <memory>
#include <vector>

#include "shell/command_line.h"

namespace simcard {
class SimCard;
}

namespace brv::ui {

class CMainFrame;
class CRapportQt;

// Simulated cards on the device list for as long as this lives.
class CartesSimulees {
 public:
  CartesSimulees() = default;
  CartesSimulees(CartesSimulees&&) = default;
  CartesSimulees& operator=(CartesSimulees&&) = default;
  ~CartesSimulees();
  void Ajoute(std::shared_ptr<simcard::SimCard> carte) { cartes_.push_back(std::move(carte)); }

 private:
  std::vector<std::shared_ptr<simcard::SimCard>> cartes_;
};

// What start-up keeps alive for the run besides the window.
struct Demarrage {
  CartesSimulees cartesSimulees;
  std::unique_ptr<CMainFrame> fenetre;
  int code = 0;  // the exit status when there is no window
};

// The start-up sequence within a running QApplication: the simulated card, the card selection,
// the settings root, the main window shown with its placement. No window (and nothing written to
// the settings) when the selection is cancelled, finds no card or fails.
Demarrage Demarre(const LigneCommande& ligne, CRapportQt& rapport);

// Runs the program; returns its exit status.
int ExecuteBrenvale(int argc, char** argv);

}  // namespace brv::ui
