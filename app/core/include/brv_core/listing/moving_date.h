#pragma once
// The moving absolute date: only the top visible row of the frames list shows its absolute date.
// When the list scrolls, the new top row and the row that left the top are redrawn.

#include <cstdint>
#include <optional>

namespace brv {

struct RedessinDateMobile {
  std::optional<uint64_t> nouveauHaut;  // redraw: it now shows its date
  std::optional<uint64_t> ancienHaut;   // redraw: its date goes
};

class CDateMobile {
 public:
  // The view's top row and rows per page at a request for the absolute-date column. Returns the
  // rows to redraw (none when nothing moved, or while a redraw is under way).
  RedessinDateMobile Deplace(uint64_t haut, uint32_t parPage);
  // Whether row i shows its absolute date now.
  bool Affiche(uint64_t i) const { return connu_ && i == haut_; }
  // A redraw the view makes for the date; Deplace does nothing meanwhile.
  void DebutRedessin() { redessin_ = true; }
  void FinRedessin() { redessin_ = false; }
  void Oublie() { connu_ = false; }

 private:
  bool connu_ = false;
  uint64_t haut_ = 0;
  uint32_t parPage_ = 0;
  bool redessin_ = false;
};

}  // namespace brv
