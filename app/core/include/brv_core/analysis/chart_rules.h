#pragma once
// How the data-rate chart turns the points of a run into what it draws: the time axis unit, the
// logarithmic scale of the message and error series, the value pop-up, the window that follows a
// run and the reduction of many points to a few per pixel column. Kept free of the GUI so that
// the rules are tested without a display.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "brv_core/analysis/statistics.h"

namespace brv {

struct UniteAxeTemps {
  const char* nom;    // axis title
  double nsParUnite;  // nanoseconds in one unit of the axis
};

// The unit for a span of time shown (ns): each unit holds up to its limit, the limit included.
UniteAxeTemps UniteAxe(uint64_t etendueNs);

enum SerieDebit : int { SERIE_DONNEES = 0, SERIE_MESSAGES, SERIE_ERREURS };
inline constexpr int kNbSeriesDebit = 3;

bool SerieLogarithmique(SerieDebit serie);
float ValeurSerie(const PointDebit& p, SerieDebit serie);

// Percent to the 0..100 axis: (log10(v) + 2) × 25 from 0.01 %, 0 below.
double EchelleLog(double pourcent);
// The axis back to percent; the bottom of the axis reads 0.
double InverseEchelleLog(double y);
// The height of a point's value on the 0..100 axis, through the scale of its series.
double OrdonneeSerie(const PointDebit& p, SerieDebit serie);

// The pop-up of a drawn point: the time in the axis unit and the value, in percent.
std::string TexteInfoBulle(double tempsUnite, double ordonnee, SerieDebit serie);

// A step of 1, 2 or 5 times a power of ten giving about `nbVise` graduations over the span.
double PasGraduation(double etendue, int nbVise);

struct FenetreTemps {
  uint64_t debutNs = 0;
  uint64_t finNs = 0;
};

// The window of a followed run: the last `nbPoints` intervals. A run shorter than that starts at
// the left edge and fills the window; without a known interval, the points' own span.
FenetreTemps FenetreSuivie(std::span<const PointDebit> pts, uint64_t intervalleNs, uint32_t nbPoints);

// Picks the points worth drawing in a window `largeurPx` pixels wide: per pixel column and series
// the first, the lowest, the highest and the last point, so that peaks survive; plus the nearest
// point on each side of the window so that lines reach its edges. Points are sorted by time.
// Linear in the points of the window; the index arrays keep their storage from call to call.
class CReductionPoints {
 public:
  void Reduit(std::span<const PointDebit> pts, FenetreTemps fenetre, int largeurPx);
  // Indices into the points given to Reduit, increasing.
  const std::vector<size_t>& Indices(SerieDebit serie) const { return indices_[serie]; }

 private:
  struct Colonne {
    size_t premier = 0, mini = 0, maxi = 0;
    float vMini = 0, vMaxi = 0;
  };
  void Ferme(const std::array<Colonne, kNbSeriesDebit>& c, size_t dernier);

  std::array<std::vector<size_t>, kNbSeriesDebit> indices_;
};

}  // namespace brv
