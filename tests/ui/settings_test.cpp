// Placement, panes and recent files kept between runs.
#include <gtest/gtest.h>

#include <QMainWindow>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>

#include "shell/settings.h"

namespace brv::ui {
namespace {

struct Reglages {
  QTemporaryDir dossier;
  QSettings s{dossier.filePath(QStringLiteral("brenvale.conf")), QSettings::IniFormat};
};

TEST(Settings, NormalPosTextIsTopBottomLeftRight) {
  EXPECT_EQ(TexteNormalPos(QRect(20, 10, 580, 390)), QStringLiteral("10 400 20 600"));
  const struct {
    const char* texte;
    std::optional<QRect> attendu;
  } cas[] = {
      {"10 400 20 600", QRect(20, 10, 580, 390)},
      {"  10   400 20 600 ", QRect(20, 10, 580, 390)},
      {"10 400 20", std::nullopt},
      {"10 400 20 x", std::nullopt},
      {"400 10 20 600", std::nullopt},  // bottom above top
  };
  for (const auto& c : cas) EXPECT_EQ(LitNormalPos(QString::fromLatin1(c.texte)), c.attendu) << c.texte;
}

TEST(Settings, PlacementRestoresTheStoredRectangle) {
  Reglages r;
  r.s.setValue(QStringLiteral("WndPlacement/NormalPos"), QStringLiteral("10 400 20 600"));
  QMainWindow f;
  EXPECT_FALSE(RestaurePlacement(r.s, f));
  f.show();
  EXPECT_EQ(f.geometry().top(), 10);
  EXPECT_EQ(f.geometry().top() + f.geometry().height(), 400);
  EXPECT_EQ(f.geometry().left(), 20);
  EXPECT_EQ(f.geometry().left() + f.geometry().width(), 600);
}

TEST(Settings, MaximisedKeepsTheNormalRectangle) {
  Reglages r;
  r.s.setValue(QStringLiteral("WndPlacement/bShowMax"), 1);
  r.s.setValue(QStringLiteral("WndPlacement/NormalPos"), QStringLiteral("10 400 20 600"));
  QMainWindow f;
  ASSERT_TRUE(RestaurePlacement(r.s, f));
  f.showMaximized();
  EXPECT_TRUE(f.isMaximized());
  SauvePlacement(r.s, f);
  EXPECT_EQ(r.s.value(QStringLiteral("WndPlacement/bShowMax")).toInt(), 1);
  EXPECT_EQ(r.s.value(QStringLiteral("WndPlacement/NormalPos")).toString(), QStringLiteral("10 400 20 600"));
}

TEST(Settings, PanesDefaultThenStoredSizes) {
  Reglages r;
  QSplitter sp(Qt::Vertical);
  sp.addWidget(new QWidget);
  sp.addWidget(new QWidget);
  sp.resize(200, 600);
  sp.setSizes({450, 150});
  const QList<int> avant = sp.sizes();
  RestaurePanneaux(r.s, 0, sp);  // "-1 150 -1 150": the layout is left alone
  EXPECT_EQ(sp.sizes(), avant);
  r.s.setValue(QStringLiteral("SplitterWnd/Panes_0"), QStringLiteral("300 150 300 150"));
  RestaurePanneaux(r.s, 0, sp);
  EXPECT_EQ(sp.sizes()[0], sp.sizes()[1]);
  SauvePanneaux(r.s, 0, sp);
  EXPECT_EQ(r.s.value(QStringLiteral("SplitterWnd/Panes_0")).toString(),
            QStringLiteral("%1 150 %2 150").arg(sp.sizes()[0]).arg(sp.sizes()[1]));
}

TEST(Settings, RecentFilesKeepSixNewestFirst) {
  Reglages r;
  QStringList l;
  for (int i = 0; i < 8; ++i) l = AjouteFichierRecent(r.s, QStringLiteral("/tmp/c%1.dat").arg(i));
  ASSERT_EQ(l.size(), kNbFichiersRecents);
  EXPECT_EQ(l.first(), QStringLiteral("/tmp/c7.dat"));
  l = AjouteFichierRecent(r.s, QStringLiteral("/tmp/c4.dat"));
  EXPECT_EQ(l.first(), QStringLiteral("/tmp/c4.dat"));
  EXPECT_EQ(l.count(QStringLiteral("/tmp/c4.dat")), 1);
  EXPECT_EQ(FichiersRecents(r.s), l);
}

}  // namespace
}  // namespace brv::ui
