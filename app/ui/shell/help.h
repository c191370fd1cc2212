#pragma once
// The user manual: an HTML page installed with the program, opened in the desktop's browser.

#include <QString>

class QWidget;

namespace brv::ui {

// The manual's index page: the one installed beside the executable's folder (../share/doc), else
// the one under the build's install prefix, else the source tree's (a program run from its build
// folder).
QString CheminManuel();

// The same choice over explicit places, first existing file wins; the last place when none exists.
QString PremierManuelExistant(const QStringList& candidats);

// Opens the manual; when the desktop cannot, tells the user where the file is.
void OuvreManuel(QWidget* parent);

}  // namespace brv::ui
