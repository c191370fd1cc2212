// The program's frames list on a large capture, offscreen: time from the Open command to painted
// rows with and without stored results, time to paint after a jump to a random row, and resident
// memory after travelling the whole list. Usage: brv_ui_bench [frames] [folder]
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "brv_core/synth/sample_capture.h"
#include "frames/frames_view.h"
#include "shell/main_window.h"
#include "shell/monitor_task.h"
#include "shell/qt_reporter.h"

namespace {

using namespace brv::ui;

long RssKo() {
  std::ifstream f("/proc/self/status");
  std::string ligne;
  while (std::getline(f, ligne)) {
    if (ligne.rfind("VmRSS:", 0) == 0) return std::stol(ligne.substr(6));
  }
  return 0;
}

// Answers every question with Yes and lets boxes go unseen: nothing must wait for a user.
class RapportBanc : public CRapportQt {
 public:
  void BoiteMessage(std::string_view t, brv::IconeMessage) override { std::fprintf(stderr, "box: %.*s\n", int(t.size()), t.data()); }
  bool QuestionOuiNon(std::string_view) override { return true; }
};

EtatApplication HorsLigne() {
  EtatApplication e;
  e.horsLigne = true;
  return e;
}

// Opens the capture and returns the milliseconds until rows are painted.
double OuvreEtPeint(CMainFrame& f, const QString& chemin) {
  QElapsedTimer t;
  t.start();
  f.OuvreCapture(chemin);
  while (f.Liste()->NombreLignes() == 0) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  f.Liste()->viewport()->repaint();
  return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

void AttendFin(CMainFrame& f) {
  while (f.Tache()->EnCours()) QApplication::processEvents(QEventLoop::AllEvents, 20);
  // The last batch of rows reaches the list within a tenth of a second.
  while (f.Liste()->NombreLignes() < f.Document().Resultats.ulNbTramesAffichables) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const uint64_t trames = argc > 1 ? std::stoull(argv[1]) : 45000000ULL;
  const std::string dossier = argc > 2 ? argv[2] : "/tmp";
  const std::string brut = dossier + "/brv_ui_bench_raw.dat";
  const std::string stocke = dossier + "/brv_ui_bench_stored.dat";

  brv::SampleCaptureOptions o;
  o.frames = trames;
  o.seed = 11;
  brv::SampleCaptureSummary resume;
  std::string erreur;
  if (!QFile::exists(QString::fromStdString(brut))) {
    std::printf("writing %llu frames...\n", static_cast<unsigned long long>(trames));
    if (!brv::write_sample_capture(brut, o, resume, erreur)) {
      std::fprintf(stderr, "%s\n", erreur.c_str());
      return 1;
    }
  }
  std::printf("capture: %.2f GB\n", static_cast<double>(QFile(QString::fromStdString(brut)).size()) / 1e9);

  RapportBanc rapport;
  CMainFrame f(rapport, HorsLigne());
  f.resize(1200, 800);
  f.show();
  QApplication::processEvents();
  const long rssVide = RssKo();

  // Without stored results: rows painted while the capture is read.
  const double sansResultats = OuvreEtPeint(f, QString::fromStdString(brut));
  std::printf("open without stored results: first rows painted in %.1f ms (re-calculation goes on)\n", sansResultats);
  QElapsedTimer relecture;
  relecture.start();
  AttendFin(f);
  std::printf("re-calculation of %llu rows ended after %.1f s more\n",
              static_cast<unsigned long long>(f.Liste()->NombreLignes()),
              static_cast<double>(relecture.elapsed()) / 1000.0);

  // A copy that carries its results.
  QFile::remove(QString::fromStdString(stocke));
  QFile::copy(QString::fromStdString(brut), QString::fromStdString(stocke));
  f.OuvreCapture(QString::fromStdString(stocke));
  AttendFin(f);
  f.Document().SaveAcquisitionTail();

  const double avecResultats = OuvreEtPeint(f, QString::fromStdString(stocke));
  std::printf("open with stored results: first rows painted in %.1f ms\n", avecResultats);
  if (f.Tache()->EnCours()) std::printf("  (unexpected: the capture is being read again)\n");

  // Jumps anywhere, as a dragged scroll bar does.
  QScrollBar* barre = f.Liste()->verticalScrollBar();
  std::mt19937_64 alea(5);
  std::vector<double> sauts;
  for (int i = 0; i < 200; ++i) {
    const int cible = static_cast<int>(alea() % static_cast<uint64_t>(barre->maximum() + 1));
    QElapsedTimer t;
    t.start();
    barre->setValue(cible);
    f.Liste()->viewport()->repaint();
    sauts.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  std::sort(sauts.begin(), sauts.end());
  std::printf("jump and paint over 200 jumps: median %.2f ms, 99th percentile %.2f ms, max %.2f ms\n",
              sauts[sauts.size() / 2], sauts[sauts.size() * 99 / 100], sauts.back());

  // The whole list: page by page through its first 100,000 rows, then in 20,000 even steps to the end.
  barre->setValue(0);
  int pages = 0;
  while (barre->value() < std::min(barre->maximum(), 100000)) {
    barre->setValue(barre->value() + barre->pageStep());
    f.Liste()->viewport()->repaint();
    ++pages;
  }
  const int pas = std::max(1, barre->maximum() / 20000);
  for (int v = barre->value(); v < barre->maximum(); v += pas) {
    barre->setValue(v);
    f.Liste()->viewport()->repaint();
  }
  barre->setValue(barre->maximum());
  f.Liste()->viewport()->repaint();
  QApplication::processEvents();
  std::printf("resident memory: %.1f MB when empty, %.1f MB above it after the whole list (%d pages, then steps of %d rows)\n",
              rssVide / 1024.0, (RssKo() - rssVide) / 1024.0, pages, pas);
  return 0;
}
