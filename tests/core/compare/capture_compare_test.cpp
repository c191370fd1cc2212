// The comparison of two captures: what counts as a change, and what stays within the tolerances.

#include <gtest/gtest.h>

#include "brv_core/compare/capture_compare.h"
#include "brv_core/document/results_fields.h"

namespace brv {
namespace {

ResumeCapture Base() {
  ResumeCapture r;
  r.trames = 1000000;
  r.etats = {{0x0101, EtatReseau::Present}, {0x0102, EtatReseau::Present}, {0x0103, EtatReseau::NonAppele}};
  r.chargeDonnees = 60;
  r.chargeMessages = 2;
  r.tauxErreur = 0.01;
  r.compteurs[1] = 10;
  r.temps[0x0101] = {20e6, 1e5, 30e3};
  r.macrocycleNs = 100e6;
  return r;
}

TEST(CaptureCompare, ChangesBeyondTheTolerances) {
  const struct {
    const char* cas;
    void (*change)(ResumeCapture&);
    std::vector<Ecart> ecarts;
  } cas[] = {
      {"nothing", [](ResumeCapture&) {}, {}},
      {"a longer capture with the same error rate",
       [](ResumeCapture& r) {
         r.trames *= 2;
         r.compteurs[1] *= 2;
       },
       {}},
      {"an identifier disappears and one appears",
       [](ResumeCapture& r) {
         r.etats.erase(0x0102);
         r.etats[0x0200] = EtatReseau::Present;
       },
       {{"identifier 0102", "present", ""}, {"identifier 0200", "", "present"}}},
      {"a producer goes silent", [](ResumeCapture& r) { r.etats[0x0101] = EtatReseau::Manquant; },
       {{"identifier 0101", "present", "missing"}}},
      {"a period within 10 %", [](ResumeCapture& r) { r.temps[0x0101].periodeNominaleNs = 21e6; }, {}},
      {"a period doubled", [](ResumeCapture& r) { r.temps[0x0101].periodeNominaleNs = 40e6; },
       {{"identifier 0101 period", "20.00 ms", "40.00 ms"}}},
      {"jitter grows beyond a tenth of the period", [](ResumeCapture& r) { r.temps[0x0101].gigueMaxNs = 3e6; },
       {{"identifier 0101 jitter", "100.00 us", "3.00 ms"}}},
      {"jitter moves within the tolerance", [](ResumeCapture& r) { r.temps[0x0101].gigueMaxNs = 1.9e6; }, {}},
      {"a slower producer", [](ResumeCapture& r) { r.temps[0x0101].retournementMoyenNs = 60e3; },
       {{"identifier 0101 turnaround", "30.00 us", "60.00 us"}}},
      {"loads within a point", [](ResumeCapture& r) { r.chargeDonnees = 60.9; }, {}},
      {"a heavier message load", [](ResumeCapture& r) { r.chargeMessages = 5; },
       {{"message load", "2.00 %", "5.00 %"}}},
      {"a new kind of error", [](ResumeCapture& r) { r.compteurs[2] = 1; },
       {{std::string(kNomsCompteursErreur[2]) + " per million frames", "0.00", "1.00"}}},
  };
  for (const auto& c : cas) {
    ResumeCapture apres = Base();
    c.change(apres);
    EXPECT_EQ(CompareCaptures(Base(), apres), c.ecarts) << c.cas;
  }
}

TEST(CaptureCompare, TimingIsComparedOnlyWhereBothMeasuredIt) {
  ResumeCapture sans = Base();
  sans.temps.clear();
  sans.macrocycleNs.reset();
  ResumeCapture apres = Base();
  apres.temps[0x0101].periodeNominaleNs = 80e6;
  apres.macrocycleNs = 400e6;
  EXPECT_TRUE(CompareCaptures(sans, apres).empty());
  EXPECT_EQ(CompareCaptures(Base(), apres).size(), 2u);
}

TEST(CaptureCompare, ThePageEscapesNamesAndMarksAbsentValues) {
  const std::string p = PageComparaison("/a/<b>.dat", "c.dat", {{"identifier 0104", "present", ""}});
  EXPECT_NE(p.find("/a/&lt;b&gt;.dat"), std::string::npos);
  EXPECT_NE(p.find("<td>identifier 0104</td><td>present</td><td>(absent)</td>"), std::string::npos);
  EXPECT_NE(PageComparaison("a", "b", {}).find("No difference beyond the tolerances."), std::string::npos);
}

}  // namespace
}  // namespace brv
