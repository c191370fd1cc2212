// The texts that tell how an acquisition ended.

#include <gtest/gtest.h>

#include "brv_core/acquisition/end_reasons.h"

namespace brv {
namespace {

TEST(TextesFin, EngineStates) {
  struct Cas {
    uint32_t etat;
    TextesFin attendu;
  };
  const Cas cas[] = {
      {5, {"The acquisition ended normally.", ""}},
      {6, {"Acquisition terminated by user.", ""}},
      {7, {"Acquisition aborted because of disk full.", ""}},
      {8, {"Acquisition aborted because of driver error.", "Driver error during acquisition."}},
      {9, {"Acquisition aborted because of driver error (not enough resources).",
           "Driver error during acquisition\n(not enough resources)."}},
      {10, {"Acquisition aborted because of driver error (error accessing the acquisition file).",
            "Driver error during acquisition\n(error accessing the acquisition file)."}},
      {3, {"", ""}},
  };
  for (const Cas& c : cas) EXPECT_EQ(TextesFinEtat(c.etat), c.attendu) << "state " << c.etat;
}

TEST(TextesFin, ProgramReasons) {
  EXPECT_EQ(TextesFinProgramme(1), (TextesFin{"Acquisition aborted because of error getting information from driver.",
                                              "Error getting information about the acquisition."}));
  EXPECT_EQ(TextesFinProgramme(5).boite, "Insufficient memory space.");
  EXPECT_EQ(TextesFinProgramme(2).boite, "");
}

}  // namespace
}  // namespace brv
