#pragma once
// The Export command: the "Export to" dialog with the saved choices, the text file to create, the
// writing in a worker thread behind a progress dialog that can stop it, its errors, and the
// program that shows the result when asked.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "brv_core/document/doc_reporter.h"
#include "brv_core/report/export_choices.h"
#include "brv_core/report/text_export.h"

class QSettings;
class QWidget;

namespace brv::ui {

// selection: the first and last selected rows; reglages: where the "ExportTxt" choices are kept.
// The source is not changed while this runs: the program's windows take no input until the
// export has ended.
void Exporte(const brv::SourceExport& source, std::optional<std::pair<uint64_t, uint64_t>> selection,
             QSettings& reglages, brv::IRapportDocument& rapport, QWidget* parent);

// The writing alone. The progress dialog shows when the writing lasts; its Cancel stops it, and
// a stopped or failed export leaves no file.
brv::ResultatExport EcritExport(const std::string& chemin, const brv::DemandeExport& demande,
                                const brv::SourceExport& source, QWidget* parent);

}  // namespace brv::ui
