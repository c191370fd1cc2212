#include "brv_core/synth/sample_capture.h"

#include <algorithm>
#include <cerrno>

#include <brv_platform/filetime.h>
#include <brv_platform/files.h>

#include "brv_core/synth/sample_traffic.h"
#include "zone_writer.h"

namespace brv {
namespace {

using namespace vandrel;

constexpr uint64_t kRecordEstimate = 24;  // average record size of the sample traffic
constexpr uint64_t kCircularBlocks = 8;
constexpr uint64_t kPretrigMinimum = 3100;

// Date units (tenths of a bit time) per second at a speed code.
uint64_t units_per_second(uint32_t speed) {
  switch (speed) {
    case VITESSE_31K25: return 312500;
    case VITESSE_2M5: return 25000000;
    case VITESSE_5M: return 50000000;
    default: return 10000000;
  }
}

// Turns the traffic into dated records, the way the engine dates them.
class RecordMaker {
 public:
  RecordMaker(const SampleCaptureOptions& o) : traffic_(o.worldfip, o.seed), ups_(units_per_second(o.speed)) {}

  // Makes the next record into rec; returns its length.
  uint16_t next(uint8_t* rec) {
    if (started_) date_ += last_time_;
    started_ = true;
    traffic_.next(frame_);
    if (frame_.traffic_gap) date_ += ups_ * 3;  // the clock ran on while the bus was silent
    last_time_ = frame_.frame_time;
    return ecrire_enreg(rec, date_ & kMasqueDate, frame_.bytes, frame_.len, frame_.status);
  }

  // Restarts the time base at the frame just made (the trigger): date 0, status 0.
  uint16_t rebase(uint8_t* rec) {
    date_ = 0;
    return ecrire_enreg(rec, 0, frame_.bytes, frame_.len, 0);
  }

  uint64_t date() const { return date_; }

 private:
  SampleTraffic traffic_;
  SampleFrame frame_;
  uint64_t ups_;
  uint64_t date_ = 0;
  uint32_t last_time_ = 0;
  bool started_ = false;
};

uint64_t start_filetime(uint64_t seed) {
  platform::CalendarFields f{2026, 3, 17, 9, 30, 0, 0};
  uint64_t ft = 0;
  platform::fields_to_filetime(f, ft);
  return ft + (seed % 86400) * platform::kFiletimeTicksPerSecond;
}

}  // namespace

bool write_sample_capture(const std::string& path, const SampleCaptureOptions& o, SampleCaptureSummary& summary,
                          std::string& error) {
  summary = {};
  if (o.speed > VITESSE_5M) {
    error = "speed code must be 0 to 3";
    return false;
  }
  if (o.layout == AcqLayout::Circular && o.zone_size != 0 && o.zone_size < kCircularBlocks * 512) {
    error = "circular zone size must be at least 4096 bytes";
    return false;
  }
  if (o.zone_size > kZoneSizeMax) {
    error = "zone size must be at most " + std::to_string(kZoneSizeMax) + " bytes";
    return false;
  }

  // Written beside the target and renamed into place once whole.
  platform::AtomicFile out;
  if (!out.open(path)) {
    error = "cannot create " + path + ": " + out.error();
    return false;
  }

  ENTETE_FICHIER h{};
  h.ulFormatEntete = kFormatEntete;
  h.enEtatAcq = FIN_NORMALE;
  h.enTypeBoitier = BT_ZIZA_BI;
  h.enVitesse = o.speed;
  h.bTramesTypeFip = o.worldfip ? 0 : 1;
  h.uliDateDetect = start_filetime(o.seed);
  h.ullPosZonePostTrig = kTailleEntete;

  RecordMaker maker(o);
  uint8_t rec[512];
  bool ok = true;
  const uint64_t estimate = o.frames * kRecordEstimate;

  if (o.layout == AcqLayout::Linear) {
    ZoneWriter zone(out.fd(), kTailleEntete, 0);
    for (uint64_t i = 0; i < o.frames && ok; ++i) ok = zone.append_record(rec, maker.next(rec));
    ok = ok && zone.flush();
    h.ullLgZonePostTrig = zone.written();
    summary.bytes_written = zone.written();
  } else if (o.layout == AcqLayout::Circular) {
    uint64_t block = (o.zone_size ? o.zone_size : std::min(estimate * 2 / 5, kZoneSizeMax)) / kCircularBlocks;
    if (o.zone_size == 0) block = std::max<uint64_t>(4096, block / 4096 * 4096);
    const uint64_t size = block * kCircularBlocks;
    ZoneWriter zone(out.fd(), kTailleEntete, size);
    for (uint64_t i = 0; i < o.frames && ok; ++i) ok = zone.append_record(rec, maker.next(rec));
    ok = ok && zone.flush();
    h.enEtatAcq = ARRET_UTILISATEUR;  // a circular capture runs until stopped
    h.ulLgBlocTournant = static_cast<uint32_t>(block);
    h.ullLgZonePostTrig = zone.wrapped() ? size : zone.written();
    h.ullPosTournantDebut = zone.oldest_record(block);
    h.ullPosTournantFin = zone.last_byte();
    summary.bytes_written = zone.written();
  } else {
    const uint64_t pre_frames = o.frames / 2;
    const uint64_t requested =
        std::max(kPretrigMinimum,
                 o.zone_size ? o.zone_size : std::min(pre_frames * kRecordEstimate * 10 / 11 / 2, kZoneSizeMax));
    const uint64_t block = requested / 10;
    const uint64_t size = block * 11;
    h.ullPosZonePreTrig = kTailleEntete;
    ZoneWriter pre(out.fd(), kTailleEntete, size);
    for (uint64_t i = 0; i < pre_frames && ok; ++i) ok = pre.append_record(rec, maker.next(rec));
    ok = ok && pre.flush();
    if (pre.written() == 0) {
      h.ullPosTournantDebut = h.ullPosTournantFin = kTailleEntete;
    } else {
      h.ullPosTournantDebut = pre.oldest_record(block);
      h.ullPosTournantFin = pre.last_byte();
    }
    // Not wrapped: the post-trigger zone follows the history directly.
    h.ullPosZonePostTrig = pre.wrapped() ? kTailleEntete + size : kTailleEntete + pre.written();
    if (h.ullPosZonePostTrig == kTailleEntete) h.ullPosZonePostTrig = kTailleEntete + size;

    ZoneWriter post(out.fd(), h.ullPosZonePostTrig, 0);
    if (o.frames > pre_frames && ok) {
      maker.next(rec);  // the trigger frame
      h.ullDateTrig = maker.date();
      h.uliDateDetect += date_vers_filetime(h.ullDateTrig, o.speed);
      ok = post.append_record(rec, maker.rebase(rec));
      for (uint64_t i = pre_frames + 1; i < o.frames && ok; ++i) ok = post.append_record(rec, maker.next(rec));
    }
    ok = ok && post.flush();
    h.ullLgZonePostTrig = post.written();
    summary.bytes_written = pre.written() + post.written();
  }

  uint8_t raw[kTailleEntete];
  ecrire_entete(h, raw);
  ok = ok && platform::write_all_at(out.fd(), raw, sizeof raw, 0);
  if (!ok) {
    error = "cannot write " + path + ": " + platform::errno_text(errno);
    return false;  // the temporary goes with `out`
  }
  if (!out.commit()) {
    error = "cannot write " + path + ": " + out.error();
    return false;
  }
  summary.records_written = o.frames;
  return true;
}

}  // namespace brv
