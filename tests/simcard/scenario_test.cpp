// Scenario presets and the text format: what each key sets and which lines are refused.

#include <gtest/gtest.h>

#include <simcard/network.h>
#include <simcard/scenario.h>

namespace brv::test {
namespace {

using simcard::Fault;

TEST(SimcardScenario, PresetsMatchTheirPromise) {
  for (const auto& name : simcard::preset_names()) ASSERT_TRUE(simcard::preset(name)) << name;
  EXPECT_FALSE(simcard::preset("nope"));
  const auto demo = *simcard::preset("demo");
  EXPECT_EQ(demo.speed, simcard::Speed::k1M);
  EXPECT_EQ(demo.pacing, simcard::Pacing::RealTime);
  EXPECT_EQ(demo.stations, 20u);
  const auto faults = *simcard::preset("faults");
  for (size_t k = 0; k < simcard::kFaultKinds; ++k) {
    EXPECT_TRUE(faults.faults.kinds[k].rate > 0 || !faults.faults.kinds[k].at.empty()) << k;
  }
  const auto stress = *simcard::preset("stress");
  EXPECT_EQ(stress.speed, simcard::Speed::k5M);
  EXPECT_EQ(stress.pacing, simcard::Pacing::AsFastAsPossible);
  const auto clean = *simcard::preset("clean");
  for (const auto& f : clean.faults.kinds) EXPECT_TRUE(f.rate == 0 && f.at.empty());
}

TEST(SimcardScenario, StatusByteCarriesTheSpeedAsTheEngineReadsIt) {
  simcard::Scenario s;
  s.speed = simcard::Speed::k31_25k;
  EXPECT_EQ(s.card_status(), 0x01);
  s.speed = simcard::Speed::k1M;
  EXPECT_EQ(s.card_status(), 0x02);
  s.speed = simcard::Speed::k2_5M;
  EXPECT_EQ(s.card_status(), 0x03);
  s.speed = simcard::Speed::k5M;
  EXPECT_EQ(s.card_status(), 0x04);
  s.status_byte = 0x07;
  EXPECT_EQ(s.card_status(), 0x07);
}

TEST(SimcardScenario, FileSetsEveryKey) {
  std::string error;
  const auto s = simcard::parse_scenario(
      "preset stress  # start there\n"
      "speed 31.25k\nframing fip\nchannels 2\nseed 9\nstations 4\ncycle 20000\nturnaround 30\nsilence 100\n"
      "padding 0x9081\nvariable 0A10 producer=2 period=3 length=12\nmessages 0.5\naperiodic 0\n"
      "fault crc rate=0.25\nfault unplug at=10,20\npacing fast 5000\nstatus 0x05\nserial SIMX\ncrc both\n"
      "frames-per-event 4\nlate 3 250\n",
      error);
  ASSERT_TRUE(s) << error;
  EXPECT_EQ(s->speed, simcard::Speed::k31_25k);
  EXPECT_FALSE(s->worldfip);
  EXPECT_TRUE(s->bimedium);
  EXPECT_EQ(s->seed, 9u);
  EXPECT_EQ(s->stations, 4u);
  EXPECT_EQ(s->cycle_us, 20000u);
  EXPECT_EQ(s->turnaround_bits, 30u);
  EXPECT_EQ(s->silence_bits, 100u);
  EXPECT_EQ(s->padding_id, 0x9081);
  ASSERT_EQ(s->variables.size(), 1u);
  EXPECT_EQ(s->variables[0].id, 0x0A10);
  EXPECT_EQ(s->variables[0].producer, 2);
  EXPECT_EQ(s->variables[0].period, 3);
  EXPECT_EQ(s->variables[0].length, 12);
  EXPECT_DOUBLE_EQ(s->message_rate, 0.5);
  EXPECT_DOUBLE_EQ(s->aperiodic_rate, 0);
  EXPECT_DOUBLE_EQ(s->faults[Fault::CrcError].rate, 0.25);
  EXPECT_EQ(s->faults[Fault::Unplug].at, (std::vector<uint64_t>{10, 20}));
  EXPECT_EQ(s->pacing, simcard::Pacing::AsFastAsPossible);
  EXPECT_DOUBLE_EQ(s->max_fps, 5000);
  EXPECT_EQ(s->card_status(), 0x05);
  EXPECT_EQ(s->serial, "SIMX");
  EXPECT_TRUE(s->reply_crc && s->event_crc);
  EXPECT_EQ(s->frames_per_event, 4);
  EXPECT_EQ(s->late_station, 3);
  EXPECT_EQ(s->late_us, 250u);
}

// A quiet bus: no padding frame, and each elementary cycle still starts one cycle after the last.
TEST(SimcardScenario, WithoutPaddingTheCyclesKeepTheirPeriodInSilence) {
  std::string error;
  auto s = simcard::parse_scenario("speed 1M\ncycle 20000\npadding none\nperiodic 3\nmessages 0\naperiodic 0\n", error);
  ASSERT_TRUE(s) << error;
  ASSERT_FALSE(s->padding);
  simcard::NetworkModel model(*s);
  const uint64_t cycle = 20000ull * s->bits_per_second() / 100000;  // tenths of a bit time
  std::vector<uint64_t> starts;
  while (starts.size() < 60) {
    const simcard::BusFrame& f = model.next();
    ASSERT_FALSE(f.len == 5 && f.bytes[1] == 0x90 && f.bytes[2] == 0x80) << "padding at frame " << model.number();
    // The bus arbitrator's synchronisation variable opens every cycle.
    if (f.len == 5 && f.bytes[0] == 0x03 && f.bytes[1] == 0x90 && f.bytes[2] == 0x03) starts.push_back(model.date());
  }
  // The first cycle is shorter by the gap before the first frame, which no date counts.
  EXPECT_LT(starts[1] - starts[0], cycle);
  for (size_t i = 2; i < starts.size(); ++i) EXPECT_EQ(starts[i] - starts[i - 1], cycle) << "cycle " << i;
}

TEST(SimcardScenario, BadLinesAreRefusedWithTheirNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"speed 3M\n", "line 1"},
      {"# ok\nstations 64\n", "line 2"},
      {"seed 1\npreset demo\n", "preset must come first"},
      {"fault meteor rate=0.1\n", "line 1"},
      {"fault crc rate=2\n", "line 1"},
      {"variable 0100 producer=1 length=200\n", "line 1"},
      {"variable 0100 colour=red\n", "line 1"},
      {"pacing slow\n", "line 1"},
      {"stations 2\nvariable 0100 producer=5\n", "producer beyond"},
      {"flux 1\n", "unknown key"},
      {"late 0 100\n", "line 1"},
      {"late 3\n", "line 1"},
  };
  for (const auto& [text, expect] : cases) {
    std::string error;
    EXPECT_FALSE(simcard::parse_scenario(text, error)) << text;
    EXPECT_NE(error.find(expect), std::string::npos) << text << " -> " << error;
  }
}

}  // namespace
}  // namespace brv::test
