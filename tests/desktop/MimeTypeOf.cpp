// Prints the MIME type that Qt's reader of the shared MIME database (the one of Qt-based
// desktops and file managers) gives each file named: "NAME: TYPE" a line.

#include <QCoreApplication>
#include <QMimeDatabase>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QMimeDatabase database;
    for (int i = 1; i < argc; ++i) {
        const QString name = QString::fromLocal8Bit(argv[i]);
        std::printf("%s: %s\n", argv[i], qPrintable(database.mimeTypeForFile(name).name()));
    }
    return 0;
}
