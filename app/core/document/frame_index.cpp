#include "brv_core/document/frame_index.h"

#include <algorithm>
#include <new>

namespace brv {

void CIndexTrames::Ajoute(const INDEX_TRAMES& rec) {
  std::lock_guard lock(mutex_);
  if (rec.ullPremiereLigne == kLigneCloture) {
    if (recs_.empty()) return;
    INDEX_TRAMES& last = recs_.back();
    last.ullNbLignesErreur = rec.ullNbLignesErreur;
    last.ullNbLignesEvenement = rec.ullNbLignesEvenement;
    last.ullPremiereErreur = rec.ullPremiereErreur;
    last.ullDerniereErreur = rec.ullDerniereErreur;
    last.ullPremierEvenement = rec.ullPremierEvenement;
    last.ullDernierEvenement = rec.ullDernierEvenement;
    return;
  }
  try {
    // Geometric growth: a fixed step would copy the whole index again every few records.
    if (recs_.size() == recs_.capacity()) recs_.reserve(std::max(kCroissance, recs_.capacity() * 2));
    recs_.push_back(rec);
  } catch (const std::bad_alloc&) {
    // Without room the index is dropped; rows are then found by reading from the zone start.
    std::vector<INDEX_TRAMES>().swap(recs_);
  }
}

void CIndexTrames::Vide() {
  std::lock_guard lock(mutex_);
  recs_.clear();
}

void CIndexTrames::Remplace(std::vector<INDEX_TRAMES> recs) {
  recs.shrink_to_fit();
  std::lock_guard lock(mutex_);
  recs_ = std::move(recs);
}

size_t CIndexTrames::Nombre() const {
  std::lock_guard lock(mutex_);
  return recs_.size();
}

std::vector<INDEX_TRAMES> CIndexTrames::Copie() const {
  std::lock_guard lock(mutex_);
  return recs_;
}

}  // namespace brv
