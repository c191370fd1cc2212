#include "brv_core/timing/period_stats.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace brv {

int ClasseHistogramme(int64_t ns) {
  if (ns < 1000) return 0;
  const int k = std::bit_width(static_cast<uint64_t>(ns / 1000));
  return std::min(k, kNbClassesHistogramme - 1);
}

int64_t BorneBasseClasseNs(int k) {
  if (k <= 0) return 0;
  return (int64_t{1} << (std::min(k, kNbClassesHistogramme - 1) - 1)) * 1000;
}

ResumeDurees CDurees::Resume() const {
  ResumeDurees r;
  r.n = n_;
  if (n_ == 0) return r;
  r.minNs = min_;
  r.maxNs = max_;
  const double n = static_cast<double>(n_);
  const double m = somme_ / n;
  r.moyenneNs = static_cast<double>(ref_) + m;
  r.ecartTypeNs = std::sqrt(std::max(0.0, sommeCarres_ / n - m * m));
  return r;
}

void CPeriodes::FixeNominal() {
  if (echantillon_.empty()) return;
  std::vector<int64_t> tri = echantillon_;
  const auto milieu = tri.begin() + static_cast<std::ptrdiff_t>(tri.size() / 2);
  std::nth_element(tri.begin(), milieu, tri.end());
  // Never 0, which means "not known yet".
  nominalNs_ = std::max<int64_t>(*milieu, 1);
  seuilNs_ = static_cast<int64_t>(static_cast<double>(nominalNs_) * tolerancePct_ / 100.0);
  for (const int64_t p : echantillon_) Juge(p);
  echantillon_.clear();
  echantillon_.shrink_to_fit();
}

ResumePeriodes CPeriodes::Resume() {
  if (nominalNs_ == 0) FixeNominal();
  ResumePeriodes r;
  r.periode = durees_.Resume();
  r.histogramme = histogramme_;
  if (r.periode.n == 0) return r;
  r.nominalNs = nominalNs_;
  r.horsTolerance = horsTolerance_;
  const int64_t auDessus = r.periode.maxNs - nominalNs_;
  const int64_t auDessous = nominalNs_ - r.periode.minNs;
  r.pireEcartNs = std::max(auDessus, auDessous);
  r.pire = auDessus >= auDessous ? finMax_ : finMin_;
  return r;
}

}  // namespace brv
