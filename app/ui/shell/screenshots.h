#pragma once
// Pictures of the program's windows as the X server shows them, for the documentation and for
// a check that every window appears and draws: the main window with rows, the card selection
// dialog, the Goto dialog and the frame detail dialog. The program exits when they are taken,
// with status 1 when a window did not appear or its picture is blank.

#include <QImage>
#include <QString>

namespace brv::ui {

class CMainFrame;

// Starts taking the pictures into dossier once the main window shows its rows.
void PrendPhotos(CMainFrame& fenetre, const QString& dossier);

// Distinct colours of a picture, counted up to plafond.
int CouleursDistinctes(const QImage& image, int plafond = 256);

}  // namespace brv::ui
