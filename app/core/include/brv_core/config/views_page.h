#pragma once
// Rules of the display configuration's pages. "Views": integration times from 100 ms to one hour
// and 10 to 6000 chart points, out-of-range values replaced by the nearest limit and the user told
// once. "Padding": another identifier for the display only.

#include <cstdint>
#include <optional>
#include <string>

#include "brv_core/config/configuration.h"

namespace brv {

inline constexpr const char* kMsgVuesCorrigees =
    "At least one value for the views configuration has been modified because because it exceeded possible "
    "limits.";
inline constexpr const char* kUnitesIntegration[3] = {"ms", "s", "m"};

// An integration time as the page holds it: the number as typed and the unit's index.
struct SaisieTemps {
  std::string nombre;
  int unite = 1;
};

struct SaisiePageVues {
  SaisieTemps configReseau;
  SaisieTemps debitInstantane;
  std::string nbPoints;
  bool ouvertureAuto = false;
};

SaisiePageVues SaisiePageVuesDe(const ConfigVues& v);

// Leaving the page: the values into vues; a value out of range is replaced by its limit, in vues
// and in the saisie the page shows again. True when something was replaced.
bool VerifiePageVues(SaisiePageVues& saisie, ConfigVues& vues);

inline constexpr const char* kMsgBourrageRecalcul = "Please enter a padding identifier for re-calculation.";

// "Definition of another value for display only" and its hexadecimal identifier; the message when
// it is ticked without an identifier, else nothing (and the display padding is set).
std::optional<std::string> VerifiePageBourrage(bool autre, const std::string& identifiant, TripletBourrage& affichage);
// The padding page cannot define another identifier when the acquisition discarded its padding.
inline bool BourrageRedefinissable(const TripletBourrage& acquisition) { return acquisition.bFiltreAcq == 0; }

}  // namespace brv
