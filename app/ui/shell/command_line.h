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
  QString fichier;  // a capture to open after start-up
  QString configuration;  // a configuration (.cfg) to load after start-up, before the capture
  QString erreur;   // an option the program does not know
};

LigneCommande AnalyseLigneCommande(const QStringList& arguments);

// The text of --help.
QString TexteAide();

}  // namespace brv::ui
