#pragma once
// A simulated network and card: bus, stations, variables, messages, faults, pacing. Built from a
// preset name or a text file (format in the README).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simcard/faults.h"

namespace simcard {

// The engine's bus-speed codes.
enum class Speed : uint8_t { k31_25k = 0, k1M = 1, k2_5M = 2, k5M = 3 };

enum class Pacing : uint8_t { RealTime, AsFastAsPossible };

struct Variable {
  uint16_t id = 0;
  uint8_t producer = 0;    // station address
  uint16_t period = 1;     // in elementary cycles
  uint16_t length = 8;     // data bytes after the two-byte header, 1 to 126
};

struct Scenario {
  std::string name = "custom";
  Speed speed = Speed::k1M;
  bool worldfip = true;
  bool bimedium = false;
  uint64_t seed = 1;
  uint32_t stations = 20;            // addresses 1..stations; the bus arbitrator is address 0
  std::vector<Variable> variables;   // empty: generated from periodic_count
  uint32_t periodic_count = 60;
  uint32_t cycle_us = 10000;         // elementary cycle
  uint32_t turnaround_bits = 40;
  uint32_t silence_bits = 150;
  uint16_t padding_id = 0x9080;
  bool padding = true;               // false: the bus is silent until the next cycle
  double message_rate = 0.02;        // per producer answer: the producer asks for a message window
  double aperiodic_rate = 0.01;      // per producer answer: the producer asks for aperiodic variables
  FaultPlan faults;
  Pacing pacing = Pacing::RealTime;
  double max_fps = 0;                // as fast as possible, capped when > 0
  uint32_t interruption_ms = 50;     // silence before a frame of the Interruption fault
  uint8_t late_station = 0;          // this producer answers late_us later than the others (0: none)
  uint32_t late_us = 0;
  std::optional<uint8_t> status_byte;  // default: from the speed
  bool reply_crc = false;
  bool event_crc = false;
  std::string serial = "SIM00001";
  uint16_t frames_per_event = 16;
  uint32_t chunk_bytes = 4096;

  // The card status byte the engine reads (bus speed and probe type bits).
  uint8_t card_status() const;
  uint32_t bits_per_second() const;
};

// "demo", "clean", "faults", "stress"; nullopt for another name.
std::optional<Scenario> preset(const std::string& name);
const std::vector<std::string>& preset_names();

// Parses a scenario text; on failure returns nullopt and sets error ("line N: ...").
std::optional<Scenario> parse_scenario(const std::string& text, std::string& error);
std::optional<Scenario> load_scenario_file(const std::string& path, std::string& error);
// A preset name or a file path.
std::optional<Scenario> resolve_scenario(const std::string& preset_or_file, std::string& error);

}  // namespace simcard
