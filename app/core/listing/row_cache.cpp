#include "brv_core/listing/row_cache.h"

#include <algorithm>
#include <utility>

namespace brv {

PlanCache PlanifieCache(uint64_t premiereEnCache, uint64_t nbEnCache, uint64_t de, uint64_t a) {
  PlanCache p;
  const uint64_t finCache = premiereEnCache + nbEnCache;  // exclusive
  // Touching counts as joining: the rows next to the cached ones are read from where they end.
  const bool joint = nbEnCache > 0 && de <= finCache && a + 1 >= premiereEnCache;
  if (!joint) {
    p.toutLire = true;
    return p;
  }
  p.garderDe = std::clamp(de, premiereEnCache, finCache);
  const uint64_t garderA = std::clamp(a + 1, premiereEnCache, finCache);  // exclusive
  p.nbGarder = garderA - p.garderDe;
  if (de < p.garderDe) {
    p.avantDe = de;
    p.nbAvant = p.garderDe - de;
  }
  if (a + 1 > garderA) {
    p.apresDe = garderA;
    p.nbApres = a + 1 - garderA;
  }
  return p;
}

size_t CCacheLignes::Lit(uint64_t premiere, size_t nombre, std::vector<LIGNE_TRAME>& dest) {
  lues_ += nombre;
  const size_t n = source_->Lit(premiere, nombre, dest);
  // A source that says more than it gave, or more than was asked, is held to what is there.
  const size_t lu = std::min({n, nombre, dest.size()});
  return lu;
}

void CCacheLignes::Indique(uint64_t de, uint64_t a) {
  if (a < de) std::swap(de, a);
  // A failed single row may be read again once the view moves on.
  if (seuleValide_ && seule_.empty()) seuleValide_ = false;
  // The view hints the same rows on every paint: nothing to do, not even for rows a short read
  // left out (they are read one by one when drawn).
  if (indiceValide_ && de == indiceDe_ && a == indiceA_) return;
  indiceValide_ = true;
  indiceDe_ = de;
  indiceA_ = a;

  const uint64_t n = a - de + 1;
  const PlanCache plan = PlanifieCache(premiere_, lignes_.size(), de, a);
  if (plan.toutLire) {
    // Read straight into the cache: its rows are filled again in place and keep their storage.
    const size_t lu = Lit(de, static_cast<size_t>(n), lignes_);
    lignes_.resize(lu);
    premiere_ = de;
    return;
  }

  // The kept rows to the front; the rows dropped behind them are reused as read buffers.
  const auto debutGarde = lignes_.begin() + static_cast<std::ptrdiff_t>(plan.garderDe - premiere_);
  std::rotate(lignes_.begin(), debutGarde, debutGarde + static_cast<std::ptrdiff_t>(plan.nbGarder));
  const size_t garde = static_cast<size_t>(plan.nbGarder);

  // The cache holds a contiguous run of rows: rows before the kept ones join it only when they
  // were all read (or nothing is kept).
  size_t avant = 0;
  if (plan.nbAvant > 0) {
    const size_t lu = Lit(plan.avantDe, static_cast<size_t>(plan.nbAvant), lecture_);
    if (lu == plan.nbAvant || garde == 0) avant = lu;
  }
  const size_t apresMax = static_cast<size_t>(plan.nbApres);
  if (lignes_.size() < avant + garde + apresMax) lignes_.resize(avant + garde + apresMax);
  // Kept rows move right by `avant`; the slots before them take the rows read.
  std::rotate(lignes_.begin(), lignes_.begin() + static_cast<std::ptrdiff_t>(garde),
              lignes_.begin() + static_cast<std::ptrdiff_t>(garde + avant));
  for (size_t i = 0; i < avant; ++i) std::swap(lignes_[i], lecture_[i]);

  size_t apres = 0;
  if (apresMax > 0) {
    apres = Lit(plan.apresDe, apresMax, lecture_);
    for (size_t i = 0; i < apres; ++i) std::swap(lignes_[avant + garde + i], lecture_[i]);
  }
  lignes_.resize(avant + garde + apres);
  // With nothing kept the range only touches the cache, and its rows start at de either way.
  premiere_ = avant > 0 || garde == 0 ? de : plan.garderDe;
}

LIGNE_TRAME* CCacheLignes::Ligne(uint64_t i) {
  if (EnCache(i)) return &lignes_[static_cast<size_t>(i - premiere_)];
  if (!seuleValide_ || seuleLigne_ != i) {
    seuleValide_ = true;
    seuleLigne_ = i;
    // An empty buffer remembers that the row could not be read, until the next hint.
    if (Lit(i, 1, seule_) < 1) seule_.clear();
  }
  return seule_.empty() ? nullptr : &seule_[0];
}

void CCacheLignes::Invalide() {
  premiere_ = 0;
  lignes_.clear();
  seuleValide_ = false;
  seule_.clear();
  indiceValide_ = false;
}

}  // namespace brv
