// The trigger combinations: which frame fires each method, and the start's check of the method
// against the number of trigger frames.

#include <gtest/gtest.h>

#include <vandrel/trigger.h>

#include "engine_session.h"

namespace brv::test {
namespace {

using namespace vandrel;

// A definition matching frames whose control byte (byte 0) equals v.
struct_DEF_TRAME_SYNCHRO control_def(uint8_t v) { return struct_DEF_TRAME_SYNCHRO{1, {control_is(v)}}; }

// Feeds frames given by their control byte; the rank of the frame that fires, or -1.
int fires_at(uint8_t method, uint8_t nb, const std::vector<uint8_t>& frames) {
  const auto f1 = control_def(1), f2 = control_def(2), f3 = control_def(3);
  const struct_DEF_TRAME_SYNCHRO* defs[3] = {&f1, &f2, &f3};
  CombinaisonSynchro c;
  if (!construit_combinaison(method, nb, defs, c)) return -2;
  for (size_t i = 0; i < frames.size(); ++i) {
    const uint8_t frame[2] = {frames[i], 0};
    if (avance_combinaison(c, frame, 2)) return static_cast<int>(i);
  }
  return -1;
}

TEST(TriggerMethods, EachMethodFiresOnTheFrameThatCompletesABranch) {
  struct Case {
    uint8_t method;
    std::vector<uint8_t> frames;
    int expected;
  };
  const Case cases[] = {
      {0, {9, 9, 1, 1}, 2},           // F1
      {1, {2, 9, 1, 9, 9, 1, 2}, 6},  // F1 Then F2: whatever lies between
      {1, {2, 2, 9}, -1},
      {2, {9, 2}, 1},                 // F1 Or F2
      {3, {1, 3, 2, 1, 3}, 4},        // F1 Then F2 Then F3
      {4, {9, 3}, 1},                 // (F1 Then F2) Or F3
      {4, {1, 9, 2}, 2},
      {5, {1, 3}, 1},                 // F1 Then (F2 Or F3)
      {5, {3, 1, 9}, -1},             // F3 then F1 does not fire ...
      {5, {3, 1, 9, 2}, 3},           // ... until a later F2
      {6, {2, 3}, 1},                 // (F1 Or F2) Then F3
      {6, {3, 1, 3}, 2},
      {7, {9, 9, 3}, 2},              // F1 Or F2 Or F3
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fires_at(c.method, c.method == 0 ? 1 : c.method <= 2 ? 2 : 3, c.frames), c.expected)
        << "method " << int{c.method};
  }
}

TEST(TriggerMethods, TheMethodMustFitTheNumberOfFrames) {
  EXPECT_EQ(fires_at(0, 2, {1}), -2);
  EXPECT_EQ(fires_at(1, 3, {1}), -2);
  EXPECT_EQ(fires_at(3, 2, {1}), -2);
  // An unknown method builds nothing and never fires.
  EXPECT_EQ(fires_at(8, 1, {1, 2, 3}), -1);
  EXPECT_STREQ(nom_methode_synchro(5), "F1 Then (F2 Or F3)");
  EXPECT_EQ(nom_methode_synchro(8), nullptr);
}

TEST(TriggerMethods, AnEmptyDefinitionMatchesTheFirstFrame) {
  const struct_DEF_TRAME_SYNCHRO vide{};
  const struct_DEF_TRAME_SYNCHRO* defs[3] = {&vide, nullptr, nullptr};
  CombinaisonSynchro c;
  ASSERT_TRUE(construit_combinaison(0, 1, defs, c));
  const uint8_t frame[1] = {0x55};
  EXPECT_TRUE(avance_combinaison(c, frame, 1));
}

TEST(TriggerMethods, SharedStepsAreTheSameDefinition) {
  const auto f1 = control_def(1), f2 = control_def(2), f3 = control_def(3);
  const struct_DEF_TRAME_SYNCHRO* defs[3] = {&f1, &f2, &f3};
  CombinaisonSynchro c;
  ASSERT_TRUE(construit_combinaison(5, 3, defs, c));
  ASSERT_EQ(c.nb_branches, 2);
  EXPECT_EQ(c.branches[0].etapes[0], c.branches[1].etapes[0]);
  ASSERT_TRUE(construit_combinaison(6, 3, defs, c));
  EXPECT_EQ(c.branches[0].etapes[1], c.branches[1].etapes[1]);
  EXPECT_EQ(c.branches[0].index, 1);
}

}  // namespace
}  // namespace brv::test
