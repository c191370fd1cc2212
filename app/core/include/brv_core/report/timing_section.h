#pragma once
// The bus timing of a capture as text: the macrocycle and thresholds as labelled lines, then one
// row per scanned identifier and one per station's kind of aperiodic request. The same text serves
// the terminal and the word-processor export (aligned columns) and the spreadsheet export (one
// field per cell). JSON and CSV forms for scripts.

#include <string>
#include <string_view>

#include "brv_core/timing/bus_timing.h"

namespace brv {

// tableur: fields followed by sep instead of aligned; labels then take a cell of their own.
std::string SectionTiming(const ResultatTiming& r, bool tableur = false, std::string_view sep = {});
// The same results as one JSON object (no line break after it).
std::string JsonTiming(const ResultatTiming& r);
// A header line and one line per scanned identifier; times in nanoseconds.
std::string CsvTiming(const ResultatTiming& r);

}  // namespace brv
