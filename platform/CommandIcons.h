#pragma once
// Images of the main window's commands: the desktop's icon theme where it has them, our own
// drawings otherwise.

#include <QIcon>

enum class TCommandImage { Open, Exit, About, Support };

QIcon CommandIcon(TCommandImage image);
