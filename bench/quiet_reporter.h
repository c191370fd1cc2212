#pragma once
// A document reporter that says nothing and answers Yes: the benchmarks measure, they do not talk.

#include "brv_core/document/doc_reporter.h"

struct Quiet : brv::IRapportDocument {
  void BoiteMessage(std::string_view, brv::IconeMessage) override {}
  bool QuestionOuiNon(std::string_view) override { return true; }
  void LigneInformation(std::string_view) override {}
};
