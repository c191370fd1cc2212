#pragma once
// The document's messages on a terminal: message boxes go to stderr, questions are answered
// Yes (the command line asked for the action already), information lines are collected.

#include <string>
#include <vector>

#include "brv_core/document/doc_reporter.h"

namespace brv::cli {

class CliReporter : public IRapportDocument {
 public:
  void BoiteMessage(std::string_view texte, IconeMessage icone) override;
  bool QuestionOuiNon(std::string_view) override { return true; }
  void LigneInformation(std::string_view texte) override { lignes.emplace_back(texte); }

  std::vector<std::string> lignes;
  std::vector<std::string> avertissements;
  std::vector<std::string> erreurs;
};

}  // namespace brv::cli
