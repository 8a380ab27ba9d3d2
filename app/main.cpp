// Kestrelon Log Viewer for Firebird and InterBase: starts the main window and runs until it is
// closed. The first argument that names an existing file is the log to show; --help and
// --version print and end instead.

#include "LocalFileNames.h"
#include "LogViewerMain.h"
#include "ProgramPicture.h"
#include "VersionValues.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {

// Prints the help or the version and ends the program when asked for either.
void AnswerInformationOptions(const QApplication& application)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(KESTRELON_PRODUCT_NAME));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The log to show (firebird.log, interbase.log)"),
                                 QStringLiteral("[file]"));
    // Anything else (Qt's own options, names that are not files) is left to the window.
    parser.parse(application.arguments());
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kslogviewer"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRELON_FILE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kslogviewer"));
    QApplication::setWindowIcon(ProgramIcon());
    AnswerInformationOptions(application);
    // Names are taken as the system gives them, so that a name in another encoding still opens.
    TfmLogViewer window(nullptr, LocalArguments(argc, argv));
    window.show();
    return QApplication::exec();
}
