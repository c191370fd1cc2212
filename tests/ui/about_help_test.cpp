// The about box's lines and the choice of the manual's place.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <vector>

#include "dialogs/about_dialog.h"
#include "shell/help.h"

namespace brv::ui {
namespace {

TEST(AboutBox, LinesNameEveryVersion) {
  VersionsAPropos v;
  v.majeur = 2;
  v.mineur = 10;
  v.correctif = 3;
  v.revision = 0;
  v.vandrel = "1.2.3";
  v.kestrin = "4.5.6";
  v.usb = "1.5";
  EXPECT_EQ(LignesAPropos(v), (QStringList{"Brenvale", "v.2.10.3.0", "Vandrel v.1.2.3", "Kestrin v.4.5.6",
                                           "USB library (libftdi1) 1.5",
                                           "Copyright (C) Quorvane. All rights reserved."}));

  // The loaded libraries answer with real versions, not empty texts.
  const VersionsAPropos chargees = VersionsChargees();
  const QRegularExpression xyz("^\\d+\\.\\d+\\.\\d+$");
  EXPECT_TRUE(xyz.match(chargees.vandrel).hasMatch()) << chargees.vandrel.toStdString();
  EXPECT_TRUE(xyz.match(chargees.kestrin).hasMatch()) << chargees.kestrin.toStdString();
  EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+").match(chargees.usb).hasMatch()) << chargees.usb.toStdString();
  EXPECT_EQ(chargees.vandrel, chargees.kestrin);
}

TEST(Manual, FirstExistingPlaceWins) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString installe = dir.filePath("installed/index.html");
  const QString voisin = dir.filePath("beside/index.html");
  const QString source = dir.filePath("source/index.html");
  struct Cas {
    const char* nom;
    std::vector<QString> presents;
    QString attendu;
  };
  const std::vector<Cas> cas = {
      {"all present", {installe, voisin, source}, installe},
      {"not installed", {voisin, source}, voisin},
      {"build tree only", {source}, source},
      {"none: the last place is named", {}, source},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    for (const QString& p : {installe, voisin, source}) {
      QFile::remove(p);
      QDir().mkpath(QFileInfo(p).path());
    }
    for (const QString& p : c.presents) {
      QFile f(p);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(PremierManuelExistant({installe, voisin, source}), c.attendu);
  }
  // A folder of the manual's name is not the manual.
  QFile::remove(installe);
  ASSERT_TRUE(QDir().mkpath(installe));
  EXPECT_EQ(PremierManuelExistant({installe, source}), source);

  // This build always finds a manual: the source tree's at worst.
  EXPECT_TRUE(QFileInfo(CheminManuel()).isFile()) << CheminManuel().toStdString();
  EXPECT_TRUE(CheminManuel().endsWith("/index.html"));
}

}  // namespace
}  // namespace brv::ui
