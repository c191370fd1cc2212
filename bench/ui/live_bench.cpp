// The program during a live capture, offscreen, on the simulated card through the real engine:
//  - latency: how long a frame takes from the bus to the frames list, at each bus speed, on a busy
//    bus (padding fills every cycle) and on a quiet one (a few variables, silence between cycles);
//  - load: how responsive the window stays at the busiest real rate (5 Mbit/s, paced) and uncapped
//    (the card as fast as the host takes it): event-loop latency from a timer probe, CPU time of
//    the GUI thread, rows shown.
// Usage: brv_live_bench [latency|load|all] [seconds per run] [folder]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <ftd2xx/virtual_device.h>
#include <kestrin/usb_ftd2xx_com.h>

#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"
#include "dialogs/wait_dialog.h"
#include "frames/frames_view.h"
#include "shell/main_window.h"
#include "shell/qt_reporter.h"
#include "simcard/scenario.h"
#include "simcard/simcard.h"

namespace {

using namespace brv::ui;
using Horloge = std::chrono::steady_clock;

class RapportBanc : public CRapportQt {
 public:
  void BoiteMessage(std::string_view t, brv::IconeMessage) override {
    std::fprintf(stderr, "box: %.*s\n", int(t.size()), t.data());
  }
  bool QuestionOuiNon(std::string_view) override { return true; }
};

double CpuThread() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double Centile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const auto i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

struct Resultat {
  std::vector<double> latencesTrameMs;  // per row: shown minus on the bus
  std::vector<double> retardsBoucleMs;  // per probe tick: how late it came
  double cpuGui = 0;                    // GUI thread CPU seconds per wall second
  uint64_t lignes = 0;
  uint64_t enregistrements = 0;
  double secondes = 0;
};

// One capture from the Free run command for `secondes`, stopped from the wait dialog.
Resultat Capture(const simcard::Scenario& sc, double secondes, const std::string& dossier, bool dates) {
  static int numero = 0;
  simcard::Scenario s = sc;
  s.serial = "LIVEB" + std::to_string(++numero);
  auto carte = simcard::register_simulated_card(s);
  Resultat r;
  const auto trouvee = CUsbFtd2xxCom::get_com_info_by_sn(carte->serial());
  if (trouvee.empty()) {
    std::fprintf(stderr, "no simulated card\n");
    return r;
  }
  RapportBanc rapport;
  EtatApplication e;
  e.carte = static_cast<uint16_t>(trouvee[0]->m_index);
  const std::string chemin = dossier + "/brv_live_bench_" + std::to_string(::getpid()) + ".dat";
  {
    CMainFrame f(rapport, e);
    f.resize(1280, 800);
    f.show();
    auto& c = f.Document().Config;
    c.cheminFichierAcq = chemin;
    c.ulActionDebut = brv::ACTION_ECRASER;
    c.postTrig.ullTaille = 4;
    c.postTrig.ucUnite = brv::UNITE_GO;

    // What the list shows, as it grows: (time, rows).
    std::vector<std::pair<Horloge::time_point, uint64_t>> lignes;
    constexpr int kPeriodeSonde = 5;
    QTimer sonde;
    sonde.setTimerType(Qt::PreciseTimer);
    Horloge::time_point attendu{};
    QObject::connect(&sonde, &QTimer::timeout, [&] {
      const auto maintenant = Horloge::now();
      if (attendu != Horloge::time_point{}) {
        r.retardsBoucleMs.push_back(
            std::max(0.0, std::chrono::duration<double, std::milli>(maintenant - attendu).count()));
      }
      attendu = maintenant + std::chrono::milliseconds(kPeriodeSonde);
      const uint64_t n = static_cast<uint64_t>(f.Liste()->NombreLignes());
      if (lignes.empty() || n != lignes.back().second) lignes.emplace_back(maintenant, n);
    });
    if (!f.Demarre(false)) {
      std::fprintf(stderr, "the capture did not start\n");
      ftd2xx::unregister_virtual_device(carte);
      return r;
    }
    const double cpu0 = CpuThread();
    const auto debut = Horloge::now();
    sonde.start(kPeriodeSonde);
    QEventLoop boucle;
    QTimer::singleShot(static_cast<int>(secondes * 1000), &boucle, &QEventLoop::quit);
    boucle.exec();
    sonde.stop();
    r.secondes = std::chrono::duration<double>(Horloge::now() - debut).count();
    r.cpuGui = (CpuThread() - cpu0) / r.secondes;
    if (f.Attente()) emit f.Attente()->Arret();
    while (f.AcquisitionEnCours()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    r.lignes = static_cast<uint64_t>(f.Liste()->NombreLignes());

    if (dates) {
      // Row k is record k (no display filter); its bus time is its date after the traffic began.
      brv::AcqFile fichier;
      if (fichier.open(chemin) == brv::AcqOpenStatus::Ok) {
        brv::RecordCursor curseur(fichier);
        curseur.seek_begin();
        brv::FrameRecord rec;
        std::vector<uint64_t> dateDe;
        while (curseur.next(rec) == brv::WalkStatus::Record) dateDe.push_back(rec.date());
        r.enregistrements = dateDe.size();
        const double dixiemesParSeconde = 10.0 * s.bits_per_second();
        const auto t0 = carte->traffic_started();
        uint64_t avant = 0;
        for (const auto& [quand, n] : lignes) {
          for (uint64_t k = avant; k < n && k < dateDe.size(); ++k) {
            const auto surBus = t0 + std::chrono::duration_cast<Horloge::duration>(
                                         std::chrono::duration<double>(static_cast<double>(dateDe[k]) / dixiemesParSeconde));
            r.latencesTrameMs.push_back(std::chrono::duration<double, std::milli>(quand - surBus).count());
          }
          avant = std::max(avant, n);
        }
      }
    }
  }
  std::filesystem::remove(chemin);
  ftd2xx::unregister_virtual_device(carte);
  return r;
}

const char* NomVitesse(simcard::Speed v) {
  switch (v) {
    case simcard::Speed::k31_25k: return "31.25 kbit/s";
    case simcard::Speed::k1M: return "1 Mbit/s";
    case simcard::Speed::k2_5M: return "2.5 Mbit/s";
    case simcard::Speed::k5M: return "5 Mbit/s";
  }
  return "?";
}

simcard::Scenario Occupe(simcard::Speed v) {
  simcard::Scenario s = *simcard::preset("clean");
  s.speed = v;
  return s;
}

// A few variables with long periods and silence instead of padding.
simcard::Scenario Calme(simcard::Speed v) {
  simcard::Scenario s = *simcard::preset("clean");
  s.speed = v;
  s.padding = false;
  s.cycle_us = 20000;
  s.stations = 4;
  s.variables = {{0x0101, 1, 5, 8}, {0x0102, 2, 10, 16}, {0x0103, 3, 50, 32}};
  s.message_rate = s.aperiodic_rate = 0;
  return s;
}

void Latences(double secondes, const std::string& dossier) {
  std::printf("%-13s %-6s %9s %9s %9s %11s %9s %11s\n", "speed", "bus", "frames/s", "rows", "best ms", "median ms",
              "p99 ms", "worst ms");
  for (const auto v : {simcard::Speed::k31_25k, simcard::Speed::k1M, simcard::Speed::k2_5M, simcard::Speed::k5M}) {
    for (const bool calme : {false, true}) {
      const Resultat r = Capture(calme ? Calme(v) : Occupe(v), secondes, dossier, true);
      if (r.lignes != r.enregistrements) {
        std::printf("(rows %llu and records %llu differ: latencies below are approximate)\n",
                    static_cast<unsigned long long>(r.lignes), static_cast<unsigned long long>(r.enregistrements));
      }
      const auto& l = r.latencesTrameMs;
      std::printf("%-13s %-6s %9.0f %9llu %9.0f %11.0f %9.0f %11.0f\n", NomVitesse(v), calme ? "quiet" : "busy",
                  static_cast<double>(r.enregistrements) / r.secondes, static_cast<unsigned long long>(r.lignes),
                  Centile(l, 0), Centile(l, 0.5), Centile(l, 0.99), Centile(l, 1));
      std::fflush(stdout);
    }
  }
}

void Charge(double secondes, const std::string& dossier) {
  std::printf("%-28s %10s %12s %12s %12s %10s\n", "run", "frames/s", "loop med ms", "loop p99 ms", "loop max ms",
              "GUI cores");
  // The busiest real bus: 5 Mbit/s of short frames, about 110 k frames a second.
  simcard::Scenario paced = *simcard::preset("stress");
  paced.max_fps = 110000;
  simcard::Scenario million = *simcard::preset("stress");
  million.max_fps = 1e6;
  simcard::Scenario uncapped = *simcard::preset("stress");
  uncapped.max_fps = 0;
  const std::pair<const char*, simcard::Scenario> runs[] = {{"110 k frames/s", paced},
                                                            {"1 M frames/s", million},
                                                            {"uncapped", uncapped}};
  for (const auto& [nom, sc] : runs) {
    const Resultat r = Capture(sc, secondes, dossier, false);
    const auto& b = r.retardsBoucleMs;
    std::printf("%-28s %10.0f %12.1f %12.1f %12.1f %10.3f\n", nom, static_cast<double>(r.lignes) / r.secondes,
                Centile(b, 0.5), Centile(b, 0.99), b.empty() ? 0 : *std::max_element(b.begin(), b.end()), r.cpuGui);
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The offscreen platform says so for every window it shows.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
    if (!m.contains("propagateSizeHints")) std::fprintf(stderr, "%s\n", qPrintable(m));
  });
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The program's settings stay out of the user's.
  const std::string dossier = argc > 3 ? argv[3] : std::filesystem::temp_directory_path().string();
  if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dossier));
  QApplication app(argc, argv);
  const std::string quoi = argc > 1 ? argv[1] : "all";
  const double secondes = argc > 2 ? std::stod(argv[2]) : 5;
  if (quoi == "latency" || quoi == "all") Latences(secondes, dossier);
  if (quoi == "load" || quoi == "all") Charge(secondes, dossier);
  return 0;
}
