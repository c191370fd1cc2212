#pragma once
// The "Timing" window: the scan timing of every identifier of the open capture in a sortable
// table, the rows out of tolerance or answered late marked, the macrocycle above, and the histogram
// of the selected identifier's scan periods and turnarounds; a double-click selects its worst
// scan in the frames list. The pass runs in a worker thread.

#include <QWidget>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "brv_core/timing/bus_timing.h"

class QChartView;
class QLabel;
class QTableWidget;

namespace brv::ui {

class CVueTiming : public QWidget {
  Q_OBJECT
 public:
  explicit CVueTiming(QWidget* parent = nullptr);
  ~CVueTiming() override;

  // Measures the capture at chemin (empty: none open); padding: the identifier left out, or -1.
  void Mesure(const std::string& chemin, int32_t padding);
  // Shows results (for the window's own use and the tests).
  void Affiche(const brv::ResultatTiming& r);

  QTableWidget* Table() const { return table_; }
  // The capture the results are of.
  const std::string& CheminMesure() const { return chemin_; }
  bool EnCours() const { return travail_.joinable(); }

 signals:
  void Resultat(std::shared_ptr<const brv::ResultatTiming> r, QString erreur);
  // Double-click on an identifier: the record of the call that ended its worst scan period.
  void PireScan(uint64_t repere);

 private:
  void Selection();
  void AllerAuPire(int ligne);
  void Attend();

  QLabel* resume_;
  QTableWidget* table_;
  QChartView* histogramme_;
  QChartView* retournements_;
  brv::ResultatTiming resultat_;
  std::thread travail_;
  std::string chemin_;
};

}  // namespace brv::ui
