// The card selection window over virtual devices: what it shows after its initialisation, the
// user's choices, and that it never shows when the selection is settled beforehand.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include <ftd2xx/virtual_device.h>
#include <kestrin/usb_ftd2xx_com.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/card_dialog.h"
#include "support/recording_reporter.h"

namespace brv::ui {
namespace {

using test::RapportTest;

class Muette : public ftd2xx::VirtualDevice {
 public:
  using VirtualDevice::VirtualDevice;

 protected:
  void on_host_write(std::span<const uint8_t>) override {}
};

struct Appareil {
  const char* description;
  bool occupe;
};

// Virtual devices in the device list for the test's lifetime, after the host's real ones.
class Appareils {
 public:
  explicit Appareils(const std::vector<Appareil>& defs) {
    for (const Appareil& a : defs) {
      auto d = std::make_shared<Muette>(a.description, "DLG" + std::to_string(serie_++));
      d->set_in_use(a.occupe);
      ftd2xx::register_virtual_device(d);
      liste_.push_back(d);
    }
  }
  ~Appareils() {
    for (const auto& d : liste_) ftd2xx::unregister_virtual_device(d);
  }
  Appareils(const Appareils&) = delete;
  Appareils& operator=(const Appareils&) = delete;

 private:
  static inline int serie_ = 0;
  std::vector<std::shared_ptr<Muette>> liste_;
};

size_t AppareilsReels() { return CUsbFtd2xxCom::get_all_com_info_list().size(); }
bool CarteReellePresente() { return !CUsbFtd2xxCom::get_com_info_by_name(kNomPeripheriqueCarte).empty(); }

template <typename T>
T* Enfant(const QWidget& w, const char* nom) {
  T* e = w.findChild<T*>(QLatin1String(nom));
  EXPECT_NE(e, nullptr) << nom;
  return e;
}

QStringList Entrees(const QComboBox& c) {
  QStringList l;
  for (int i = 0; i < c.count(); ++i) l << c.itemText(i);
  return l;
}

// Runs Execute() and reports whether the window ever showed; a window wrongly shown is closed
// so that the test fails instead of waiting for a user.
ResultatSelection ExecuteSansUtilisateur(CAttachToCardDlg& dlg, bool& montre) {
  montre = false;
  QTimer garde;
  QObject::connect(&garde, &QTimer::timeout, &dlg, [&] {
    if (dlg.isVisible()) {
      montre = true;
      dlg.reject();
    }
  });
  garde.start(0);
  return dlg.Execute();
}

TEST(CardDialog, ShowsTheControllersStateAfterInitialisation) {
  struct Cas {
    const char* nom;
    std::vector<Appareil> appareils;
    ResultatSelection resultat;
    bool avertissement;
    QStringList entrees;
    int selection;
    bool ok;
    QString emplacement;  // relative to the real devices; empty: characteristics not filled
  };
  const std::vector<Cas> cas = {
      {"one card in use", {{kNomPeripheriqueCarte, true}}, ResultatSelection::EnCours, true, {}, -1, false, {}},
      {"all in use among others",
       {{"Other Device", false}, {kNomPeripheriqueCarte, true}, {kNomPeripheriqueCarte, true}},
       ResultatSelection::EnCours, true, {}, -1, false, {}},
      {"first in use",
       {{kNomPeripheriqueCarte, true}, {kNomPeripheriqueCarte, false}},
       ResultatSelection::EnCours, false, {"USB #1", "USB #2"}, 1, true, "1"},
      {"other devices first",
       {{"Other Device", false}, {kNomPeripheriqueCarte, false}, {kNomPeripheriqueCarte, false}},
       ResultatSelection::EnCours, false, {"USB #1", "USB #2"}, 0, true, "1"},
  };
  if (CarteReellePresente()) GTEST_SKIP() << "a real card is plugged in";
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    Appareils appareils(c.appareils);
    const size_t reels = AppareilsReels() - c.appareils.size();
    RapportTest r;
    CAttachToCardDlg dlg(CartesPresentes(), r);
    EXPECT_EQ(dlg.Initialise(), c.resultat);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_FALSE(dlg.IndexCarteChoisie());

    EXPECT_EQ(Enfant<QLabel>(dlg, "avertissement")->isVisibleTo(&dlg), c.avertissement);
    auto* liste = Enfant<QComboBox>(dlg, "cartes");
    EXPECT_EQ(Entrees(*liste), c.entrees);
    EXPECT_EQ(liste->currentIndex(), c.selection);
    EXPECT_EQ(Enfant<QPushButton>(dlg, "ok")->isEnabled(), c.ok);
    auto* caracteristiques = Enfant<QStackedWidget>(dlg, "caracteristiques");
    EXPECT_EQ(caracteristiques->currentWidget()->objectName(), "valeurs");
    if (c.emplacement.isEmpty()) {
      EXPECT_EQ(Enfant<QLabel>(dlg, "emplacement")->text(), "0");
      EXPECT_EQ(Enfant<QLabel>(dlg, "nom")->text(), "0");
    } else {
      EXPECT_EQ(Enfant<QLabel>(dlg, "emplacement")->text(), QString::number(reels + c.emplacement.toUInt()));
      EXPECT_EQ(Enfant<QLabel>(dlg, "nom")->text(), kNomPeripheriqueCarte);
      EXPECT_TRUE(Enfant<QLabel>(dlg, "numeroSerie")->text().startsWith("DLG"));
    }
  }
}

TEST(CardDialog, SettledSelectionsNeverShowTheWindow) {
  if (CarteReellePresente()) GTEST_SKIP() << "a real card is plugged in";
  {
    SCOPED_TRACE("one free card");
    Appareils appareils({{"Other Device", false}, {kNomPeripheriqueCarte, false}});
    const size_t carte = AppareilsReels() - 1;
    RapportTest r;
    CAttachToCardDlg dlg(CartesPresentes(), r);
    bool montre = true;
    EXPECT_EQ(ExecuteSansUtilisateur(dlg, montre), ResultatSelection::Ok);
    EXPECT_FALSE(montre);
    EXPECT_EQ(dlg.IndexCarteChoisie(), static_cast<uint16_t>(carte));
    EXPECT_TRUE(r.messages.empty());
  }
  {
    SCOPED_TRACE("no card");
    Appareils appareils({{"Other Device", false}, {"Brenvale USB2", false}});
    RapportTest r;
    CAttachToCardDlg dlg(CartesPresentes(), r);
    bool montre = true;
    EXPECT_EQ(ExecuteSansUtilisateur(dlg, montre), ResultatSelection::Abandon);
    EXPECT_FALSE(montre);
    EXPECT_FALSE(dlg.IndexCarteChoisie());
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].first, "None active card");
    EXPECT_EQ(r.messages[0].second, IconeMessage::Erreur);
  }
}

