#pragma once
// A document reporter for tests that look at what the user was told: message boxes with their
// icon, questions (answered by `reponse`) and information lines.

#include <string>
#include <utility>
#include <vector>

#include "brv_core/document/doc_reporter.h"

namespace brv::test {

struct RapportTest : IRapportDocument {
  void BoiteMessage(std::string_view t, IconeMessage i) override { messages.push_back({std::string(t), i}); }
  bool QuestionOuiNon(std::string_view t) override {
    questions.emplace_back(t);
    return reponse;
  }
  void LigneInformation(std::string_view t) override { lignes.emplace_back(t); }
  std::vector<std::string> textes() const {
    std::vector<std::string> t;
    for (const auto& m : messages) t.push_back(m.first);
    return t;
  }
  std::vector<std::pair<std::string, IconeMessage>> messages;
  std::vector<std::string> questions;
  std::vector<std::string> lignes;
  bool reponse = true;
};

}  // namespace brv::test
