#pragma once
// The message boxes of the dialogs that check what the user typed: a refusal with the error icon,
// and a Yes/No question with the warning icon.

#include <string_view>

class QWidget;

namespace brv::ui {

void MessageErreur(QWidget* parent, std::string_view texte);
// True for Yes.
bool QuestionAvertissement(QWidget* parent, std::string_view texte);

}  // namespace brv::ui
