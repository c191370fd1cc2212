#include "brv_core/errors/error_text.h"

#include <kestrinerr/kestrinerr.h>
#include <vandrel/vandrel.h>

#include <algorithm>
#include <vector>

namespace brv {

namespace {

constexpr unsigned long kEngineFamily = 0x3FA00000;
constexpr unsigned long kMinBuffer = 512;

}  // namespace

std::string error_text(unsigned long code) {
  const auto message = (code & kEngineFamily) == kEngineFamily ? VANDREL_ERROR_MESSAGE : KESTRIN_ERROR_MESSAGE;
  // The library leaves the length untouched for a code it has no entry for.
  unsigned long length = 0;
  if (message(code, nullptr, 0, &length) != 0 || length == 0) return {};
  std::vector<char> buffer(std::max(kMinBuffer, length), '\0');
  unsigned long second = 0;
  if (message(code, buffer.data(), buffer.size(), &second) != 0 || second == 0 || second > buffer.size()) return {};
  return std::string(buffer.data(), second - 1);
}

}  // namespace brv
