#pragma once
// Opens a capture as the program does and reads it again with the display settings of its own
// configuration or of a configuration file: what `frames` and `stats` show.

#include <memory>
#include <string>

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/acq_file.h"
#include "cli_reporter.h"

namespace brv::cli {

struct Recalcul {
  CliReporter reporter;
  std::unique_ptr<CBrenvaleDoc> doc;
  ResultatTache resultat;
  // The capture, open for the rows the command reads afterwards.
  AcqFile file;
};

// Opens the capture and its configuration (the file's own, or config when given) without reading
// the records. Returns 0, or the exit status after printing the failure.
int ouvre_document(const std::string& capture, const std::string& config, Recalcul& r);

// Returns 0, or the exit status after printing the failure (an interrupted capture is one).
int recalcule(const std::string& capture, const std::string& config, Recalcul& r);

}  // namespace brv::cli
