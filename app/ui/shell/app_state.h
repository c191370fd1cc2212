#pragma once
// What the program settles at start-up and keeps for its whole run.

#include <cstdint>
#include <optional>

namespace brv::ui {

struct EtatApplication {
  // The chosen card's device-list index; none when started offline.
  std::optional<uint16_t> carte;
  bool horsLigne = false;
  // The system's version, handed to the acquisition engine.
  uint8_t osMajeur = 0;
  uint8_t osMineur = 0;
};

}  // namespace brv::ui
