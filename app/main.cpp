// Kestrelon Log Viewer for Firebird and InterBase: starts the main window and runs until it is
// closed. The first argument that names an existing file is the log to show.

#include "LogViewerMain.h"
#include "ProgramPicture.h"
#include "VersionValues.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kslogviewer"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRELON_FILE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kslogviewer"));
    QApplication::setWindowIcon(ProgramIcon());
    TfmLogViewer window;
    window.show();
    return QApplication::exec();
}