TEST(CardDialog, ACardInUseIsRefusedAndTheFreeOneAccepted) {
  if (CarteReellePresente()) GTEST_SKIP() << "a real card is plugged in";
  Appareils appareils({{kNomPeripheriqueCarte, true}, {kNomPeripheriqueCarte, false}});
  const size_t libre = AppareilsReels() - 1;
  RapportTest r;
  CAttachToCardDlg dlg(CartesPresentes(), r);
  ASSERT_EQ(dlg.Initialise(), ResultatSelection::EnCours);
  auto* liste = Enfant<QComboBox>(dlg, "cartes");
  auto* caracteristiques = Enfant<QStackedWidget>(dlg, "caracteristiques");
  auto* ok = Enfant<QPushButton>(dlg, "ok");

  liste->setCurrentIndex(0);
  EXPECT_EQ(caracteristiques->currentWidget()->objectName(), "occupee");
  EXPECT_EQ(Enfant<QLabel>(dlg, "occupee")->text(), "No device information\n-----\nThe device is currently in used");
  ASSERT_TRUE(ok->isEnabled());
  ok->click();
  ASSERT_EQ(r.textes(), std::vector<std::string>{"None selected card"});
  EXPECT_EQ(r.messages[0].second, IconeMessage::Erreur);
  EXPECT_EQ(dlg.Resultat(), ResultatSelection::EnCours);
  EXPECT_EQ(dlg.result(), 0);

  liste->setCurrentIndex(1);
  EXPECT_EQ(caracteristiques->currentWidget()->objectName(), "valeurs");
  EXPECT_EQ(Enfant<QLabel>(dlg, "emplacement")->text(), QString::number(libre));
  ok->click();
  EXPECT_EQ(dlg.Resultat(), ResultatSelection::Ok);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.IndexCarteChoisie(), static_cast<uint16_t>(libre));
  EXPECT_EQ(r.messages.size(), 1u);
}

