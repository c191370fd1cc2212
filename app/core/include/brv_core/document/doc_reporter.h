#pragma once
// How the document speaks to the user: message boxes with their icon, Yes/No questions and
// lines of the information pane. The GUI shows them in windows; the CLI prints them.

#include <string>
#include <string_view>

namespace brv {

enum class IconeMessage { Erreur, Avertissement, Question, Information };

class IRapportDocument {
 public:
  virtual ~IRapportDocument() = default;
  virtual void BoiteMessage(std::string_view texte, IconeMessage icone) = 0;
  // True for Yes.
  virtual bool QuestionOuiNon(std::string_view texte) = 0;
  virtual void LigneInformation(std::string_view texte) = 0;
};

// For a document the program reads on its own, with nobody to ask: questions are answered Yes and
// the first error box is kept for the caller to tell.
class CRapportPremiereErreur : public IRapportDocument {
 public:
  void BoiteMessage(std::string_view texte, IconeMessage icone) override {
    if (icone == IconeMessage::Erreur && erreur.empty()) erreur = texte;
  }
  bool QuestionOuiNon(std::string_view) override { return true; }
  void LigneInformation(std::string_view) override {}
  std::string erreur;
};

}  // namespace brv
