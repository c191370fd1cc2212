#pragma once
// Accumulators of durations for the bus timing analysis: minimum, mean, maximum and standard
// deviation in constant memory, and the scan periods of one identifier with their histogram,
// nominal period and deviations from it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brv {

// Fixed logarithmic buckets of the period histogram: bucket 0 holds periods below 1 µs, bucket k
// (1..30) periods in [2^(k-1), 2^k) µs, bucket 31 everything from 2^30 µs (about 18 minutes).
inline constexpr int kNbClassesHistogramme = 32;
int ClasseHistogramme(int64_t ns);
// Lower bound of bucket k in nanoseconds (0 for bucket 0).
int64_t BorneBasseClasseNs(int k);

using Histogramme = std::array<uint64_t, kNbClassesHistogramme>;

struct ResumeDurees {
  uint64_t n = 0;
  int64_t minNs = 0;
  int64_t maxNs = 0;
  double moyenneNs = 0;
  double ecartTypeNs = 0;  // population standard deviation
};

class CDurees {
 public:
  void Ajoute(int64_t ns) {
    if (n_ == 0) {
      ref_ = min_ = max_ = ns;
    } else if (ns < min_) {
      min_ = ns;
    } else if (ns > max_) {
      max_ = ns;
    }
    ++n_;
    // Sums taken about the first value: the mean and variance of long periods with a small
    // spread keep their precision.
    const double d = static_cast<double>(ns - ref_);
    somme_ += d;
    sommeCarres_ += d * d;
  }
  ResumeDurees Resume() const;
  uint64_t N() const { return n_; }
  int64_t Min() const { return min_; }
  int64_t Max() const { return max_; }

 private:
  uint64_t n_ = 0;
  int64_t min_ = 0;
  int64_t max_ = 0;
  int64_t ref_ = 0;
  double somme_ = 0;
  double sommeCarres_ = 0;
};

// The nominal period is the median of the first kEchantillonNominal periods (all of them when
// there are fewer), so that memory stays bounded however long the capture: periods before it is
// known are kept and judged once it is, later ones as they come.
inline constexpr size_t kEchantillonNominal = 127;

// A scan: the call that ended a period, by its date and the caller's mark of its record.
struct Scan {
  int64_t dateNs = 0;
  uint64_t repere = 0;
};

struct ResumePeriodes {
  ResumeDurees periode;
  Histogramme histogramme{};
  int64_t nominalNs = 0;       // 0 without any period
  uint64_t horsTolerance = 0;  // periods further than the tolerance from the nominal period
  int64_t pireEcartNs = 0;     // largest distance of a period from the nominal period
  Scan pire;                   // the scan that ended that period
};

class CPeriodes {
 public:
  explicit CPeriodes(double tolerancePct = 10.0) : tolerancePct_(tolerancePct) {}

  // fin: the call that ended the period.
  void Ajoute(int64_t ns, Scan fin = {}) {
    // The shortest and longest periods are the candidates for the worst one.
    if (durees_.N() == 0 || ns < durees_.Min()) finMin_ = fin;
    if (durees_.N() == 0 || ns > durees_.Max()) finMax_ = fin;
    durees_.Ajoute(ns);
    ++histogramme_[static_cast<size_t>(ClasseHistogramme(ns))];
    if (nominalNs_ == 0) {
      echantillon_.push_back(ns);
      if (echantillon_.size() == kEchantillonNominal) FixeNominal();
    } else {
      Juge(ns);
    }
  }
  ResumePeriodes Resume();

 private:
  void FixeNominal();
  void Juge(int64_t ns) {
    const int64_t e = ns > nominalNs_ ? ns - nominalNs_ : nominalNs_ - ns;
    if (e > seuilNs_) ++horsTolerance_;
  }

  double tolerancePct_;
  CDurees durees_;
  Histogramme histogramme_{};
  Scan finMin_;
  Scan finMax_;
  std::vector<int64_t> echantillon_;
  int64_t nominalNs_ = 0;
  int64_t seuilNs_ = 0;
  uint64_t horsTolerance_ = 0;
};

}  // namespace brv
