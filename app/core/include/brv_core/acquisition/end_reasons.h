#pragma once
// How an acquisition ended, in the words shown to the user: a line of the information pane and,
// for the faults the user must notice, a message box (error icon) shown first.

#include <cstdint>
#include <string>

namespace brv {

struct TextesFin {
  std::string volet;  // information pane; empty for a state that is not an end
  std::string boite;  // message box, empty when none
  friend bool operator==(const TextesFin&, const TextesFin&) = default;
};

// From the engine's final state (enEtatAcq).
TextesFin TextesFinEtat(uint32_t etatAcq);

// From the program's own end reason (the document's EndReason): 1 header unreadable, 2 file
// access, 3 invalid end of file, 4 not fast enough, 5 insufficient memory; else the user's stop.
TextesFin TextesFinProgramme(uint32_t raisonFin);

inline constexpr const char* kTexteFinVeille = "Acquisition aborted because of operating system standby.";

}  // namespace brv
