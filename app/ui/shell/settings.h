#pragma once
// The settings kept between runs: window placement, splitter panes and the recent files, under
// the sections and keys the program has always used.

#include <QRect>
#include <QSettings>
#include <QStringList>

#include <optional>

#include "brv_core/report/text_export.h"

class QMainWindow;
class QSplitter;

namespace brv::ui {

inline constexpr int kNbFichiersRecents = 6;

// "NormalPos": "top bottom left right".
QString TexteNormalPos(const QRect& r);
std::optional<QRect> LitNormalPos(const QString& texte);

// Written when the main window closes: "bShowMax" and "NormalPos" under "WndPlacement".
void SauvePlacement(QSettings& s, const QMainWindow& fenetre);
// Applied before the first show: the normal rectangle, and whether to show maximised.
bool RestaurePlacement(QSettings& s, QMainWindow& fenetre);

// "Panes_<n>" under "SplitterWnd": "size0 min0 size1 min1 ..." a pair per pane, -1 for the
// default size.
void SauvePanneaux(QSettings& s, int numero, const QSplitter& splitter);
void RestaurePanneaux(QSettings& s, int numero, QSplitter& splitter);

// The last export choices, under "ExportTxt".
brv::PARAM_EXPORT LitChoixExport(QSettings& s);
void SauveChoixExport(QSettings& s, const brv::PARAM_EXPORT& p);

QStringList FichiersRecents(QSettings& s);
// Puts the file first; the list keeps six.
QStringList AjouteFichierRecent(QSettings& s, const QString& chemin);

}  // namespace brv::ui
