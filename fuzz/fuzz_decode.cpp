// Any byte string decodes to a result and a line of bounded length, in both framings.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "brv_core/decode/decodage_trame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFF) return 0;
  for (uint8_t fip = 0; fip < 2; ++fip) {
    brv::DescriptionCapture capture{fip, 1, 0};
    brv::CDecodageTrame decoder(capture);
    decoder.DefinitBourrage(size > 2 && (data[0] & 1), 0x9002);
    std::string text;
    std::string annotation;
    for (bool short_form : {false, true}) {
      decoder.DecodeTrame(static_cast<uint16_t>(size), data, &text, short_form, annotation);
      if (text.size() > (short_form ? brv::kLgTexteCourt : brv::kLgTexteLong)) std::abort();
    }
  }
  return 0;
}
