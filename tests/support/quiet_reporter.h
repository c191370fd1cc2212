#pragma once
// A document reporter for tests that do not look at the messages: questions answered Yes.

#include "brv_core/document/doc_reporter.h"

namespace brv::test {

struct RapportSilencieux : IRapportDocument {
  void BoiteMessage(std::string_view, IconeMessage) override {}
  bool QuestionOuiNon(std::string_view) override { return true; }
  void LigneInformation(std::string_view) override {}
};

}  // namespace brv::test
