// The data-rate chart with a long run's points, offscreen: the time of a full redraw (points taken,
// reduced, handed to the series and painted) for the whole run, for a zoomed window, and for the
// window that follows a run. Usage: brv_chart_bench [points] [repeats]
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "charts/data_rate_chart.h"

namespace {

double Centile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5))];
}

// A run's points: a noisy data load, rare messages and errors, one every 100 ms.
brv::InstantaneVues Run(size_t n) {
  brv::InstantaneVues v;
  v.ullIntervalleNs = 100'000'000;
  v.points.resize(n);
  std::mt19937 alea(7);
  std::uniform_real_distribution<float> bruit(0, 1);
  for (size_t i = 0; i < n; ++i) {
    auto& p = v.points[i];
    p.ullTempsGraphe = (i + 1) * v.ullIntervalleNs;
    p.fChargeDonnees = 40 + 20 * std::sin(float(i) / 5000.f) + 10 * bruit(alea);
    p.fChargeMessages = bruit(alea) < 0.1f ? bruit(alea) * 5 : 0;
    p.fTauxErreur = bruit(alea) < 0.01f ? bruit(alea) : 0;
  }
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const size_t n = argc > 1 ? std::stoul(argv[1]) : 1'000'000;
  const int repeats = argc > 2 ? std::stoi(argv[2]) : 30;
  const brv::InstantaneVues run = Run(n);

  CGrapheDebits graphe;
  graphe.resize(1200, 300);
  graphe.show();
  QApplication::processEvents();

  const auto mesure = [&](const char* nom, auto&& change) {
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
      QElapsedTimer t;
      t.start();
      change(i);
      graphe.viewport()->repaint();
      ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::printf("%-44s %9.1f %9.1f %9.1f\n", nom, Centile(ms, 0.5), Centile(ms, 0.9), Centile(ms, 1));
  };
  std::printf("%zu points, %d redraws each, 1200 x 300 pixels\n", n, repeats);
  std::printf("%-44s %9s %9s %9s\n", "redraw", "median ms", "p90 ms", "worst ms");
  graphe.DefinitFenetrePoints(static_cast<int>(n));
  mesure("whole run (points taken again each time)", [&](int) { graphe.Affiche(run); });
  const uint64_t fin = run.points.back().ullTempsGraphe;
  mesure("zoomed to a tenth, moving", [&](int i) {
    const uint64_t debut = fin / 20 * static_cast<uint64_t>(i % 10);
    graphe.DefinitFenetre(debut, debut + fin / 10);
  });
  graphe.DefinitFenetrePoints(6000);
  graphe.Suit();
  mesure("following: the last 6000 intervals", [&](int) { graphe.Affiche(run); });
  return 0;
}
