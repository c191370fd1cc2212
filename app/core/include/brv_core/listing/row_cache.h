#pragma once
// The frames list's row cache: the rows on screen (with a margin) kept decoded, so that drawing a
// cell never reads the file. A new visible range keeps the rows it still covers and reads only
// the missing ones; a row outside the cache is read alone into a one-row buffer.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "brv_core/document/row_reader.h"

namespace brv {

// Where rows come from: the document's row reading (CLecteurLignes), or a test's table.
class ISourceLignes {
 public:
  virtual ~ISourceLignes() = default;
  // Rows [premiere, premiere + nombre) with their texts into lignes (resized to the count read);
  // returns the number of rows read, fewer at the end of the data or on a damaged record.
  virtual size_t Lit(uint64_t premiere, size_t nombre, std::vector<LIGNE_TRAME>& lignes) = 0;
};

// The document's row reading as a row source.
class CSourceDocument : public ISourceLignes {
 public:
  explicit CSourceDocument(CLecteurLignes& lecteur) : lecteur_(lecteur) {}
  size_t Lit(uint64_t premiere, size_t nombre, std::vector<LIGNE_TRAME>& lignes) override {
    return lecteur_.Lit(premiere, nombre, true, lignes);
  }

 private:
  CLecteurLignes& lecteur_;
};

// What a cache hint does for a cached range [premiereEnCache, premiereEnCache + nbEnCache) and
// a wanted range [de, a]: keep the rows both cover, read the rows before and after them.
struct PlanCache {
  bool toutLire = false;        // nothing to keep: read [de, a] whole
  uint64_t garderDe = 0;        // rows kept: [garderDe, garderDe + nbGarder)
  uint64_t nbGarder = 0;
  uint64_t avantDe = 0;         // rows read before the kept ones: [avantDe, avantDe + nbAvant)
  uint64_t nbAvant = 0;
  uint64_t apresDe = 0;         // rows read after the kept ones: [apresDe, apresDe + nbApres)
  uint64_t nbApres = 0;
};

// The plan of a cache hint. A range that neither overlaps nor touches the cached one, or an
// empty cache, is read whole. de <= a.
PlanCache PlanifieCache(uint64_t premiereEnCache, uint64_t nbEnCache, uint64_t de, uint64_t a);

class CCacheLignes {
 public:
  explicit CCacheLignes(ISourceLignes& source) : source_(&source) {}

  // The rows [de, a] are about to be drawn: read the ones the cache does not hold.
  void Indique(uint64_t de, uint64_t a);
  // The row from the cache or the one-row buffer; null when it cannot be read. The pointer stays
  // valid until the next call of Indique, Ligne or Invalide.
  LIGNE_TRAME* Ligne(uint64_t i);
  bool EnCache(uint64_t i) const { return i >= premiere_ && i - premiere_ < lignes_.size(); }
  // The capture was read again: nothing cached stays.
  void Invalide();
  void ChangeSource(ISourceLignes& source) {
    source_ = &source;
    Invalide();
  }

  uint64_t Premiere() const { return premiere_; }
  size_t Nombre() const { return lignes_.size(); }
  // Rows asked of the source since construction (what a cache hint cost).
  uint64_t LignesLues() const { return lues_; }

 private:
  size_t Lit(uint64_t premiere, size_t nombre, std::vector<LIGNE_TRAME>& dest);

  ISourceLignes* source_;
  uint64_t premiere_ = 0;
  std::vector<LIGNE_TRAME> lignes_;
  std::vector<LIGNE_TRAME> lecture_;  // scratch, reused
  // The one-row buffer for rows outside the cache.
  bool seuleValide_ = false;
  uint64_t seuleLigne_ = 0;
  std::vector<LIGNE_TRAME> seule_;
  uint64_t lues_ = 0;
  // The last hint, so that the same one again costs nothing.
  bool indiceValide_ = false;
  uint64_t indiceDe_ = 0;
  uint64_t indiceA_ = 0;
};

}  // namespace brv