// Other FTDI devices ahead of the card: the device-list index is stored, not the list position.
TEST(CardDialog, TheModalLoopEndsWithTheDeviceListIndex) {
  if (CarteReellePresente()) GTEST_SKIP() << "a real card is plugged in";
  const size_t reels = AppareilsReels();
  if (reels > 2) GTEST_SKIP() << "too many real devices to place the card at index 4";
  std::vector<Appareil> defs(2 - reels, Appareil{"Other Device", false});
  defs.insert(defs.end(), {{kNomPeripheriqueCarte, true},
                           {"Other Device", false},
                           {kNomPeripheriqueCarte, false},
                           {kNomPeripheriqueCarte, true}});
  Appareils appareils(defs);
  RapportTest r;
  CAttachToCardDlg dlg(CartesPresentes(), r);
  QTimer::singleShot(0, &dlg, [&dlg] {
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(Entrees(*Enfant<QComboBox>(dlg, "cartes")), (QStringList{"USB #1", "USB #2", "USB #3"}));
    EXPECT_EQ(Enfant<QLabel>(dlg, "emplacement")->text(), "4");
    Enfant<QPushButton>(dlg, "ok")->click();
  });
  EXPECT_EQ(dlg.Execute(), ResultatSelection::Ok);
  EXPECT_EQ(dlg.IndexCarteChoisie(), uint16_t{4});
  EXPECT_TRUE(r.messages.empty());
}

TEST(CardDialog, CancelHelpAndEscape) {
  if (CarteReellePresente()) GTEST_SKIP() << "a real card is plugged in";
  Appareils appareils({{kNomPeripheriqueCarte, true}});
  for (const char* fin : {"annuler", "escape"}) {
    SCOPED_TRACE(fin);
    RapportTest r;
    CAttachToCardDlg dlg(CartesPresentes(), r);
    int aides = 0;
    QObject::connect(&dlg, &CAttachToCardDlg::AideDemandee, [&aides] { ++aides; });
    QTimer::singleShot(0, &dlg, [&dlg, fin] {
      Enfant<QPushButton>(dlg, "aide")->click();
      if (std::string(fin) == "annuler")
        Enfant<QPushButton>(dlg, "annuler")->click();
      else
        dlg.reject();
    });
    EXPECT_EQ(dlg.Execute(), ResultatSelection::Annule);
    EXPECT_EQ(aides, 1);
    EXPECT_FALSE(dlg.IndexCarteChoisie());
  }
}

TEST(CardDialog, SelectionOnThePresentCards) {
  if (CarteReellePresente()) GTEST_SKIP() << "a real card is plugged in";
  {
    RapportTest r;
    std::optional<uint16_t> index = 9;
    EXPECT_EQ(SelectionneCarte(r, index), ResultatSelection::Abandon);
    EXPECT_FALSE(index);
    EXPECT_EQ(r.textes(), std::vector<std::string>{"None active card"});
  }
  Appareils appareils({{kNomPeripheriqueCarte, false}});
  RapportTest r;
  std::optional<uint16_t> index;
  EXPECT_EQ(SelectionneCarte(r, index), ResultatSelection::Ok);
  EXPECT_EQ(index, static_cast<uint16_t>(AppareilsReels() - 1));
  EXPECT_TRUE(r.messages.empty());
}

}  // namespace
}  // namespace brv::ui
