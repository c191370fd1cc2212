#include "shell/app_state.h"

#include <cstdio>

namespace brv::ui {

void VersionSysteme(const std::string& release, uint8_t& majeur, uint8_t& mineur) {
  unsigned maj = 0;
  unsigned min = 0;
  majeur = mineur = 0;
  const int n = std::sscanf(release.c_str(), "%u.%u", &maj, &min);
  if (n >= 1 && maj <= 255) majeur = static_cast<uint8_t>(maj);
  if (n >= 2 && min <= 255) mineur = static_cast<uint8_t>(min);
}

}  // namespace brv::ui
