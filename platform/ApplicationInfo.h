#pragma once
// Names of the program, and where it finds the files it ships with.

#include <QString>

// "Kestrelon Log Viewer for Firebird and InterBase": the main window's caption between passes
// and the title of message boxes.
QString ApplicationTitle();

// fblvlog.descr beside the executable; when it is not there, in the installed data folder
// (../share/kslogviewer/ relative to the executable). The first path when neither exists.
QString CataloguePath();
QString CataloguePathFor(const QString& executableFolder);
