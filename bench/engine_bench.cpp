// The acquisition engine fed by the simulated card as fast as it can send, onto disk: sustained
// frames per second of a free-run capture (linear and circular) over a fixed wall time, the CPU
// time of the whole process per frame, and whether the engine gave up with ERR_BUFFERS.

#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include <ftd2xx/virtual_device.h>
#include <kestrin/usb_ftd2xx_com.h>
#include <simcard/simcard.h>
#include <vandrel/vandrel.h>

namespace {

constexpr auto kRunTime = std::chrono::seconds(2);

double process_cpu_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

uint32_t header_state(CVandrel& engine) {
  uint8_t bytes[vandrel::kTailleEntete];
  if (engine.get_header_file(bytes, sizeof bytes) != vandrel::kTailleEntete) return 0;
  return vandrel::lire_entete(bytes).enEtatAcq;
}

// Arguments: preset (0 clean at 1 Mbit/s, 1 stress at 5 Mbit/s), circular (0 or 1), the card's
// frame rate cap (0: none; a real bus carries some tens of thousands of frames a second at most).
void BM_EngineFreeRun(benchmark::State& state) {
  const bool stress = state.range(0) != 0;
  const bool circular = state.range(1) != 0;
  const auto cap = static_cast<double>(state.range(2));
  static int run = 0;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("brv_engine_bench_" + std::to_string(::getpid()) + ".dat")).string();
  double frames_per_s = 0, cpu_per_frame = 0, err_buffers = 0, end_state = 0, megabytes_per_s = 0, ended_after = 0,
         stop_s = 0;

  for (auto _ : state) {
    simcard::Scenario sc = *simcard::preset(stress ? "stress" : "clean");
    sc.serial = "BENCH" + std::to_string(++run);
    sc.pacing = simcard::Pacing::AsFastAsPossible;
    sc.max_fps = cap;
    auto card = simcard::register_simulated_card(sc);
    const auto found = CUsbFtd2xxCom::get_com_info_by_sn(card->serial());
    CVandrel engine(0);
    if (found.empty() || engine.connect(static_cast<unsigned char>(found[0]->m_index)) != 0) {
      state.SkipWithError("cannot connect to the simulated card");
      ftd2xx::unregister_virtual_device(card);
      break;
    }
    vandrel::ParametresAcq p;
    p.ini.enTypeAcq = vandrel::SANS_SYN;
    p.ini.bAcqContinue = circular ? 1 : 0;
    // Linear: more than the run can fill. Circular: a ring of some tens of megabytes.
    p.ini.ullLgZonePostTrig = circular ? uint64_t{64} << 20 : uint64_t{1} << 40;
    p.chemin = path;
    const auto block = vandrel::construit_ini_acq(p);

    const double cpu0 = process_cpu_seconds();
    const auto t0 = std::chrono::steady_clock::now();
    if (engine.start_acquisition(block.data(), static_cast<unsigned long>(block.size())) != 0) {
      state.SkipWithError("start_acquisition refused");
      engine.disconnect();
      ftd2xx::unregister_virtual_device(card);
      break;
    }
    // Seconds until the engine ended by itself; 0 when it ran the whole time.
    ended_after = 0;
    while (std::chrono::steady_clock::now() - t0 < kRunTime) {
      if (vandrel::etat_final(header_state(engine))) {
        ended_after = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const auto t_stop = std::chrono::steady_clock::now();
    engine.stop_acquisition();
    stop_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t_stop).count();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = process_cpu_seconds() - cpu0;
    const uint32_t final_state = header_state(engine);
    uint8_t bytes[vandrel::kTailleEntete];
    engine.get_header_file(bytes, sizeof bytes);
    const uint64_t written = vandrel::lire_entete(bytes).ullLgZonePostTrig;
    const auto frames = static_cast<double>(card->frames_sent());
    engine.disconnect();
    ftd2xx::unregister_virtual_device(card);

    frames_per_s = frames / wall;
    cpu_per_frame = frames > 0 ? cpu / frames * 1e9 : 0;
    err_buffers = final_state == vandrel::ERR_BUFFERS ? 1 : 0;
    end_state = final_state;
    // A ring's length stops growing once it wrapped.
    megabytes_per_s = circular ? 0 : static_cast<double>(written) / wall / 1e6;
    state.SetIterationTime(wall);
  }
  std::remove(path.c_str());
  state.counters["frames_per_s"] = frames_per_s;
  state.counters["cpu_ns_per_frame"] = cpu_per_frame;
  state.counters["err_buffers"] = err_buffers;
  state.counters["end_state"] = end_state;
  state.counters["zone_MB_per_s"] = megabytes_per_s;
  state.counters["ended_after_s"] = ended_after;
  state.counters["stop_s"] = stop_s;  // how long stop_acquisition took
  state.SetLabel(std::string(stress ? "stress 5M" : "clean 1M") + (circular ? " circular" : " linear") +
                 (cap > 0 ? " capped" : " uncapped"));
}
BENCHMARK(BM_EngineFreeRun)
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 200000, 1000000}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
