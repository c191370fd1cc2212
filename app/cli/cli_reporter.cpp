#include "cli_reporter.h"

#include "output.h"

namespace brv::cli {

void CliReporter::BoiteMessage(std::string_view texte, IconeMessage icone) {
  (icone == IconeMessage::Erreur ? erreurs : avertissements).emplace_back(texte);
}

}  // namespace brv::cli
