#pragma once
// File ▸ Compare with...: reads another capture beside the open one, in a worker thread behind a
// progress dialog that can be cancelled, and shows what changed as a printable page.

#include <QString>

#include "brv_core/document/brenvale_doc.h"

class QWidget;

namespace brv::ui {

// The open capture (its results read) against the capture at chemin. False when the other capture
// could not be read (the reason went to rapport) or the user cancelled.
bool ComparerAvec(const brv::CBrenvaleDoc& doc, const QString& chemin, brv::IRapportDocument& rapport, QWidget* parent);

}  // namespace brv::ui
