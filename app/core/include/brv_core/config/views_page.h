#pragma once
// Rules of the "Views" page of the display configuration: integration times from 100 ms to one
// hour and 10 to 6000 chart points, out-of-range values replaced by the nearest limit and the user
// told once.

#include <cstdint>
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

}  // namespace brv
