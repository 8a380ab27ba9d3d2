#include "LayoutStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <array>

namespace {

const QString kFormVersion = QStringLiteral("FormVersion");
const QString kFlags = QStringLiteral("Flags");
const QString kPixelsPerInch = QStringLiteral("PixelsPerInch");
const QString kMinMaxPos = QStringLiteral("MinMaxPos");
const QString kNormPos = QStringLiteral("NormPos");

// "a,b,c,d" as four integers.
std::optional<std::array<int, 4>> ParseQuad(const QVariant& value)
{
    // QSettings reads an unquoted text with commas as a list.
    const QStringList parts =
        value.typeId() == QMetaType::QStringList ? value.toStringList() : value.toString().split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    std::array<int, 4> numbers{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[static_cast<std::size_t>(i)] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return numbers;
}

QString FormatQuad(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
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
    QSettings ini(FFilePath, QSettings::IniFormat);
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

void TLayoutStore::Write(const TWindowPlacement& p) const
{
    QSettings ini(FFilePath, QSettings::IniFormat);
    ini.beginGroup(FSection);
    ini.setValue(kFormVersion, 0);
    ini.setValue(kFlags, p.Flags);
    ini.setValue(kPixelsPerInch, p.PixelsPerInch);
    ini.setValue(kMinMaxPos, FormatQuad(p.MinPosition.x(), p.MinPosition.y(), p.MaxPosition.x(), p.MaxPosition.y()));
    const QRect& r = p.NormalRect;
    ini.setValue(kNormPos, FormatQuad(r.left(), r.top(), r.right() + 1, r.bottom() + 1));
    ini.endGroup();
    ini.sync();
}

bool CanRestorePlacement(const TWindowPlacement& placement, int currentPixelsPerInch,
                         const std::function<bool(QPoint)>& isOnAMonitor)
{
    const QRect& r = placement.NormalRect;
    return placement.PixelsPerInch == currentPixelsPerInch && r.left() <= r.right() &&
           isOnAMonitor(r.topLeft()) && isOnAMonitor(r.bottomRight());
}
