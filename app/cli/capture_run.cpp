#include "capture_run.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include <vandrel/vandrel.h>

#include "output.h"

namespace brv::cli {

namespace {

// Short enough for a prompt reaction to Ctrl-C, long enough to leave the engine's threads the CPU.
constexpr auto kPollPeriod = std::chrono::milliseconds(20);

bool read_header(CVandrel& engine, vandrel::ENTETE_FICHIER& header) {
  uint8_t bytes[vandrel::kTailleEntete];
  if (engine.get_header_file(bytes, sizeof bytes) != vandrel::kTailleEntete) return false;
  header = vandrel::lire_entete(bytes);
  return true;
}

}  // namespace

FreeRunOutcome run_free_capture(CVandrel& engine, const FreeRunSettings& settings, const std::atomic<bool>& stop,
                                const ProgressFn& progress) {
  FreeRunOutcome out;
  vandrel::ParametresAcq p;
  p.ini.enTypeAcq = vandrel::SANS_SYN;
  p.ini.bAcqContinue = settings.circular ? 1 : 0;
  p.ini.ullLgZonePostTrig = settings.size;
  // The engine counts durations in 100 ns units, negative for a relative time.
  if (settings.seconds) p.ini.llDureeZonePostTrig = -static_cast<int64_t>(*settings.seconds * 10'000'000.0);
  p.chemin = settings.path;
  const std::vector<uint8_t> block = vandrel::construit_ini_acq(p);
  out.start_error = engine.start_acquisition(block.data(), static_cast<unsigned long>(block.size()));
  if (out.start_error != 0) {
    // Releases whatever the failed start had taken.
    engine.stop_acquisition();
    return out;
  }

  vandrel::ENTETE_FICHIER header{};
  for (;;) {
    if (read_header(engine, header)) {
      if (progress) progress(header.enEtatAcq, header.ullLgZonePostTrig);
      if (vandrel::etat_final(header.enEtatAcq)) break;
    }
    if (stop.load()) {
      out.user_stop = true;
      break;
    }
    std::this_thread::sleep_for(kPollPeriod);
  }

  out.stop_error = engine.stop_acquisition();
  if (read_header(engine, header)) {
    out.end_state = header.enEtatAcq;
    out.bytes = header.ullLgZonePostTrig;
    if (progress) progress(header.enEtatAcq, header.ullLgZonePostTrig);
  }
  return out;
}

std::optional<uint64_t> write_ground_truth(const std::string& path, const std::vector<simcard::TruthFrame>& truth,
                                           uint64_t sent) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return std::nullopt;
  std::string line;
  bool ok = true, first = true;
  uint64_t base = 0, index = 0;
  for (size_t i = 0; i < truth.size() && i < sent; ++i) {
    const simcard::TruthFrame& frame = truth[i];
    if (!frame.delivered) continue;
    if (first) base = frame.date;
    first = false;
    line = "{\"index\": " + std::to_string(index++) + ", \"date\": " + std::to_string(frame.date - base) +
           ", \"status\": " + std::to_string(frame.status) + ", \"hex\": \"";
    append_hex_bytes(line, frame.bytes.data(), frame.bytes.size());
    line += "\"}\n";
    ok = ok && std::fwrite(line.data(), 1, line.size(), f) == line.size();
  }
  ok = std::fclose(f) == 0 && ok;
  if (!ok) return std::nullopt;
  return index;
}

int exit_status_for(uint32_t end_state) {
  return end_state == vandrel::FIN_NORMALE || end_state == vandrel::ARRET_UTILISATEUR ? 0 : kExitFailure;
}

}  // namespace brv::cli
