#pragma once
// The "Goto" search of the frames list: the next row that is the first post-trigger row, an event
// or an error, up or down from a row, wrapping round the capture, skipping through the document's
// block index the blocks that hold nothing wanted.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "brv_core/document/frame_index.h"
#include "brv_core/document/row_reader.h"
#include "brv_core/listing/goto_options.h"

namespace brv {

// What the search knows of the capture: both block indexes (copies taken under their locks), the
// number of rows and the last pre-trigger row (kAucuneLignePreTrig when none).
struct CarteLignes {
  std::vector<INDEX_TRAMES> preTrig;
  std::vector<INDEX_TRAMES> postTrig;
  uint64_t nbLignes = 0;
  uint32_t derniereLignePreTrig = 0xFFFFFFFF;
};

CarteLignes CarteDuDocument(const CBrenvaleDoc& doc);

// Reads rows [premiere, premiere + nombre) (marks and date-0 flags are what the search needs);
// returns the count read.
using LectureGoto = std::function<size_t(uint64_t premiere, size_t nombre, std::vector<LIGNE_TRAME>& lignes)>;

// Rows are read in chunks of at most this many.
inline constexpr size_t kLignesParLectureGoto = 100;

// The row to select, or nothing (no option, nothing found, or back at the starting block).
// depart: the first selected row, or the top visible row when nothing is selected.
std::optional<uint64_t> ChercheGoto(const CarteLignes& carte, uint64_t depart, const OptionsGoto& options,
                                    const LectureGoto& lecture);

}  // namespace brv
