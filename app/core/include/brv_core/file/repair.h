#pragma once
// Recovery of an interrupted capture: its header kept the start values, but the records behind it
// are whole up to the last write. The repaired header describes exactly those whole records;
// nothing else in the file is changed but what lies behind the last of them in a linear zone (a
// ring that wrapped keeps every byte).

#include <cstdint>
#include <string>

#include <vandrel/acq_file.h>

#include "brv_core/file/acq_file.h"

namespace brv {

enum class RepairStatus {
  Repairable,          // whole records were found: header describes them
  NothingToRepair,     // the header was completed at the stop
  NothingRecoverable,  // not one whole record behind the header
  Refused,             // a pre-trigger layout, whose zones cannot be told from a start header
  ReadError,
};

struct RepairPlan {
  RepairStatus status = RepairStatus::NothingToRepair;
  vandrel::ENTETE_FICHIER header{};  // the header to write (Repairable only)
  uint64_t records = 0;              // whole records found
  uint64_t recovered = 0;            // their bytes
  uint64_t data_end = vandrel::kTailleEntete;  // the repaired file's size: after the last of them, or the ring's end
  uint64_t left_out = 0;             // bytes of the data zone outside them, left out of the repaired capture
  bool ring = false;                 // a ring that may have wrapped: left_out lies before its oldest record
  std::string message;               // what to tell when not Repairable
};

// Walks the records of an open capture and says what a repair would make of it.
RepairPlan PlanifieReparation(const AcqFile& file);

// "N records, M bytes recovered; K bytes after the last whole record left out" (in a ring, "K bytes
// of the ring before the oldest whole record")
std::string TexteReparation(const RepairPlan& plan);

// The name the original is kept under before a repair in place.
std::string CheminOriginal(const std::string& path);

// Repairs the capture at path in place: copies it first to CheminOriginal(path) (refused when
// that name exists), then rewrites the header and cuts the file at data_end, synced to disk.
// `file` is path, open; the plan is its own. False with `why` on failure.
bool ReparePlace(const std::string& path, const AcqFile& file, const RepairPlan& plan, std::string& why);

// Writes the repaired capture whole to out (a temporary renamed into place), never onto the input.
bool RepareVers(const AcqFile& file, const RepairPlan& plan, const std::string& out, std::string& why);

}  // namespace brv
