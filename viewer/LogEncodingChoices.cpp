#include "LogEncodingChoices.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// The same log, however its path was written.
QString LogKey(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

std::optional<TFBLogEncoding> EncodingNamed(const QString& name)
{
    return ParseEncodingName(name.toStdString());
}

QString NameOf(TFBLogEncoding encoding)
{
    const std::string_view name = EncodingName(encoding);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

TLogEncodingChoices::TLogEncodingChoices(TFBLogEncoding systemLegacy) : FSystemLegacy(systemLegacy) {}

void TLogEncodingChoices::Restore(const QStringList& perLog, const QString& legacy)
{
    FPerLog.clear();
    for (const QString& line : perLog) {
        const qsizetype tab = line.lastIndexOf(QLatin1Char('\t'));
        const std::optional<TFBLogEncoding> encoding = tab > 0 ? EncodingNamed(line.mid(tab + 1)) : std::nullopt;
        if (encoding && FPerLog.size() < kRemembered)
            FPerLog.emplace_back(line.left(tab), *encoding);
    }
    FLegacy = EncodingNamed(legacy);
    if (FLegacy == TFBLogEncoding::Utf8)
        FLegacy.reset();
}

QStringList TLogEncodingChoices::PerLog() const
{
    QStringList lines;
    for (const auto& [path, encoding] : FPerLog)
        lines << path + QLatin1Char('\t') + NameOf(encoding);
    return lines;
}

QString TLogEncodingChoices::LegacyName() const
{
    return FLegacy ? NameOf(*FLegacy) : QString();
}

std::optional<TFBLogEncoding> TLogEncodingChoices::ChosenFor(const QString& path) const
{
    if (path.isEmpty())
        return std::nullopt;
    const QString key = LogKey(path);
    const auto found = std::find_if(FPerLog.begin(), FPerLog.end(), [&](const auto& choice) { return choice.first == key; });
    return found != FPerLog.end() ? std::optional(found->second) : std::nullopt;
}

void TLogEncodingChoices::Choose(const QString& path, std::optional<TFBLogEncoding> encoding)
{
    if (encoding && *encoding != TFBLogEncoding::Utf8)
        FLegacy = *encoding;
    if (path.isEmpty())
        return;  // no log open: the choice serves the next ones
    const QString key = LogKey(path);
    std::erase_if(FPerLog, [&](const auto& choice) { return choice.first == key; });
    if (!encoding)
        return;
    FPerLog.insert(FPerLog.begin(), {key, *encoding});
    if (FPerLog.size() > kRemembered)
        FPerLog.pop_back();
}

TFBLogEncoding TLogEncodingChoices::EncodingOf(const QString& path, const TFBLogParser& parser) const
{
    if (const std::optional<TFBLogEncoding> chosen = ChosenFor(path))
        return *chosen;
    return parser.GuessedEncoding(Legacy());
}
