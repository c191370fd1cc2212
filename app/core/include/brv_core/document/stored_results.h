#pragma once
// Whether an opened capture can show its rows from the results saved behind it, or must be read
// again first (written by another program, interrupted before its tail, or with a damaged tail).

#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/acq_file.h"

namespace brv {

// True when the file holds records that the document's stored results do not index.
bool ResultatsARelire(const CBrenvaleDoc& doc, const AcqFile& fichier);

}  // namespace brv
