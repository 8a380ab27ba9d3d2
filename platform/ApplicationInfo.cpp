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
    return CataloguePathFor(QCoreApplication::applicationDirPath());
}

QString CataloguePathFor(const QString& folder)
{
    const QDir executableFolder(folder);
    const QString besideExecutable = executableFolder.filePath(QStringLiteral("fblvlog.descr"));
    const QString installed =
        QDir::cleanPath(executableFolder.filePath(QStringLiteral("../share/kslogviewer/fblvlog.descr")));
    if (!QFileInfo::exists(besideExecutable) && QFileInfo::exists(installed))
        return installed;
    return besideExecutable;
}
