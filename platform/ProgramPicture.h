#pragma once
// The program's picture: a database with its log sheet. Drawn, so that it is sharp at every
// size (the About dialog's 120 pixels, the window icon, the installed icons).

#include <QIcon>
#include <QImage>

QImage ProgramPicture(int size);
QIcon ProgramIcon();
