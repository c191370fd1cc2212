// The card selection rules: the dialog's initialisation, selection and OK, and the automatic pick.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "brv_core/acquisition/card_selection.h"
#include "support/recording_reporter.h"

namespace brv {
namespace {

using test::RapportTest;

struct Carte {
  uint32_t index;
  bool occupee;
};

ListeCartes cartes(std::initializer_list<Carte> defs) {
  ListeCartes l;
  for (const Carte& d : defs) {
    auto c = std::make_shared<CUsbComInfo>();
    c->m_index = d.index;
    c->m_in_use = d.occupee;
    c->m_name = kNomPeripheriqueCarte;
    c->m_serial_number = "BRV" + std::to_string(d.index);
    l.push_back(c);
  }
  return l;
}

TEST(SelectionCarte, OneFreeCardIsChosenWithoutUserAction) {
  RapportTest r;
  CAttachToCard dlg(cartes({{7, false}}), r);
  EXPECT_EQ(dlg.OnInitDialog(), ResultatSelection::Ok);
  EXPECT_EQ(dlg.IndexCarteChoisie(), uint16_t{7});
  EXPECT_TRUE(r.messages.empty());
  EXPECT_TRUE(r.questions.empty());
}

TEST(SelectionCarte, OneCardInUseLeavesTheDialogOpenWithTheWarning) {
  RapportTest r;
  CAttachToCard dlg(cartes({{0, true}}), r);
  EXPECT_EQ(dlg.OnInitDialog(), ResultatSelection::EnCours);
  EXPECT_TRUE(dlg.AvertissementVisible());
  EXPECT_TRUE(dlg.Entrees().empty());
  EXPECT_FALSE(dlg.OkActif());
  EXPECT_FALSE(dlg.IndexCarteChoisie());
  EXPECT_TRUE(r.messages.empty());
  dlg.OnCancel();
  EXPECT_EQ(dlg.Resultat(), ResultatSelection::Annule);
}

TEST(SelectionCarte, FirstFreeCardIsPreselectedAndACardInUseIsRefused) {
  RapportTest r;
  CAttachToCard dlg(cartes({{0, true}, {1, false}}), r);
  ASSERT_EQ(dlg.OnInitDialog(), ResultatSelection::EnCours);
  EXPECT_FALSE(dlg.AvertissementVisible());
  EXPECT_EQ(dlg.Entrees(), (std::vector<std::string>{"USB #1", "USB #2"}));
  EXPECT_EQ(dlg.Selection(), 1);
  EXPECT_TRUE(dlg.OkActif());
  EXPECT_TRUE(dlg.CaracteristiquesVisibles());
  EXPECT_FALSE(dlg.InfoOccupeeVisible());
  EXPECT_EQ(dlg.Nom(), "Brenvale USB");
  EXPECT_EQ(dlg.Emplacement(), "1");
  EXPECT_EQ(dlg.NumeroSerie(), "BRV1");

  dlg.OnSelectionChange(0);
  EXPECT_FALSE(dlg.CaracteristiquesVisibles());
  EXPECT_TRUE(dlg.InfoOccupeeVisible());
  EXPECT_STREQ(kTexteCarteOccupee, "No device information\n-----\nThe device is currently in used");

  EXPECT_FALSE(dlg.OnBnClickedOk());
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].first, "None selected card");
  EXPECT_EQ(r.messages[0].second, IconeMessage::Erreur);
  EXPECT_EQ(dlg.Resultat(), ResultatSelection::EnCours);
  EXPECT_FALSE(dlg.IndexCarteChoisie());

  // Back to the free card: its characteristics return and OK closes.
  dlg.OnSelectionChange(1);
  EXPECT_TRUE(dlg.CaracteristiquesVisibles());
  EXPECT_TRUE(dlg.OnBnClickedOk());
  EXPECT_EQ(dlg.Resultat(), ResultatSelection::Ok);
}

TEST(SelectionCarte, StoresTheDeviceListIndexNotTheListPosition) {
  RapportTest r;
  CAttachToCard dlg(cartes({{2, true}, {4, false}, {5, true}}), r);
  ASSERT_EQ(dlg.OnInitDialog(), ResultatSelection::EnCours);
  EXPECT_EQ(dlg.Entrees().size(), 3u);
  EXPECT_EQ(dlg.Emplacement(), "4");
  ASSERT_TRUE(dlg.OnBnClickedOk());
  EXPECT_EQ(dlg.IndexCarteChoisie(), uint16_t{4});
}

TEST(SelectionCarte, NoCardAbortsWithAMessage) {
  RapportTest r;
  CAttachToCard dlg({}, r);
  EXPECT_EQ(dlg.OnInitDialog(), ResultatSelection::Abandon);
  EXPECT_EQ(static_cast<int>(dlg.Resultat()), 3);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].first, "None active card");
  EXPECT_EQ(r.messages[0].second, IconeMessage::Erreur);
}

TEST(SelectionCarteAuto, FollowsTheDialogRules) {
  struct Cas {
    const char* nom;
    ListeCartes liste;
    std::optional<uint16_t> attendu;
    const char* message;
  };
  const std::vector<Cas> cas = {
      {"none", {}, std::nullopt, "None active card"},
      {"one free", cartes({{3, false}}), uint16_t{3}, nullptr},
      {"first free of several", cartes({{0, true}, {6, false}, {8, false}}), uint16_t{6}, nullptr},
      {"all in use", cartes({{0, true}, {1, true}}), std::nullopt, "No available card !"},
      {"index above 16 bits", cartes({{0x10005, false}}), uint16_t{5}, nullptr},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    RapportTest r;
    EXPECT_EQ(ChoisitCarteAuto(c.liste, r), c.attendu);
    if (c.message) {
      ASSERT_EQ(r.messages.size(), 1u);
      EXPECT_EQ(r.messages[0].first, c.message);
    } else {
      EXPECT_TRUE(r.messages.empty());
    }
  }
}

}  // namespace
}  // namespace brv
