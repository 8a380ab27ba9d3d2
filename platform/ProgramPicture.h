#pragma once
// The program's picture: a database with its log sheet. Drawn, so that it is sharp at every
// size (the About dialog's 120 pixels, the window icon, the installed icons).

#include <QIcon>
#include <QImage>

class QPainter;

// The picture is drawn on a square grid of this many units a side.
constexpr int kProgramPictureGrid = 120;

// Paints the picture onto the grid's square at the painter's origin, in its units: the raster
// sizes scale the painter, the scalable icon paints it as it is.
void PaintProgramPicture(QPainter& painter);
QImage ProgramPicture(int size);
QIcon ProgramIcon();
