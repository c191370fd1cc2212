#pragma once
// What the program settles at start-up and keeps for its whole run.

#include <cstdint>
#include <optional>
#include <string>

namespace brv::ui {

struct EtatApplication {
  // The chosen card's device-list index; none when started offline.
  std::optional<uint16_t> carte;
  bool horsLigne = false;
  // The system's version, handed to the acquisition engine.
  uint8_t osMajeur = 0;
  uint8_t osMineur = 0;
};

// Major and minor numbers of a kernel release such as "6.1.0-18-amd64"; 0 where unreadable.
void VersionSysteme(const std::string& release, uint8_t& majeur, uint8_t& mineur);

}  // namespace brv::ui
