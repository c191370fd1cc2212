#include "simcard/network.h"

#include <algorithm>

#include <brv_core/decode/crc.h>
#include <brv_core/decode/frame_types.h>
#include <brv_core/decode/unite_requests.h>
#include <vandrel/acq_file.h>

namespace simcard {
namespace {

constexpr uint16_t kIdPresenceList = 0x9002;
constexpr uint16_t kIdBaSync = 0x9003;
constexpr uint16_t kIdSegment = 0x9008;
constexpr uint8_t kCtrlIdRq1 = 0x29, kCtrlIdRq2 = 0x09;
constexpr uint8_t kCtrlRpRq1 = 0x28, kCtrlRpRq2 = 0x08;
constexpr uint8_t kCtrlRpDatRq1 = 0x2A, kCtrlRpDatRq2 = 0x0A;
constexpr uint8_t kCtrlRpMsgAckEven = 0x14, kCtrlRpMsgAckOdd = 0x94, kCtrlRpMsgNoAck = 0x04;
constexpr uint8_t kCtrlRpAckPlus = 0x30, kCtrlRpAckMinus = 0x10, kOddBit = 0x80;
constexpr uint8_t kCtrlRpFin = 0x40;
constexpr uint8_t kPrefixUniTe = 0x09, kPrefixTelegram = 0x0D;
constexpr uint8_t kServiceUniTe = 0xF1, kServiceTelegram = 0xF5;
constexpr uint8_t kUniTeRequest = 0x09, kUniTeReport = 0x19;
// An interruption: this much bus silence before the flagged frame.


}  // namespace

std::vector<uint8_t> stored_bytes(const BusFrame& f) {
  if (f.flags & flag::kGlitch) return {vandrel::PSEUDO_GLITCH, vandrel::PSEUDO_GLITCH};
  if (f.flags & (flag::kDelimiter1 | flag::kDelimiter2)) return {vandrel::PSEUDO_DELIMITEUR, vandrel::PSEUDO_DELIMITEUR};
  if (f.len == 0) return {vandrel::PSEUDO_SANS_OCTET};
  return {f.bytes.begin(), f.bytes.begin() + f.len};
}

uint8_t stored_status(uint16_t flags) {
  uint8_t s = static_cast<uint8_t>((flags >> 8) & 0x07);
  if (flags & (flag::kInterruption1 | flag::kInterruption2)) s |= vandrel::STATUT_INTERRUPTION_TRAFIC;
  if (flags & flag::kGlitch) s |= vandrel::STATUT_GLITCH;
  if (flags & flag::kDelimiter1) s |= vandrel::STATUT_DELIMITEUR_1;
  if (flags & flag::kDelimiter2) s |= vandrel::STATUT_DELIMITEUR_2;
  return s;
}

NetworkModel::NetworkModel(const Scenario& scenario)
    : sc_(scenario), rng_(scenario.seed), faults_(scenario.faults, scenario.seed ^ 0x5EEDFA17ULL) {
  stations_.resize(sc_.stations + 1);
  vars_ = sc_.variables;
  if (vars_.empty()) {
    static constexpr uint16_t kPeriods[] = {1, 2, 5, 10, 20};
    static constexpr uint16_t kLengths[] = {2, 4, 8, 16, 32};
    for (uint32_t i = 0; i < sc_.periodic_count; ++i) {
      Variable v;
      v.id = static_cast<uint16_t>(0x0100 + i);
      v.producer = static_cast<uint8_t>(sc_.stations ? 1 + i % sc_.stations : 0);
      v.period = kPeriods[rng_.below(5)];
      v.length = kLengths[rng_.below(5)];
      vars_.push_back(v);
    }
  }
  for (size_t i = 0; i < vars_.size(); ++i) {
    if (vars_[i].producer < stations_.size()) stations_[vars_[i].producer].produced.push_back(static_cast<uint16_t>(i));
  }
  silenced_.assign(vars_.size(), 0);
  budget_ = static_cast<uint32_t>(uint64_t{sc_.cycle_us} * sc_.bits_per_second() / 100000);
  cycle_.reserve(1024);
}

uint32_t NetworkModel::turnaround() { return 10 * sc_.turnaround_bits + rng_.below(10 * 8); }

BusFrame& NetworkModel::push(uint32_t gap) {
  cycle_.emplace_back();
  BusFrame& f = cycle_.back();
  f.gap = pending_gap_ ? pending_gap_ : gap;
  pending_gap_ = 0;
  if (sc_.bimedium && rng_.below(2)) f.flags = flag::kChannel2;
  return f;
}

void NetworkModel::finish(BusFrame& f, uint16_t len) {
  const uint16_t crc = brv::CrcTrame(!sc_.worldfip, f.bytes.data(), len - 2u);
  f.bytes[len - 2] = static_cast<uint8_t>(crc >> 8);
  f.bytes[len - 1] = static_cast<uint8_t>(crc);
  f.len = len;
  f.duration = static_cast<uint16_t>(((sc_.worldfip ? 24 : 21) + 8 * len) * 10);
  used_ += f.gap + f.duration;
}

void NetworkModel::id_frame(uint8_t control, uint16_t id, uint32_t gap) {
  BusFrame& f = push(gap);
  f.bytes[0] = control;
  f.bytes[1] = static_cast<uint8_t>(id >> 8);
  f.bytes[2] = static_cast<uint8_t>(id);
  finish(f, 5);
}

void NetworkModel::payload(const Variable& v, uint8_t* d, uint16_t& n) {
  const uint8_t st = static_cast<uint8_t>(v.id & 0xFF);
  if (v.id == kIdPresenceList) {
    std::fill(d, d + 36, 0);
    d[0] = 0x50; d[1] = 0x22; d[2] = 0x80; d[3] = 0x20;
    for (size_t s = 0; s < stations_.size() && s < 64; ++s) {
      if (stations_[s].alive) d[4 + s / 8] |= static_cast<uint8_t>(1u << (s % 8));
    }
    n = 36;
  } else if (v.id == kIdBaSync) {
    d[0] = 0x50; d[1] = 0x04; d[2] = 0x80; d[3] = 0x03;
    d[4] = static_cast<uint8_t>(cycle_no_ / 100); d[5] = static_cast<uint8_t>(cycle_no_ % 100);
    n = 6;
  } else if (v.id == kIdSegment) {
    d[0] = 0x50; d[1] = 0x06; d[2] = 0x80; d[3] = 0x05;
    d[4] = static_cast<uint8_t>(sc_.silence_bits / 10); d[5] = 0x00; d[6] = 0x03;
    d[7] = static_cast<uint8_t>(sc_.turnaround_bits);
    n = 8;
  } else if ((v.id & 0xFFC0) == 0x1400) {
    d[0] = 0x50; d[1] = 0x05; d[2] = 0x80; d[3] = 0x03; d[4] = 0x0A; d[5] = 0x04;
    d[6] = st == 0 ? 0x31 : static_cast<uint8_t>(0x00 | (st & 0x0F));
    n = 7;
  } else if ((v.id & 0xFFC0) == 0x1000) {
    d[0] = 0x50; d[1] = 0x0B; d[2] = 0x80; d[3] = 0x0A;
    d[4] = 0x42; d[5] = 0x56; d[6] = static_cast<uint8_t>(0x10 + st % 4); d[7] = 0x01;
    for (int i = 8; i < 14; ++i) d[i] = static_cast<uint8_t>(st * 7 + i);
    n = 14;
  } else if (v.id < 0x20) {  // common words
    d[0] = 0x40; d[1] = 0x09;
    for (int i = 2; i < 10; ++i) d[i] = static_cast<uint8_t>(rng_.next());
    d[10] = 0x00;
    n = 11;
  } else {
    d[0] = 0x40;
    d[1] = static_cast<uint8_t>(v.length);
    const uint64_t r = rng_.next();
    for (uint16_t i = 0; i < v.length; ++i) d[2 + i] = static_cast<uint8_t>((r >> (8 * (i & 7))) + i);
    n = static_cast<uint16_t>(2 + v.length);
  }
}

bool NetworkModel::answer(const Variable& v, uint16_t var_index, uint32_t gap, bool allow_requests) {
  Station* st = v.producer < stations_.size() ? &stations_[v.producer] : nullptr;
  const uint64_t n = number_ + (cycle_.size() - pos_) - 1;  // the ID_DAT's number
  if (var_index != UINT16_MAX && !silenced_[var_index] && faults_.fires(Fault::NoProducer, n)) silenced_[var_index] = 1;
  if (st && st->alive && v.producer != 0 && faults_.fires(Fault::StationStops, n)) st->alive = false;
  if (!st || !st->alive || (var_index != UINT16_MAX && silenced_[var_index])) {
    pending_gap_ = 10 * sc_.silence_bits;
    used_ += pending_gap_;
    return false;
  }
  // A slow producer: its answer starts later than the turnaround.
  const uint32_t retard = v.producer != 0 && v.producer == sc_.late_station
                              ? static_cast<uint32_t>(uint64_t{sc_.late_us} * sc_.bits_per_second() / 100000)
                              : 0;
  BusFrame& f = push(gap + retard);
  uint16_t n_data = 0;
  payload(v, f.bytes.data() + 1, n_data);
  uint8_t control = brv::kCtrlRpDat;
  if (allow_requests && v.producer != 0) {
    const bool msg = !st->wants_message && rng_.unit() < sc_.message_rate;
    const bool rq = !st->wants_rq && rng_.unit() < sc_.aperiodic_rate;
    const bool urgent = rng_.below(2) == 0;
    if (msg) st->wants_message = true;
    if (rq) st->wants_rq = true;
    if (rq) control = urgent ? kCtrlRpDatRq1 : kCtrlRpDatRq2;
    if (msg) control = rq ? static_cast<uint8_t>(control | 0x04) : brv::kCtrlRpDatMsg;
  }
  f.bytes[0] = control;
  finish(f, static_cast<uint16_t>(n_data + 3));
  return true;
}

void NetworkModel::aperiodic_window() {
  for (size_t s = 1; s < stations_.size(); ++s) {
    Station& st = stations_[s];
    if (!st.wants_rq || used_ >= budget_) continue;
    st.wants_rq = false;
    if (st.produced.empty() || !st.alive) continue;
    const bool urgent = rng_.below(2) == 0;
    id_frame(urgent ? kCtrlIdRq1 : kCtrlIdRq2, vars_[st.produced[0]].id, turnaround());
    BusFrame& f = push(turnaround());
    f.bytes[0] = urgent ? kCtrlRpRq1 : kCtrlRpRq2;
    const uint32_t count = 1 + rng_.below(std::min<uint32_t>(4, static_cast<uint32_t>(st.produced.size())));
    uint16_t asked[4];
    for (uint32_t i = 0; i < count; ++i) {
      asked[i] = st.produced[rng_.below(static_cast<uint32_t>(st.produced.size()))];
      f.bytes[1 + 2 * i] = static_cast<uint8_t>(vars_[asked[i]].id >> 8);
      f.bytes[2 + 2 * i] = static_cast<uint8_t>(vars_[asked[i]].id);
    }
    finish(f, static_cast<uint16_t>(3 + 2 * count));
    for (uint32_t i = 0; i < count; ++i) {
      id_frame(brv::kCtrlIdDat, vars_[asked[i]].id, turnaround());
      answer(vars_[asked[i]], asked[i], turnaround(), false);
    }
  }
}

void NetworkModel::message_window() {
  for (size_t s = 1; s < stations_.size(); ++s) {
    Station& st = stations_[s];
    if (!st.wants_message || used_ >= budget_) continue;
    st.wants_message = false;
    const bool unite = rng_.below(2) == 0;
    const uint8_t prefix = unite ? kPrefixUniTe : kPrefixTelegram;
    const auto src = static_cast<uint8_t>(s);
    id_frame(brv::kCtrlIdMsg, static_cast<uint16_t>(prefix << 8 | src), turnaround());
    if (!st.alive) {
      pending_gap_ = 10 * sc_.silence_bits;
      used_ += pending_gap_;
      continue;
    }
    const auto dst = static_cast<uint8_t>(1 + rng_.below(static_cast<uint32_t>(stations_.size() - 1)));
    const uint32_t kind = rng_.below(3);
    BusFrame& f = push(turnaround());
    uint8_t* b = f.bytes.data();
    b[0] = kind == 2 ? kCtrlRpMsgNoAck : (st.msg_parity ? kCtrlRpMsgAckOdd : kCtrlRpMsgAckEven);
    b[1] = prefix; b[2] = 0x00; b[3] = dst;
    b[4] = prefix; b[5] = 0x00; b[6] = src;
    uint16_t n;
    if (unite) {
      b[7] = kServiceUniTe;
      b[8] = 0x00; b[9] = dst; b[10] = 0x00; b[11] = src;
      const bool report = rng_.below(2) == 0;
      const uint8_t code = brv::kRequetesUniTe[rng_.below(brv::kRequetesUniTe.size())].ucCode;
      b[12] = report ? kUniTeReport : kUniTeRequest;
      b[13] = 0x00;
      const uint32_t r = rng_.below(8);
      b[14] = !report ? code
              : r == 0 ? brv::kUniTeCompteRenduSucces
              : r == 1 ? brv::kUniTeCompteRenduEchec
                       : static_cast<uint8_t>(code + brv::kUniTeDecalageCompteRendu);
      b[15] = 0x07;
      const uint64_t v = rng_.next();
      b[16] = static_cast<uint8_t>(v); b[17] = static_cast<uint8_t>(v >> 8);
      b[18] = static_cast<uint8_t>(v >> 16); b[19] = static_cast<uint8_t>(v >> 24);
      n = 20;
    } else {
      b[7] = kServiceTelegram;
      b[8] = src; b[9] = 0x00; b[10] = dst; b[11] = 0x00;
      const uint64_t v = rng_.next();
      for (int i = 12; i < 32; ++i) b[i] = static_cast<uint8_t>(v >> (8 * (i & 7)));
      n = 32;
    }
    finish(f, static_cast<uint16_t>(n + 2));
    if (kind != 2) {
      BusFrame& ack = push(turnaround());
      const bool nack = rng_.below(20) == 0 || !stations_[dst].alive;
      if (nack && !stations_[dst].alive) {
        cycle_.pop_back();
        pending_gap_ = 10 * sc_.silence_bits;
        used_ += pending_gap_;
      } else {
        ack.bytes[0] = static_cast<uint8_t>((nack ? kCtrlRpAckMinus : kCtrlRpAckPlus) | (st.msg_parity ? kOddBit : 0));
        finish(ack, 3);
      }
      st.msg_parity ^= 1;
    }
    BusFrame& fin = push(turnaround());
    fin.bytes[0] = kCtrlRpFin;
    finish(fin, 3);
  }
}

void NetworkModel::build_cycle() {
  cycle_.clear();
  pos_ = 0;
  used_ = 0;
  const uint32_t carried = idle_carried_;
  idle_carried_ = 0;
  const uint64_t c = cycle_no_;
  const uint32_t nst = static_cast<uint32_t>(stations_.size());
  auto poll = [&](const Variable& v, uint16_t index, bool requests) {
    id_frame(brv::kCtrlIdDat, v.id, turnaround());
    answer(v, index, turnaround(), requests);
  };
  poll(Variable{kIdBaSync, 0, 1, 4}, UINT16_MAX, false);
  if (c % 10 == 0) poll(Variable{kIdPresenceList, 0, 10, 34}, UINT16_MAX, false);
  if (c % 50 == 25) poll(Variable{kIdSegment, 0, 50, 6}, UINT16_MAX, false);
  for (size_t i = 0; i < vars_.size(); ++i) {
    const Variable& v = vars_[i];
    if (v.period == 0 || (c + i) % v.period != 0) continue;
    poll(v, static_cast<uint16_t>(i), true);
  }
  const auto st = static_cast<uint8_t>(c % nst);
  poll(Variable{static_cast<uint16_t>(0x1400 | st), st, 1, 5}, UINT16_MAX, false);
  if (c % 2 == 1) poll(Variable{static_cast<uint16_t>(0x1000 | st), st, 2, 12}, UINT16_MAX, false);
  if (c % 5 == 2 && st < 0x20 && st != 0) poll(Variable{st, st, 5, 9}, UINT16_MAX, false);
  aperiodic_window();
  message_window();
  // Padding: an identifier nobody produces keeps the bus busy until the cycle ends.
  const uint32_t pad_cost = static_cast<uint32_t>(((sc_.worldfip ? 24 : 21) + 40) * 10) + 10 * sc_.turnaround_bits +
                            10 * sc_.silence_bits;
  while (sc_.padding && used_ + pad_cost < budget_) {
    id_frame(brv::kCtrlIdDat, sc_.padding_id, turnaround());
    pending_gap_ = 10 * sc_.silence_bits;
    used_ += pending_gap_;
  }
  // Without padding the rest of the cycle is silence before the next one's first frame, which
  // the next cycle does not count as its own time.
  if (!sc_.padding) {
    const uint32_t own = used_ > carried ? used_ - carried : 0;
    if (own < budget_) pending_gap_ = std::max(pending_gap_, budget_ - own);
    idle_carried_ = pending_gap_;
  }
  ++cycle_no_;
}

void NetworkModel::apply_faults(BusFrame& f, uint64_t n) {
  if (faults_.fires(Fault::Interruption, n)) {
    f.gap += static_cast<uint32_t>(uint64_t{sc_.interruption_ms} * sc_.bits_per_second() / 100);
    f.flags |= (n & 1) ? flag::kInterruption2 : flag::kInterruption1;
  }
  if (faults_.fires(Fault::BadDelimiter, n)) {
    f.flags |= delimiter_alt_ ? flag::kDelimiter2 : flag::kDelimiter1;
    delimiter_alt_ = !delimiter_alt_;
    f.len = 0;
  }
  if (f.len >= 3 && faults_.fires(Fault::CrcError, n)) {
    f.bytes[1 + rng_.below(f.len - 1u)] ^= static_cast<uint8_t>(1u << rng_.below(8));
  }
  if (faults_.fires(Fault::TxErrorCh1, n)) f.flags |= flag::kTxErrorCh1;
  if (faults_.fires(Fault::TxErrorCh2, n)) f.flags |= flag::kTxErrorCh2;
}

const BusFrame& NetworkModel::next() {
  const BusFrame* out;
  if (glitch_pending_) {
    glitch_pending_ = false;
    out = &held_;
  } else {
    // The silence after a cycle's last unanswered identifier becomes the next cycle's first gap.
    if (pos_ >= cycle_.size()) build_cycle();
    BusFrame* f = &cycle_[pos_++];
    const uint64_t n = number_;
    if (faults_.next_candidate() <= n) {
      if (faults_.fires(Fault::Glitch, n)) {
        // Noise in the gap before the frame: the card reports it as a frame of its own.
        held_ = *f;
        glitch_ = BusFrame{};
        glitch_.flags = flag::kGlitch | (f->flags & flag::kChannel2);
        glitch_.gap = f->gap / 2;
        glitch_.duration = static_cast<uint16_t>(10 * (8 + rng_.below(24)));
        held_.gap = f->gap - glitch_.gap > glitch_.duration ? f->gap - glitch_.gap - glitch_.duration : 0;
        glitch_pending_ = true;
        out = &glitch_;
      } else {
        apply_faults(*f, n);
        out = f;
      }
    } else {
      out = f;
    }
  }
  if (number_ == 0) {
    date_ = 0;
  } else {
    date_ += prev_duration_ + out->gap;
  }
  prev_duration_ = out->duration;
  ++number_;
  return *out;
}

}  // namespace simcard
