#include "brv_core/synth/sample_traffic.h"

#include <cstring>

#include <vandrel/acq_file.h>

namespace brv {
namespace {

// The macro-cycle: variables polled by the bus arbitrator, in order.
constexpr uint16_t kCycle[] = {
    0x0100, 0x0101, 0x0102, 0x0103, 0x0110, 0x0111, 0x0200, 0x0201, 0x0202, 0x0300,
    0x9003, 0x0100, 0x0101, 0x0102, 0x0103, 0x0003, 0x0005, 0x1403, 0x1405, 0x9002,
    0x0100, 0x0101, 0x0102, 0x0103, 0x0110, 0x0111, 0x9008, 0x9080, 0x0400, 0x0401,
};
constexpr uint32_t kCycleLen = sizeof(kCycle) / sizeof(kCycle[0]);

// Slots where the arbitrator opens an aperiodic window instead of the variable.
enum Phase { kPeriodic, kIdResponse, kMsgWindow, kMsgFrame, kMsgAck, kRqList, kRqEnd };

constexpr uint8_t kUniteCodes[] = {0x04, 0x14, 0x0F, 0x36, 0x37, 0x24, 0x2D, 0xFA};

}  // namespace

SampleTraffic::SampleTraffic(bool worldfip, uint64_t seed)
    : capture_{static_cast<uint8_t>(worldfip ? 0 : 1), 1, 0},
      decoder_(capture_),
      state_(seed * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL) {}

uint64_t SampleTraffic::rand() {
  // splitmix64: fast and good enough for traffic shapes.
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

void SampleTraffic::finish(SampleFrame& f, uint16_t len) {
  // len counts the two CRC bytes; a rare bit flip after the CRC was computed gives a CRC error.
  const uint16_t crc = decoder_.CalculeCrc(len - 2u, f.bytes);
  f.bytes[len - 2] = static_cast<uint8_t>(crc >> 8);
  f.bytes[len - 1] = static_cast<uint8_t>(crc);
  if (below(20000) == 0) f.bytes[1 + below(len - 1)] ^= 0x10;
  f.len = len;
  const uint32_t turnaround = 10 * (20 + below(40));
  f.frame_time = static_cast<uint32_t>(decoder_.DureeTrameBits(len, 10)) + turnaround;
}

void SampleTraffic::id_frame(SampleFrame& f, uint8_t control, uint16_t id) {
  f.bytes[0] = control;
  f.bytes[1] = static_cast<uint8_t>(id >> 8);
  f.bytes[2] = static_cast<uint8_t>(id);
  finish(f, 5);
}

void SampleTraffic::response(SampleFrame& f, uint16_t id) {
  uint8_t* d = f.bytes + 1;
  uint16_t n = 0;
  if (id == 0x9002) {  // stations present: a bitmap after the presence header
    d[0] = 0x50; d[1] = 0x22; d[2] = 0x80;
    std::memset(d + 3, 0, 33);
    d[3] = 0x2D; d[4] = 0x81;
    n = 36;
  } else if (id == 0x9003) {
    d[0] = 0x50; d[1] = 0x04; d[2] = 0x80; d[3] = 0x03; d[4] = static_cast<uint8_t>(slot_); d[5] = 0x01;
    n = 6;
  } else if (id == 0x9008) {
    d[0] = 0x50; d[1] = 0x06; d[2] = 0x80; d[3] = 0x05; d[4] = 0x96; d[5] = 0x00; d[6] = 0x03; d[7] = 0x32;
    n = 8;
  } else if ((id & 0xFFC0) == 0x1400) {
    d[0] = 0x50; d[1] = 0x05; d[2] = 0x80; d[3] = 0x03; d[4] = 0x00; d[5] = 0x04; d[6] = 0x31;
    n = 7;
  } else if (id < 0x20) {  // common words
    d[0] = 0x40; d[1] = 0x09;
    for (int i = 2; i < 11; ++i) d[i] = static_cast<uint8_t>(rand());
    n = 11;
  } else {
    const uint16_t size = static_cast<uint16_t>(4 + ((id >> 4) & 0x0F) * 4 + (id & 0x03) * 2);
    d[0] = 0x40;
    d[1] = static_cast<uint8_t>(size - 2);
    for (uint16_t i = 2; i < size; ++i) d[i] = static_cast<uint8_t>(rand());
    n = size;
  }
  // An RP_DAT_MSG now and then asks the arbitrator for a message window.
  f.bytes[0] = below(50) == 0 ? 0x06 : 0x02;
  finish(f, static_cast<uint16_t>(n + 3));
}

void SampleTraffic::message(SampleFrame& f) {
  uint8_t* b = f.bytes;
  const bool unite = below(2) == 0;
  const uint8_t prefix = unite ? 0x09 : 0x0D;
  const uint32_t kind = below(3);
  b[0] = kind == 0 ? 0x14 : kind == 1 ? 0x94 : 0x04;
  b[1] = prefix; b[2] = 0x00; b[3] = static_cast<uint8_t>(below(16));
  b[4] = prefix; b[5] = 0x00; b[6] = static_cast<uint8_t>(below(16));
  uint16_t n;
  if (unite) {
    b[7] = 0xF1;
    b[8] = 0x00; b[9] = b[3]; b[10] = 0x00; b[11] = b[6];
    const bool report = below(2) == 0;
    b[12] = report ? 0x19 : 0x09;
    b[13] = 0x00;
    const uint8_t code = kUniteCodes[below(sizeof kUniteCodes)];
    b[14] = report ? static_cast<uint8_t>(below(4) == 0 ? 0xFE : code + 0x30) : code;
    b[15] = 0x07;
    b[16] = static_cast<uint8_t>(rand()); b[17] = 0x00;
    b[18] = static_cast<uint8_t>(rand()); b[19] = static_cast<uint8_t>(rand());
    n = 20;
  } else {
    b[7] = 0xF5;
    b[8] = b[6]; b[9] = 0x00; b[10] = b[3]; b[11] = 0x00;
    for (int i = 12; i < 32; ++i) b[i] = static_cast<uint8_t>(rand());
    n = 32;
  }
  finish(f, static_cast<uint16_t>(n + 2));
}

void SampleTraffic::next(SampleFrame& f) {
  f.status = static_cast<uint8_t>(below(3) == 0 ? vandrel::STATUT_VOIE2 : 0);
  f.traffic_gap = false;

  // Rare line events replace a frame; their bytes are not kept.
  const uint32_t event = below(100000);
  if (event < 2) {
    f.bytes[0] = f.bytes[1] = vandrel::PSEUDO_GLITCH;
    f.len = 2;
    f.status |= vandrel::STATUT_GLITCH;
    f.frame_time = 10 * (30 + below(30));
    return;
  }
  if (event < 4) {
    f.bytes[0] = f.bytes[1] = vandrel::PSEUDO_DELIMITEUR;
    f.len = 2;
    f.status |= vandrel::STATUT_DELIMITEUR_1;
    f.frame_time = 10 * (30 + below(30));
    return;
  }
  if (event < 5) {  // lost frames: the marker has no time of its own
    f.bytes[0] = f.bytes[1] = vandrel::PSEUDO_INTERRUPTION_PC;
    f.len = 2;
    f.status = 0;
    f.frame_time = 0;
    return;
  }
  if (event < 6) {
    f.bytes[0] = vandrel::PSEUDO_SANS_OCTET;
    f.len = 1;
    f.frame_time = 10 * 40;
    return;
  }
  if (event < 7) f.traffic_gap = true;
  if (event < 50) f.status |= below(2) ? vandrel::STATUT_ERR_TX_VOIE1 : vandrel::STATUT_ERR_TX_VOIE2;
  if (f.traffic_gap) f.status |= vandrel::STATUT_INTERRUPTION_TRAFIC;

  switch (phase_) {
    case kPeriodic: {
      const uint16_t id = kCycle[slot_];
      slot_ = (slot_ + 1) % kCycleLen;
      if (slot_ == 7 && below(3) == 0) {
        id_frame(f, 0x05, static_cast<uint16_t>(0x0D00 | below(16)));
        phase_ = kMsgFrame;
      } else if (slot_ == 23 && below(4) == 0) {
        id_frame(f, below(2) ? 0x29 : 0x09, 0x0300);
        pending_id_ = f.bytes[0] == 0x29 ? 0x28 : 0x08;
        phase_ = kRqList;
      } else {
        id_frame(f, 0x03, id);
        pending_id_ = id;
        phase_ = kIdResponse;
      }
      break;
    }
    case kIdResponse:
      response(f, pending_id_);
      phase_ = kPeriodic;
      break;
    case kMsgFrame:
      message(f);
      phase_ = f.bytes[0] == 0x04 ? kMsgWindow : kMsgAck;
      break;
    case kMsgAck:
      f.bytes[0] = below(2) ? 0x30 : 0xB0;
      finish(f, 3);
      phase_ = kMsgWindow;
      break;
    case kMsgWindow:
      f.bytes[0] = 0x40;  // RP_FIN closes the window
      finish(f, 3);
      phase_ = kPeriodic;
      break;
    case kRqList: {
      f.bytes[0] = static_cast<uint8_t>(pending_id_);
      const uint16_t count = static_cast<uint16_t>(1 + below(4));
      for (uint16_t i = 0; i < count; ++i) {
        f.bytes[1 + 2 * i] = 0x05;
        f.bytes[2 + 2 * i] = static_cast<uint8_t>(0x10 + below(16));
      }
      finish(f, static_cast<uint16_t>(2 * count + 3));
      phase_ = kRqEnd;
      break;
    }
    case kRqEnd:
      f.bytes[0] = 0x40;
      finish(f, 3);
      phase_ = kPeriodic;
      break;
  }
}

}  // namespace brv
