#include "StateStore.h"

#include "FileReplacement.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

const QString kGroup = QStringLiteral("STATE");

bool IsInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

}  // namespace

EStateStoreError::EStateStoreError(const QString& valueName)
    : std::runtime_error(QStringLiteral("Invalid data type for '%1'").arg(valueName).toStdString())
{
}

TStateStore::TStateStore()
    : FSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrelon"),
                QStringLiteral("LogViewer"))
{
}

QString TStateStore::Key(const QString& name) const
{
    return kGroup + QLatin1Char('/') + name;
}

std::optional<QString> TStateStore::ReadString(const QString& name) const
{
    const QVariant value = FSettings.value(Key(name));
    if (!value.isValid())
        return std::nullopt;
    if (value.typeId() != QMetaType::QString)
        throw EStateStoreError(name);
    return value.toString();
}

std::optional<double> TStateStore::ReadDateTime(const QString& name) const
{
    const QVariant value = FSettings.value(Key(name));
    if (!value.isValid())
        return std::nullopt;
    const QByteArray bytes = value.toByteArray();
    if (value.typeId() != QMetaType::QByteArray || bytes.size() != sizeof(double))
        throw EStateStoreError(name);
    const quint64 bits = qFromLittleEndian<quint64>(bytes.constData());
    double result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

std::optional<int> TStateStore::ReadInteger(const QString& name) const
{
    const QVariant value = FSettings.value(Key(name));
    if (!value.isValid())
        return std::nullopt;
    if (IsInteger(value))
        return value.toInt();
    if (value.typeId() != QMetaType::QString)
        throw EStateStoreError(name);
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

std::optional<QStringList> TStateStore::ReadStringList(const QString& name) const
{
    const QVariant value = FSettings.value(Key(name));
    if (!value.isValid())
        return std::nullopt;
    if (value.typeId() == QMetaType::QString)
        return QStringList{value.toString()};
    if (value.typeId() != QMetaType::QStringList)
        throw EStateStoreError(name);
    return value.toStringList();
}

void TStateStore::WriteStringList(const QString& name, const QStringList& value)
{
    FWrites.insert(Key(name), value);
}

void TStateStore::WriteString(const QString& name, const QString& value)
{
    FWrites.insert(Key(name), value);
}

void TStateStore::WriteDateTime(const QString& name, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(sizeof bits, '\0');
    qToLittleEndian(bits, bytes.data());
    FWrites.insert(Key(name), bytes);
}

void TStateStore::WriteInteger(const QString& name, int value)
{
    if (FSettings.value(Key(name)).typeId() == QMetaType::QString)
        FWrites.insert(Key(name), QString::number(value));
    else
        FWrites.insert(Key(name), value);
}

namespace {

// True when the settings hold every value written, as the file format gives them back.
bool HoldsWrites(const QSettings& settings, const QSettings::SettingsMap& writes)
{
    for (auto write = writes.begin(); write != writes.end(); ++write) {
        const QVariant stored = settings.value(write.key());
        // An empty list is written as nothing at all.
        if (write.value().typeId() == QMetaType::QStringList && write.value().toStringList().isEmpty() &&
            stored.toStringList().isEmpty())
            continue;
        const bool same = write.value().typeId() == QMetaType::QStringList
                              ? stored.toStringList() == write.value().toStringList()
                              : (write.value().typeId() == QMetaType::QByteArray ? stored.toByteArray() == write.value().toByteArray()
                                                                                   : stored.toString() == write.value().toString());
        if (!stored.isValid() || !same)
            return false;
    }
    return true;
}

// True when the file, read afresh from the disk, holds every value written. QSettings keeps what
// it wrote in a cache of the process and would answer from it for the same path, so the file is
// read through a second name of its own.
bool ReadsBackWhole(const QString& path, const QSettings::SettingsMap& writes)
{
    const QString secondName = path + QStringLiteral(".check");
    QFile::remove(secondName);
    std::error_code error;
    std::filesystem::create_hard_link(path.toStdWString(), secondName.toStdWString(), error);
    if (error)
        return false;
    const bool whole = HoldsWrites(QSettings(secondName, QSettings::NativeFormat), writes);
    QFile::remove(secondName);
    return whole;
}

void Apply(QSettings& settings, const QSettings::SettingsMap& writes)
{
    for (auto write = writes.begin(); write != writes.end(); ++write)
        settings.setValue(write.key(), write.value());
}

}  // namespace

std::optional<QString> TStateStore::Sync()
{
#ifdef _WIN32
    // The registry takes each value in one step.
    Apply(FSettings, FWrites);
    FSettings.sync();
    if (FSettings.status() != QSettings::NoError)
        return QStringLiteral("Cannot save the settings in the registry.");
    return std::nullopt;
#else
    // The values go into a copy of the file, which must read back whole before it replaces it.
    const QString path = FSettings.fileName();
    const QString copy = ReplacementPath(path);
    QFile::remove(copy);
    const auto fail = [&](const QString& what) {
        QFile::remove(copy);
        return std::optional<QString>(QStringLiteral("Cannot save \"%1\". %2").arg(path, what));
    };
    if (QFile::exists(path) && !QFile::copy(path, copy))
        return fail(QStringLiteral("Its copy could not be written."));
    {
        QSettings settings(copy, QSettings::NativeFormat);
        Apply(settings, FWrites);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return fail(QStringLiteral("It could not be written."));
    }
    if (!ReadsBackWhole(copy, FWrites))
        return fail(QStringLiteral("It could not be written whole."));
    if (const std::optional<QString> error = CommitReplacement(copy, path))
        return error;
    FWrites.clear();
    FSettings.sync();
    return std::nullopt;
#endif
}
