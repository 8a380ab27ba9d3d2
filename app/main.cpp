// Kestrelon Log Viewer for Firebird and InterBase: starts the main window and runs until it is
// closed. The first argument that names an existing file is the log to show.

#include "ApplicationInfo.h"
#include "LogViewerMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kslogviewer"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRELON_VERSION));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("utilities-log-viewer")));
    TfmLogViewer window;
    window.show();
    return QApplication::exec();
}
