#include "FileReplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

QString Reason(const QString& path, const QString& what)
{
    return QStringLiteral("Cannot save \"%1\". %2").arg(QDir::toNativeSeparators(path), what);
}

bool SyncToDisk(QFile& file)
{
#ifdef _WIN32
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

}  // namespace

QString ReplacementPath(const QString& path)
{
    return path + QStringLiteral(".saving");
}

std::optional<QString> CommitReplacement(const QString& temporaryPath, const QString& path)
{
    const auto fail = [&](const QString& what) {
        QFile::remove(temporaryPath);
        return std::optional<QString>(Reason(path, what));
    };
    QFile file(temporaryPath);
    if (!file.open(QIODevice::ReadWrite))
        return fail(file.errorString());
    if (!SyncToDisk(file))
        return fail(QStringLiteral("Its content could not be written to the disk."));
    file.close();
    // Renaming over an existing file replaces it in one step, on every platform.
    std::error_code error;
    std::filesystem::rename(temporaryPath.toStdWString(), path.toStdWString(), error);
    if (error)
        return fail(QString::fromStdString(error.message()));
    return std::nullopt;
}

std::optional<QString> ReplaceFileContent(const QString& path, const QByteArray& bytes)
{
    const QString temporaryPath = ReplacementPath(path);
    QFile file(temporaryPath);
    const auto fail = [&](const QString& what) {
        file.close();
        QFile::remove(temporaryPath);
        return std::optional<QString>(Reason(path, what));
    };
    // Unbuffered, so that a full disk shows on the write itself and not later in a close that
    // nobody checks.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return CommitReplacement(temporaryPath, path);
}
