#include "shell/settings.h"

#include <QFileInfo>
#include <QMainWindow>
#include <QSplitter>

#include "brv_core/report/export_choices.h"

namespace brv::ui {

namespace {
constexpr const char* kPanneauxDefaut = "-1 150 -1 150";

std::optional<std::array<int, 4>> QuatreEntiers(const QString& texte) {
  const QStringList parts = texte.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (parts.size() != 4) return std::nullopt;
  std::array<int, 4> v{};
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    v[i] = parts[i].toInt(&ok);
    if (!ok) return std::nullopt;
  }
  return v;
}
}  // namespace

QString TexteNormalPos(const QRect& r) {
  return QStringLiteral("%1 %2 %3 %4").arg(r.top()).arg(r.top() + r.height()).arg(r.left()).arg(r.left() + r.width());
}

std::optional<QRect> LitNormalPos(const QString& texte) {
  const auto v = QuatreEntiers(texte);
  if (!v) return std::nullopt;
  const auto [haut, bas, gauche, droite] = *v;
  if (bas <= haut || droite <= gauche) return std::nullopt;
  return QRect(gauche, haut, droite - gauche, bas - haut);
}

void SauvePlacement(QSettings& s, const QMainWindow& fenetre) {
  s.beginGroup(QStringLiteral("WndPlacement"));
  s.setValue(QStringLiteral("bShowMax"), fenetre.isMaximized() ? 1 : 0);
  s.setValue(QStringLiteral("NormalPos"), TexteNormalPos(fenetre.normalGeometry()));
  s.endGroup();
}

bool RestaurePlacement(QSettings& s, QMainWindow& fenetre) {
  s.beginGroup(QStringLiteral("WndPlacement"));
  const bool max = s.value(QStringLiteral("bShowMax"), 0).toInt() == 1;
  const QString pos = s.value(QStringLiteral("NormalPos"), TexteNormalPos(fenetre.geometry())).toString();
  s.endGroup();
  if (const auto r = LitNormalPos(pos)) fenetre.setGeometry(*r);
  return max;
}

void SauvePanneaux(QSettings& s, int numero, const QSplitter& splitter) {
  const QList<int> tailles = splitter.sizes();
  if (tailles.size() < 2) return;
  QStringList paires;
  for (const int t : tailles) paires << QString::number(t) << QStringLiteral("150");
  s.beginGroup(QStringLiteral("SplitterWnd"));
  s.setValue(QStringLiteral("Panes_%1").arg(numero), paires.join(QLatin1Char(' ')));
  s.endGroup();
}

void RestaurePanneaux(QSettings& s, int numero, QSplitter& splitter) {
  s.beginGroup(QStringLiteral("SplitterWnd"));
  const QString texte = s.value(QStringLiteral("Panes_%1").arg(numero), QString::fromLatin1(kPanneauxDefaut)).toString();
  s.endGroup();
  // A size and a minimum per pane; -1 (the default) leaves the layout as it is.
  const QStringList parts = texte.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (parts.size() != 2 * splitter.count()) return;
  QList<int> tailles;
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    bool ok = false;
    const int t = parts[i].toInt(&ok);
    if (!ok || t < 0) return;
    tailles << t;
  }
  splitter.setSizes(tailles);
}

brv::PARAM_EXPORT LitChoixExport(QSettings& s) {
  s.beginGroup(QString::fromLatin1(brv::kGroupeReglagesExport));
  brv::ReglagesExport r;
  for (const QString& cle : s.childKeys()) r[cle.toStdString()] = s.value(cle).toString().toStdString();
  s.endGroup();
  return brv::LitReglagesExport(r);
}

void SauveChoixExport(QSettings& s, const brv::PARAM_EXPORT& p) {
  s.beginGroup(QString::fromLatin1(brv::kGroupeReglagesExport));
  for (const auto& [cle, valeur] : brv::EcritReglagesExport(p)) {
    s.setValue(QString::fromStdString(cle), QString::fromStdString(valeur));
  }
  s.endGroup();
}

QStringList FichiersRecents(QSettings& s) {
  QStringList l = s.value(QStringLiteral("RecentFiles/files")).toStringList();
  while (l.size() > kNbFichiersRecents) l.removeLast();
  return l;
}

QStringList AjouteFichierRecent(QSettings& s, const QString& chemin) {
  const QString absolu = QFileInfo(chemin).absoluteFilePath();
  QStringList l = FichiersRecents(s);
  l.removeAll(absolu);
  l.prepend(absolu);
  while (l.size() > kNbFichiersRecents) l.removeLast();
  s.setValue(QStringLiteral("RecentFiles/files"), l);
  return l;
}

}  // namespace brv::ui
