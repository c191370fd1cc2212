#include "kestrinerr/kestrinerr.h"

#include "catalogue.h"
#include "kestrinerr/message_protocol.h"

namespace {

constexpr unsigned long kLibraryBit = 0x20000000;
constexpr unsigned long kFamilyMask = 0x3F000000;

}  // namespace

extern "C" unsigned long KESTRIN_ERROR_MESSAGE(unsigned long code, char* buffer, unsigned long size,
                                               unsigned long* length) {
  if (length == nullptr) return EINVAL;
  try {
    if ((code & kLibraryBit) == 0) return kestrinerr::deliver_system_text(code, buffer, size, length);
    if ((code & kFamilyMask) != kFamilyMask) {
      return kestrinerr::deliver_text(kestrinerr::unknown_message().french, buffer, size, length);
    }
    const auto message = kestrinerr::find_message(code);
    // A code of the family without an entry: nothing is written.
    if (!message) return 0;
    return kestrinerr::deliver_text(message->french, buffer, size, length);
  } catch (...) {
    *length = 0;
    return ENOMEM;
  }
}
