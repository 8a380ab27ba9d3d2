#include "ApplicationInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ApplicationTitle()
{
    return QStringLiteral("Kestrelon Log Viewer for Firebird and InterBase");
}

QString CataloguePath()
{
    const QDir executableFolder(QCoreApplication::applicationDirPath());
    const QString besideExecutable = executableFolder.filePath(QStringLiteral("fblvlog.descr"));
    const QString installed =
        QDir::cleanPath(executableFolder.filePath(QStringLiteral("../share/kslogviewer/fblvlog.descr")));
    if (!QFileInfo::exists(besideExecutable) && QFileInfo::exists(installed))
        return installed;
    return besideExecutable;
}
