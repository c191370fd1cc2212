#include "brv_core/listing/moving_date.h"

namespace brv {

RedessinDateMobile CDateMobile::Deplace(uint64_t haut, uint32_t parPage) {
  RedessinDateMobile r;
  // The redraw asked below comes back here: it must not move anything.
  if (redessin_) return r;
  if (!connu_) {
    r.nouveauHaut = haut;
  } else {
    if (haut == haut_ && parPage == parPage_) return r;
    if (haut != haut_) {
      r.nouveauHaut = haut;
      // The old top row still on screen would keep showing its date.
      if (haut_ > haut && haut_ - haut < parPage) r.ancienHaut = haut_;
    }
  }
  connu_ = true;
  haut_ = haut;
  parPage_ = parPage;
  return r;
}

}  // namespace brv
