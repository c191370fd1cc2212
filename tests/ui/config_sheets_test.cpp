// The configuration sheets as a user meets them: limits applied while typing, a refused page that
// keeps the sheet open and writes nothing, read-only sheets, and the Views page told once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "config/acq_sheet.h"
#include "config/display_sheet.h"
#include "config/duration_fields.h"
#include "shell/qt_reporter.h"

namespace brv::ui {
namespace {

class RapportEnregistre : public CRapportQt {
 public:
  void BoiteMessage(std::string_view texte, brv::IconeMessage icone) override {
    boites.emplace_back(texte);
    icones.push_back(icone);
  }
  bool QuestionOuiNon(std::string_view) override { return false; }
  std::vector<std::string> boites;
  std::vector<brv::IconeMessage> icones;
};

void Tape(QWidget* w, const QString& texte) {
  w->setFocus();
  for (const QChar c : texte) {
    QKeyEvent appui(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &appui);
  }
}

template <class T>
T* Enfant(QWidget* w, int rang = 0) {
  const auto tous = w->findChildren<T*>();
  return rang < tous.size() ? tous[rang] : nullptr;
}

TEST(ConfigSheets, ADurationFieldHoldsItsLimitWhileTyped) {
  CChampsDuree duree;
  Tape(duree.Jours(), QStringLiteral("250"));
  EXPECT_EQ(duree.Jours()->text(), QStringLiteral("48"));
}

TEST(ConfigSheets, ARefusedPageKeepsTheSheetOpenAndWritesNothing) {
  RapportEnregistre rapport;
  brv::Configuration doc;
  doc.cheminFichierAcq = "/acq/kept.dat";
  CConfigAcqSheet feuille(doc, true, brv::PAGE_POST_TRIG, rapport);
  feuille.show();
  auto* post = feuille.Page(1);
  QLineEdit* taille = Enfant<QLineEdit>(post);
  ASSERT_NE(taille, nullptr);
  taille->clear();
  // Another tab: the page refuses to be left.
  auto* onglets = Enfant<QTabWidget>(&feuille);
  onglets->setCurrentIndex(0);
  EXPECT_EQ(onglets->currentIndex(), 1);
  feuille.BoutonOk()->click();
  EXPECT_TRUE(feuille.isVisible());
  EXPECT_FALSE(feuille.Confirmee());
  ASSERT_EQ(rapport.boites.size(), 2u);
  EXPECT_EQ(rapport.boites[0], brv::kMsgLongueurPostTrig);
  EXPECT_EQ(rapport.icones[0], brv::IconeMessage::Erreur);
  const brv::Configuration avant = doc;
  feuille.Ecrit(doc);
  EXPECT_EQ(doc, avant);

  taille->setText(QStringLiteral("2"));
  feuille.BoutonOk()->click();
  EXPECT_TRUE(feuille.Confirmee());
  feuille.Ecrit(doc);
  EXPECT_EQ(doc.postTrig.ullTaille, 2u);
  EXPECT_EQ(doc.cheminFichierAcq, "/acq/kept.dat");
}

TEST(ConfigSheets, ReadOnlySheetsTakeNoChange) {
  RapportEnregistre rapport;
  const brv::Configuration doc;
  CConfigAcqSheet acq(doc, false, 0, rapport);
  EXPECT_FALSE(acq.BoutonOk()->isEnabled());
  EXPECT_FALSE(acq.BoutonAppliquer()->isEnabled());
  CConfigAffSheet aff(doc, doc.bourrageAcq, false, 0, rapport);
  EXPECT_FALSE(aff.BoutonOk()->isEnabled());
  EXPECT_FALSE(aff.BoutonAppliquer()->isEnabled());
  EXPECT_EQ(aff.BoutonOk()->text(), QStringLiteral("Validate"));
}

TEST(ConfigSheets, TheViewsPageTellsOnceAndTheSecondValidateCloses) {
  RapportEnregistre rapport;
  brv::Configuration doc;
  CConfigAffSheet feuille(doc, doc.bourrageAcq, true, 0, rapport);
  feuille.show();
  QLineEdit* reseau = Enfant<QLineEdit>(feuille.Page(0));
  ASSERT_NE(reseau, nullptr);
  reseau->setText(QStringLiteral("50"));
  auto* unite = Enfant<QComboBox>(feuille.Page(0));
  unite->setCurrentIndex(0);  // ms
  feuille.BoutonOk()->click();
  EXPECT_TRUE(feuille.isVisible());
  ASSERT_EQ(rapport.boites.size(), 1u);
  EXPECT_EQ(rapport.boites[0], brv::kMsgVuesCorrigees);
  EXPECT_EQ(reseau->text(), QStringLiteral("100"));
  feuille.BoutonOk()->click();
  EXPECT_FALSE(feuille.isVisible());
  EXPECT_EQ(rapport.boites.size(), 1u);
  ASSERT_TRUE(feuille.Ecrit(doc));
  EXPECT_EQ(doc.vues.configReseau.ullNs, 100000000u);
}

}  // namespace
}  // namespace brv::ui
