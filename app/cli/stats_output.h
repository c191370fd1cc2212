#pragma once
// What `stats` prints about a document whose results were computed: shared with `capture`, whose
// summary must read the same as `stats` on the file it wrote.

#include <string>

#include "brv_core/analysis/statistics.h"
#include "brv_core/document/brenvale_doc.h"

namespace brv::cli {

// Statistics, error counters and network configuration as text.
std::string stats_text(const CBrenvaleDoc& doc, const BourrageEnVigueur& bourrage);
// The same as one JSON object (no line break after it).
std::string stats_json(const CBrenvaleDoc& doc, const BourrageEnVigueur& bourrage);

}  // namespace brv::cli
