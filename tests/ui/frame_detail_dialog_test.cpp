// The frame detail dialog shows the page of its row, and says why when the page cannot be written.

#include <gtest/gtest.h>

#include <QTextBrowser>

#include "capture_fixture.h"
#include "dialogs/frame_detail_dialog.h"

namespace brv::ui {
namespace {

using test::avec_crc;

TEST(FrameDetailDialog, ShowsThePageOfTheRow) {
  test::CaptureUi capture;
  capture.lineaire({{1000, avec_crc({0x03, 0x14, 0x05}), 0},
                    {2000, avec_crc({0x02, 0x40, 0x02, 0x12, 0x34}, 0x0101),
                     vandrel::STATUT_VOIE2 | vandrel::STATUT_INTERRUPTION_TRAFIC}},
                   vandrel::BT_ZIZA_BI);
  const auto lignes = capture.lignes();
  ASSERT_EQ(lignes.size(), 2u);
  struct Cas {
    uint64_t ligne;
    std::vector<std::string> textes;
  };
  const Cas cas[] = {
      {0, {"Identifier : 1405", "Presence request to station 5", "Receiving channel : 1"}},
      {1, {"Erroneous CRC", "Traffic interruption detected", "Receiving channel : 2", "Frame length : 7 bytes"}},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.ligne);
    CDetailTrameDlg dlg(capture.doc, capture.fichier, c.ligne, nullptr, capture.dir.file("frame.htm"));
    ASSERT_TRUE(dlg.Pret()) << dlg.Erreur().toStdString();
    EXPECT_EQ(dlg.windowTitle(), "Frame detail");
    const std::string texte = dlg.Navigateur()->toPlainText().toStdString();
    // The dates as the list shows them, "µs" included: the page is read as UTF-8.
    EXPECT_NE(texte.find("Relative date : " + lignes[c.ligne].dateRel), std::string::npos) << texte;
    EXPECT_NE(texte.find("Absolute date : " + lignes[c.ligne].dateAbs), std::string::npos) << texte;
    for (const auto& t : c.textes) EXPECT_NE(texte.find(t), std::string::npos) << t << "\n" << texte;
  }
}

TEST(FrameDetailDialog, APageThatCannotBeWrittenIsNotShown) {
  test::CaptureUi capture;
  capture.lineaire({{1000, avec_crc({0x03, 0x01, 0x00}), 0}}, vandrel::BT_ZIZA_MONO);
  const std::pair<std::string, const char*> cas[] = {
      {"", "Error initialising frame detail dialog box:\nImpossible to define a temporary file."},
      {capture.dir.file("missing/frame.htm"), "Error formatting frame detail:\nImpossible to create a temporary file."},
  };
  for (const auto& [chemin, message] : cas) {
    CDetailTrameDlg dlg(capture.doc, capture.fichier, 0, nullptr, chemin);
    EXPECT_FALSE(dlg.Pret());
    EXPECT_EQ(dlg.Erreur().toStdString(), message);
    EXPECT_TRUE(dlg.Navigateur()->toPlainText().isEmpty());
  }
}

}  // namespace
}  // namespace brv::ui
