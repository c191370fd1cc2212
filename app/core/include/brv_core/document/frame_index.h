#pragma once
// Frame indexes: one record per block of frame data, so that any row of a capture of any size
// is found without reading the file from its start. Each index has a lock of its own: the
// monitor task appends while the views read.

#include <cstdint>
#include <mutex>
#include <vector>

namespace brv {

struct INDEX_TRAMES {
  uint64_t ullPremiereLigne = 0;     // row number of the block's first row
  uint64_t ullPosFichier = 0;        // file offset of the block's first record
  uint32_t bDateZero = 0;            // the first row is the first post-trigger row
  uint32_t ulReserve = 0;            // kept as read
  uint64_t ullNbLignesErreur = 0;
  uint64_t ullNbLignesEvenement = 0;
  uint64_t ullPremiereErreur = 0;    // 0 when none
  uint64_t ullDerniereErreur = 0;
  uint64_t ullPremierEvenement = 0;
  uint64_t ullDernierEvenement = 0;
  friend bool operator==(const INDEX_TRAMES&, const INDEX_TRAMES&) = default;
};
static_assert(sizeof(INDEX_TRAMES) == 72);

// A record whose row number is all ones closes the list: it updates the last record.
inline constexpr uint64_t kLigneCloture = ~uint64_t{0};

class CIndexTrames {
 public:
  // The first allocation; the capacity doubles from there.
  static constexpr size_t kCroissance = 512;

  // Appends a record, or applies a closing record to the last one.
  void Ajoute(const INDEX_TRAMES& rec);
  // Empties the list; the capacity is kept.
  void Vide();
  // Replaces the whole list (reading from a file): capacity becomes exactly the count.
  void Remplace(std::vector<INDEX_TRAMES> recs);

  size_t Nombre() const;
  std::vector<INDEX_TRAMES> Copie() const;
  // Runs f on the records under the lock.
  template <typename F>
  void Lit(F&& f) const {
    std::lock_guard lock(mutex_);
    f(static_cast<const std::vector<INDEX_TRAMES>&>(recs_));
  }

 private:
  mutable std::mutex mutex_;
  std::vector<INDEX_TRAMES> recs_;
};

}  // namespace brv
