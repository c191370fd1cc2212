#pragma once
// The program's offer to recover an interrupted capture when it is opened.

#include <string>

#include "brv_core/document/doc_reporter.h"

namespace brv {

inline constexpr const char* kQuestionReparation = "This acquisition was interrupted. Recover the frames it holds?";

// When the capture at chemin is interrupted and holds whole records, asks whether to recover them
// and, on Yes, repairs it in place (the original kept beside it). Says what was done, or why it
// failed; asks nothing of a capture that has nothing to recover. True when the file was repaired.
bool ProposeReparation(const std::string& chemin, IRapportDocument& rapport);

}  // namespace brv
