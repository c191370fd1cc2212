// Arbitrary trigger definitions against arbitrary frames: the search never faults, and the
// whole-byte reading of a field always agrees with the bit-at-a-time reading.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <vandrel/ini_acq.h>
#include <vandrel/trigger.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t methode = data[0] % 9;
  const uint8_t nb_trames = data[1] % 4;
  const unsigned nb_champs = data[2] % 4;
  data += 3;
  size -= 3;
  vandrel::struct_DEF_TRAME_SYNCHRO defs[3];
  for (auto& d : defs) {
    for (unsigned c = 0; c < nb_champs && size >= vandrel::kTailleChampBit; ++c) {
      d.pstChampsBit.push_back(vandrel::lire_champ_bit(data));
      data += vandrel::kTailleChampBit;
      size -= vandrel::kTailleChampBit;
    }
    d.usNbChampsBit = static_cast<uint16_t>(d.pstChampsBit.size());
  }
  const vandrel::struct_DEF_TRAME_SYNCHRO* ptrs[3] = {&defs[0], &defs[1], &defs[2]};
  vandrel::CombinaisonSynchro comb;
  if (!vandrel::construit_combinaison(methode, nb_trames, ptrs, comb)) return 0;
  // The rest: frames, each preceded by its length byte.
  while (size > 0) {
    const size_t n = std::min<size_t>(data[0], size - 1);
    const uint8_t* frame = data + 1;
    for (const auto& d : defs) {
      for (const auto& c : d.pstChampsBit) {
        uint64_t a = 0, b = 0;
        const bool ra = vandrel::bitfield::extraire(frame, static_cast<uint16_t>(n), c, a);
        const bool rb = vandrel::bitfield::extraire_bit_a_bit(frame, static_cast<uint16_t>(n), c, b);
        if (ra != rb || a != b) std::abort();
      }
    }
    if (vandrel::avance_combinaison(comb, frame, static_cast<uint16_t>(n))) break;
    data += n + 1;
    size -= n + 1;
  }
  return 0;
}
