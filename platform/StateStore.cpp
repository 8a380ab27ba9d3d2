#include "StateStore.h"

#include <QByteArray>
#include <QtEndian>

#include <cstring>

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
    FSettings.setValue(Key(name), value);
}

void TStateStore::WriteString(const QString& name, const QString& value)
{
    FSettings.setValue(Key(name), value);
}

void TStateStore::WriteDateTime(const QString& name, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(sizeof bits, '\0');
    qToLittleEndian(bits, bytes.data());
    FSettings.setValue(Key(name), bytes);
}

void TStateStore::WriteInteger(const QString& name, int value)
{
    if (FSettings.value(Key(name)).typeId() == QMetaType::QString)
        FSettings.setValue(Key(name), QString::number(value));
    else
        FSettings.setValue(Key(name), value);
}
