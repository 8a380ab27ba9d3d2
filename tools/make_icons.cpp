// Writes the program's picture as the PNG icons a desktop installs:
//   kslog-icons FOLDER  ->  FOLDER/hicolor/<N>x<N>/apps/kslogviewer.png

#include "ProgramPicture.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kslog-icons FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = root.filePath(QStringLiteral("hicolor/%1x%1/apps").arg(size));
        if (!QDir().mkpath(folder) ||
            !ProgramPicture(size).save(QDir(folder).filePath(QStringLiteral("kslogviewer.png")))) {
            std::fprintf(stderr, "kslog-icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
