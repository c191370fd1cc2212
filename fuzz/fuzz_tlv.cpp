// Any event payload: the consistency walk, the tree, and the card thread's direct reading of
// frame nodes never fault; a consistent payload serialises back to the same bytes, and both
// readings of a frame node agree.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <vandrel/tlv.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> payload(data, size);
  if (!vandrel::tlv::coherent(payload)) {
    (void)vandrel::parse_items(payload);
    return 0;
  }
  const auto items = vandrel::parse_items(payload);
  std::vector<uint8_t> back;
  for (const auto& item : items) item->to_bytes(back);
  if (back.size() != size || !std::equal(back.begin(), back.end(), data)) std::abort();

  const uint8_t* p = data;
  const uint8_t* end = data + size;
  for (const auto& item : items) {
    const size_t n = vandrel::tlv::taille_item(p, end);
    if (item->tag() == vandrel::tlv::TAG_FIP) {
      const vandrel::CFipNode tree(static_cast<const vandrel::CTLVNode&>(*item));
      vandrel::CFipNode direct;
      direct.lire(std::span<const uint8_t>(p, n));
      if (tree.ulGap != direct.ulGap || tree.usDuree != direct.usDuree || tree.usStatut != direct.usStatut ||
          tree.trame != direct.trame || tree.ucStandard != direct.ucStandard) {
        std::abort();
      }
    }
    p += n;
  }
  return 0;
}
