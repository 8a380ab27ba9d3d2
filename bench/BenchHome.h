#pragma once
// What a benchmark of the window runs in: a fresh temporary home for settings and data, so that
// the user's own are neither read nor written, and the offscreen platform. Made before the
// application object, which reads them.

#include <QByteArray>
#include <QTemporaryDir>

class TBenchHome {
public:
    TBenchHome()
    {
        qputenv("XDG_CONFIG_HOME", FHome.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", FHome.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    // A file of this name in the home.
    QString FilePath(const QString& name) const { return FHome.filePath(name); }

private:
    QTemporaryDir FHome;
};
