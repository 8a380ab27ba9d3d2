#include "LayoutStore.h"

#include "FileReplacement.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <array>

namespace {

const QString kFormVersion = QStringLiteral("FormVersion");
const QString kFlags = QStringLiteral("Flags");
const QString kPixelsPerInch = QStringLiteral("PixelsPerInch");
const QString kMinMaxPos = QStringLiteral("MinMaxPos");
const QString kNormPos = QStringLiteral("NormPos");

// No screen reaches this far; a coordinate beyond it comes from a damaged or hostile file, and
// keeping within it keeps every sum and difference of coordinates inside an int.
constexpr int kFarthestCoordinate = 1 << 24;

// "a,b,c,d" as four integers, each within the farthest coordinate.
std::optional<std::array<int, 4>> ParseQuad(const QVariant& value)
{
    const QStringList parts = value.toString().split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    std::array<int, 4> numbers{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const int number = parts[i].trimmed().toInt(&ok);
        if (!ok || number < -kFarthestCoordinate || number > kFarthestCoordinate)
            return std::nullopt;
        numbers[static_cast<std::size_t>(i)] = number;
    }
    return numbers;
}

QString FormatQuad(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

// The layout file is a plain INI file whose keys stand in the order they are written in
// (QSettings' own INI format sorts them and quotes values with commas).
bool ReadLayoutIni(QIODevice& device, QSettings::SettingsMap& map)
{
    QString section;
    while (!device.atEnd()) {
        const QString line = QString::fromUtf8(device.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        map.insert(section + QLatin1Char('/') + line.left(equals).trimmed(), value);
    }
    return true;
}

QByteArray LayoutIniText(const QSettings::SettingsMap& map)
{
    static const QStringList kKeyOrder = {kFormVersion, kFlags, kPixelsPerInch, kMinMaxPos, kNormPos};
    const auto rank = [](const QString& key) {
        const qsizetype known = kKeyOrder.indexOf(key.section(QLatin1Char('/'), 1));
        return known < 0 ? kKeyOrder.size() : known;
    };
    QStringList keys = map.keys();
    std::stable_sort(keys.begin(), keys.end(), [&](const QString& a, const QString& b) {
        const QString sectionA = a.section(QLatin1Char('/'), 0, 0), sectionB = b.section(QLatin1Char('/'), 0, 0);
        return sectionA != sectionB ? sectionA < sectionB : rank(a) < rank(b);
    });
    QString text;
    QString section;
    for (const QString& key : keys) {
        const QString keySection = key.section(QLatin1Char('/'), 0, 0);
        if (text.isEmpty() || keySection != section)
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + QLatin1Char('[') + keySection + QStringLiteral("]\n");
        section = keySection;
        text += key.section(QLatin1Char('/'), 1) + QLatin1Char('=') + map.value(key).toString() + QLatin1Char('\n');
    }
    return text.toUtf8();
}

bool WriteLayoutIni(QIODevice& device, const QSettings::SettingsMap& map)
{
    const QByteArray text = LayoutIniText(map);
    return device.write(text) == text.size();
}

QSettings::Format LayoutFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(QStringLiteral("ini"), ReadLayoutIni, WriteLayoutIni);
    return format;
}

}  // namespace

TLayoutStore::TLayoutStore(QString filePath, QString section)
    : FFilePath(std::move(filePath)), FSection(std::move(section))
{
}

QString TLayoutStore::DefaultFilePath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath();
    const QString folder = QDir(base).filePath(QStringLiteral("Kestrelon"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("KsLogLayout.ini"));
}

std::optional<TWindowPlacement> TLayoutStore::Read() const
{
    QSettings ini(FFilePath, LayoutFormat());
    ini.beginGroup(FSection);
    if (!ini.contains(kNormPos) || ini.value(kFormVersion, 0).toInt() < 0)
        return std::nullopt;
    const auto normal = ParseQuad(ini.value(kNormPos));
    bool ppiOk = false;
    const int ppi = ini.value(kPixelsPerInch).toInt(&ppiOk);
    if (!normal || !ppiOk)
        return std::nullopt;
    TWindowPlacement placement;
    placement.Flags = ini.value(kFlags, 0).toInt();
    placement.PixelsPerInch = ppi;
    if (const auto minMax = ParseQuad(ini.value(kMinMaxPos))) {
        placement.MinPosition = {(*minMax)[0], (*minMax)[1]};
        placement.MaxPosition = {(*minMax)[2], (*minMax)[3]};
    }
    const auto& [left, top, right, bottom] = *normal;
    placement.NormalRect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    return placement;
}

std::optional<QString> TLayoutStore::Write(const TWindowPlacement& p) const
{
    // The other forms' sections stay as the file holds them.
    QSettings::SettingsMap map;
    QFile existing(FFilePath);
    if (existing.open(QIODevice::ReadOnly))
        ReadLayoutIni(existing, map);
    existing.close();
    const auto set = [&](const QString& key, const QVariant& value) { map.insert(FSection + QLatin1Char('/') + key, value); };
    set(kFormVersion, 0);
    set(kFlags, p.Flags);
    set(kPixelsPerInch, p.PixelsPerInch);
    set(kMinMaxPos, FormatQuad(p.MinPosition.x(), p.MinPosition.y(), p.MaxPosition.x(), p.MaxPosition.y()));
    const QRect& r = p.NormalRect;
    set(kNormPos, FormatQuad(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()));
    return ReplaceFileContent(FFilePath, LayoutIniText(map));
}

bool CanRestorePlacement(const TWindowPlacement& placement, int currentPixelsPerInch,
                         const std::function<bool(QPoint)>& isOnAMonitor)
{
    const QRect& r = placement.NormalRect;
    return placement.PixelsPerInch == currentPixelsPerInch && r.left() <= r.right() &&
           isOnAMonitor(r.topLeft()) && isOnAMonitor(r.bottomRight());
}
