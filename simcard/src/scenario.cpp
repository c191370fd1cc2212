#include "simcard/scenario.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <sstream>

#include <brv_platform/files.h>

namespace simcard {

uint32_t Scenario::bits_per_second() const {
  switch (speed) {
    case Speed::k31_25k: return 31250;
    case Speed::k1M: return 1000000;
    case Speed::k2_5M: return 2500000;
    case Speed::k5M: return 5000000;
  }
  return 1000000;
}

uint8_t Scenario::card_status() const {
  if (status_byte) return *status_byte;
  // Bit 2: 5 Mbit/s; bits 0 and 1: 2.5 Mbit/s; bit 1: 1 Mbit/s; bit 0: 31.25 kbit/s.
  switch (speed) {
    case Speed::k31_25k: return 0x01;
    case Speed::k1M: return 0x02;
    case Speed::k2_5M: return 0x03;
    case Speed::k5M: return 0x04;
  }
  return 0x02;
}

const std::vector<std::string>& preset_names() {
  static const std::vector<std::string> names = {"demo", "clean", "faults", "stress"};
  return names;
}

std::optional<Scenario> preset(const std::string& name) {
  Scenario s;
  s.name = name;
  if (name == "clean") return s;
  if (name == "demo") {
    s.bimedium = true;
    s.faults[Fault::CrcError].rate = 2e-5;
    s.faults[Fault::Glitch].rate = 1e-5;
    s.faults[Fault::TxErrorCh1].rate = 1e-5;
    s.faults[Fault::TxErrorCh2].rate = 1e-5;
    s.faults[Fault::BadDelimiter].rate = 5e-6;
    s.faults[Fault::StationStops].at = {200000};
    return s;
  }
  if (name == "faults") {
    s.bimedium = true;
    for (Fault f : {Fault::CrcError, Fault::Glitch, Fault::BadDelimiter, Fault::TxErrorCh1, Fault::TxErrorCh2}) {
      s.faults[f].rate = 1e-3;
    }
    s.faults[Fault::Interruption].rate = 1e-4;
    s.faults[Fault::NoProducer].rate = 2e-5;
    s.faults[Fault::StationStops].rate = 1e-5;
    s.faults[Fault::FifoOverflow].rate = 1e-4;
    s.faults[Fault::LostEvent].rate = 1e-4;
    s.faults[Fault::Garbage].rate = 1e-4;
    // Late enough that a session sees the other kinds first.
    s.faults[Fault::CardMute].at = {1000000};
    s.faults[Fault::Unplug].at = {2000000};
    return s;
  }
  if (name == "stress") {
    s.speed = Speed::k5M;
    s.stations = 30;
    s.periodic_count = 120;
    s.pacing = Pacing::AsFastAsPossible;
    s.frames_per_event = 64;
    return s;
  }
  return std::nullopt;
}

namespace {

bool parse_uint(std::string_view text, uint64_t& out, int base = 10) {
  if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
  if (base == 10 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
  return ec == std::errc() && p == text.data() + text.size();
}

bool parse_double(const std::string& text, double& out) {
  try {
    size_t used = 0;
    out = std::stod(text, &used);
    return used == text.size() && out >= 0;
  } catch (...) {
    return false;
  }
}

// "key=value" words after the first ones.
bool split_kv(const std::string& word, std::string& key, std::string& value) {
  const size_t eq = word.find('=');
  if (eq == std::string::npos) return false;
  key = word.substr(0, eq);
  value = word.substr(eq + 1);
  return true;
}

}  // namespace

std::optional<Scenario> parse_scenario(const std::string& text, std::string& error) {
  Scenario s;
  std::istringstream in(text);
  std::string line;
  int line_no = 0;
  bool any = false;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(line_no) + ": " + what;
    return std::nullopt;
  };
  while (std::getline(in, line)) {
    ++line_no;
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string x; words >> x;) w.push_back(x);
    if (w.empty()) continue;
    const std::string& key = w[0];
    uint64_t u = 0;
    double d = 0;
    if (key == "preset") {
      if (any) return fail("preset must come first");
      if (w.size() != 2) return fail("preset NAME");
      auto p = preset(w[1]);
      if (!p) return fail("unknown preset '" + w[1] + "'");
      s = *p;
    } else if (key == "speed") {
      if (w.size() != 2) return fail("speed 31.25k|1M|2.5M|5M");
      if (w[1] == "31.25k") s.speed = Speed::k31_25k;
      else if (w[1] == "1M") s.speed = Speed::k1M;
      else if (w[1] == "2.5M") s.speed = Speed::k2_5M;
      else if (w[1] == "5M") s.speed = Speed::k5M;
      else return fail("unknown speed '" + w[1] + "'");
    } else if (key == "framing") {
      if (w.size() != 2 || (w[1] != "fip" && w[1] != "worldfip")) return fail("framing fip|worldfip");
      s.worldfip = w[1] == "worldfip";
    } else if (key == "channels") {
      if (w.size() != 2 || (w[1] != "1" && w[1] != "2")) return fail("channels 1|2");
      s.bimedium = w[1] == "2";
    } else if (key == "seed" || key == "stations" || key == "cycle" || key == "turnaround" || key == "silence" ||
               key == "periodic" || key == "frames-per-event") {
      if (w.size() != 2 || !parse_uint(w[1], u)) return fail(key + " needs a number");
      if (key == "seed") s.seed = u;
      else if (key == "stations") {
        if (u > 63) return fail("at most 63 stations");
        s.stations = static_cast<uint32_t>(u);
      } else if (key == "cycle") {
        if (u < 100 || u > 1000000) return fail("cycle in microseconds, 100 to 1000000");
        s.cycle_us = static_cast<uint32_t>(u);
      } else if (key == "turnaround") s.turnaround_bits = static_cast<uint32_t>(u);
      else if (key == "silence") s.silence_bits = static_cast<uint32_t>(u);
      else if (key == "periodic") s.periodic_count = static_cast<uint32_t>(std::min<uint64_t>(u, 4000));
      else {
        if (u < 1 || u > 200) return fail("frames-per-event 1 to 200");
        s.frames_per_event = static_cast<uint16_t>(u);
      }
    } else if (key == "padding") {
      if (w.size() == 2 && w[1] == "none") {
        s.padding = false;
      } else {
        if (w.size() != 2 || !parse_uint(w[1], u, 16) || u > 0xFFFF) return fail("padding HEXID|none");
        s.padding_id = static_cast<uint16_t>(u);
        s.padding = true;
      }
    } else if (key == "late") {
      // A producer whose answers come this much later than the turnaround: a slow station.
      uint64_t station = 0;
      if (w.size() != 3 || !parse_uint(w[1], station) || station < 1 || station > 63 || !parse_uint(w[2], u) ||
          u > 1000000) {
        return fail("late STATION MICROSECONDS (station 1 to 63, at most 1000000 us)");
      }
      s.late_station = static_cast<uint8_t>(station);
      s.late_us = static_cast<uint32_t>(u);
    } else if (key == "status") {
      if (w.size() != 2 || !parse_uint(w[1], u) || u > 0xFF) return fail("status BYTE");
      s.status_byte = static_cast<uint8_t>(u);
    } else if (key == "serial") {
      if (w.size() != 2 || w[1].size() > 15) return fail("serial TEXT (at most 15 characters)");
      s.serial = w[1];
    } else if (key == "messages" || key == "aperiodic") {
      if (w.size() != 2 || !parse_double(w[1], d) || d > 1) return fail(key + " needs a rate from 0 to 1");
      (key == "messages" ? s.message_rate : s.aperiodic_rate) = d;
    } else if (key == "crc") {
      if (w.size() != 2) return fail("crc none|replies|events|both");
      if (w[1] != "none" && w[1] != "replies" && w[1] != "events" && w[1] != "both") return fail("crc none|replies|events|both");
      s.reply_crc = w[1] == "replies" || w[1] == "both";
      s.event_crc = w[1] == "events" || w[1] == "both";
    } else if (key == "pacing") {
      if (w.size() < 2 || w.size() > 3) return fail("pacing realtime | pacing fast [MAX_FPS]");
      if (w[1] == "realtime" && w.size() == 2) s.pacing = Pacing::RealTime;
      else if (w[1] == "fast") {
        s.pacing = Pacing::AsFastAsPossible;
        s.max_fps = 0;
        if (w.size() == 3 && (!parse_double(w[2], s.max_fps))) return fail("pacing fast MAX_FPS needs a number");
      } else return fail("pacing realtime | pacing fast [MAX_FPS]");
    } else if (key == "variable") {
      if (w.size() < 2 || !parse_uint(w[1], u, 16) || u > 0xFFFF) return fail("variable HEXID producer=N period=N length=N");
      Variable v;
      v.id = static_cast<uint16_t>(u);
      for (size_t i = 2; i < w.size(); ++i) {
        std::string k, val;
        if (!split_kv(w[i], k, val) || !parse_uint(val, u)) return fail("expected key=number, got '" + w[i] + "'");
        if (k == "producer" && u <= 63) v.producer = static_cast<uint8_t>(u);
        else if (k == "period" && u >= 1 && u <= 10000) v.period = static_cast<uint16_t>(u);
        else if (k == "length" && u >= 1 && u <= 126) v.length = static_cast<uint16_t>(u);
        else return fail("bad '" + w[i] + "' (producer 0-63, period 1-10000, length 1-126)");
      }
      s.variables.push_back(v);
    } else if (key == "fault") {
      Fault f;
      if (w.size() < 3 || !fault_from_name(w[1], f)) return fail("fault KIND rate=R | at=N[,N...]");
      for (size_t i = 2; i < w.size(); ++i) {
        std::string k, val;
        if (!split_kv(w[i], k, val)) return fail("expected rate=R or at=N,N");
        if (k == "rate") {
          if (!parse_double(val, d) || d > 1) return fail("rate from 0 to 1");
          s.faults[f].rate = d;
        } else if (k == "at") {
          std::istringstream list(val);
          for (std::string n; std::getline(list, n, ',');) {
            if (!parse_uint(n, u)) return fail("at=N[,N...] needs frame numbers");
            s.faults[f].at.push_back(u);
          }
        } else {
          return fail("expected rate=R or at=N,N");
        }
      }
    } else {
      return fail("unknown key '" + key + "'");
    }
    any = true;
  }
  for (const Variable& v : s.variables) {
    if (v.producer > s.stations) {
      line_no = 0;
      return fail("variable " + std::to_string(v.id) + " has a producer beyond the stations");
    }
  }
  return s;
}

std::optional<Scenario> load_scenario_file(const std::string& path, std::string& error) {
  std::string text;
  std::string why;
  // A scenario is a few lines of settings: a directory, a device or a huge file is not one.
  if (!brv::platform::read_small_file(path, uint64_t{1} << 20, text, why)) {
    error = "cannot read " + path + " (" + why + ")";
    return std::nullopt;
  }
  auto s = parse_scenario(text, error);
  if (!s) error = path + ": " + error;
  else if (s->name == "custom") s->name = path;
  return s;
}

std::optional<Scenario> resolve_scenario(const std::string& preset_or_file, std::string& error) {
  if (auto p = preset(preset_or_file)) return p;
  if (preset_or_file.find('/') == std::string::npos && preset_or_file.find('.') == std::string::npos) {
    std::error_code ec;
    if (!std::filesystem::exists(preset_or_file, ec)) {
      error = "unknown preset '" + preset_or_file + "' (demo, clean, faults, stress) and no such file";
      return std::nullopt;
    }
  }
  return load_scenario_file(preset_or_file, error);
}

}  // namespace simcard
