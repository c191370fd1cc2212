#pragma once
// The program's command line: brenvale [--simulate[=PRESET|FILE]] [--offline] [setup.cfg] [capture.dat]

#include <QString>
#include <QStringList>

#include <optional>

namespace brv::ui {

struct LigneCommande {
  std::optional<QString> simulation;  // the preset or scenario file ("demo" when none is named)
  bool horsLigne = false;
  std::optional<bool> demarrage;  // --start free (false) or --start triggered (true) once the window shows
  bool aide = false;
  bool version = false;  // --version: the versions of the program and its libraries
  QString fichier;  // a capture to open after start-up
  QString configuration;  // a configuration (.cfg) to load after start-up, before the capture
  QString erreur;   // an option the program does not know
};

LigneCommande AnalyseLigneCommande(const QStringList& arguments);

// The text of --help.
QString TexteAide();

// Answers --help, --version or a bad option on the terminal with the exit status; nothing when the
// program is to start. Needs no QApplication, so that it runs without a display.
std::optional<int> RepondSansFenetre(const LigneCommande& ligne);

}  // namespace brv::ui
