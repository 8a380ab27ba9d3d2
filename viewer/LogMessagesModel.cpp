#include "LogMessagesModel.h"

#include "FBLogText.h"
#include "SeverityLook.h"
#include "Timestamps.h"
#include "uFBLogDescriptor.h"

#include <QFont>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace {

const char* const kCaptions[TLogMessagesModel::ColumnCount] = {"No", "Time", "Source", "Message"};

// The locale's long time format names the time zone; a log time has none.
QString LongTimeFormatWithoutZone(const QLocale& locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

}  // namespace

QString FormatEntryTime(double timestamp)
{
    if (timestamp == 0.0)
        return QStringLiteral("-?-");
    const QLocale locale = QLocale();
    const QDateTime dateTime = TimestampToDateTime(timestamp);
    QString text = FormatShortDate(dateTime.date());
    const QTime time = dateTime.time();
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += QLatin1Char(' ') + locale.toString(time, LongTimeFormatWithoutZone(locale));
    return text;
}

TLogMessagesModel::TLogMessagesModel(QObject* parent) : QAbstractTableModel(parent) {}

void TLogMessagesModel::SetSource(const TFBLogParser* parser, const TFBLogDescriptor* descriptor,
                                  const FBLogsMsgs* index)
{
    beginResetModel();
    FEntries.clear();
    FParser = parser;
    FDescriptor = descriptor;
    FIndex = index;
    endResetModel();
}

void TLogMessagesModel::SetDecoder(TFBLogDecoder decoder)
{
    FDecoder = std::move(decoder);
    if (!FEntries.empty())
        emit dataChanged(index(0, 0), index(RowCount() - 1, ColumnCount - 1));
}

QString TLogMessagesModel::Decoded(std::string_view bytes) const
{
    return QString::fromStdString(FDecoder.ToUtf8(bytes));
}

void TLogMessagesModel::SetKinds(const FBLogKinds* kinds)
{
    FKinds = kinds;
    if (!FEntries.empty())
        emit dataChanged(index(0, 0), index(RowCount() - 1, ColumnCount - 1));
}

void TLogMessagesModel::SetRows(TLargeVector<std::uint32_t> entries)
{
    beginResetModel();
    FEntries = std::move(entries);
    endResetModel();
}

void TLogMessagesModel::SetAllRows()
{
    TLargeVector<std::uint32_t> entries(FIndex != nullptr ? FIndex->size() : 0);
    std::iota(entries.begin(), entries.end(), std::uint32_t{0});
    SetRows(std::move(entries));
}

void TLogMessagesModel::SetRowsInSteps(TLargeVector<std::uint32_t> entries, std::size_t step,
                                       const std::function<void()>& between)
{
    const std::size_t total = entries.size();
    step = std::max<std::size_t>(step, 1);
    beginResetModel();
    FEntries = std::move(entries);
    FShownRows = std::min(step, total);
    endResetModel();
    while (*FShownRows < total) {
        between();
        const std::size_t shown = std::min(*FShownRows + step, total);
        beginInsertRows({}, static_cast<int>(*FShownRows), static_cast<int>(shown) - 1);
        FShownRows = shown;
        endInsertRows();
    }
    FShownRows.reset();
}

void TLogMessagesModel::AddRows(const TLargeVector<std::uint32_t>& entries, std::optional<Qt::SortOrder> timeOrder)
{
    // Where in the current rows each new one goes, and the new rows grouped by that place in
    // the order they take there; the groups go in from the last place to the first, so that
    // each insertion leaves the places of the others as they are.
    const auto timeOf = [this](std::uint32_t entry) { return EntryAt(entry).DateTime; };
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::vector<std::size_t> place(entries.size(), FEntries.size());
    if (timeOrder) {
        const bool ascending = *timeOrder == Qt::AscendingOrder;
        const auto before = [ascending](double a, double b) { return ascending ? a < b : a > b; };
        for (std::size_t i = 0; i < entries.size(); ++i)
            place[i] = static_cast<std::size_t>(
                std::upper_bound(FEntries.begin(), FEntries.end(), timeOf(entries[i]),
                                 [&](double t, std::uint32_t entry) { return before(t, timeOf(entry)); }) -
                FEntries.begin());
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return place[a] != place[b] ? place[a] < place[b] : before(timeOf(entries[a]), timeOf(entries[b]));
        });
    }
    for (std::size_t groupEnd = order.size(); groupEnd > 0;) {
        const std::size_t at = place[order[groupEnd - 1]];
        std::size_t groupBegin = groupEnd - 1;
        while (groupBegin > 0 && place[order[groupBegin - 1]] == at)
            --groupBegin;
        const auto count = static_cast<int>(groupEnd - groupBegin);
        beginInsertRows({}, static_cast<int>(at), static_cast<int>(at) + count - 1);
        std::vector<std::uint32_t> group;
        for (std::size_t i = groupBegin; i < groupEnd; ++i)
            group.push_back(entries[order[i]]);
        FEntries.insert(FEntries.begin() + static_cast<std::ptrdiff_t>(at), group.begin(), group.end());
        endInsertRows();
        groupEnd = groupBegin;
    }
}

const FBLogMsg& TLogMessagesModel::EntryAt(std::uint32_t entry) const
{
    static const FBLogMsg kNoEntry{0, 0, 0.0};
    return FIndex != nullptr && entry < FIndex->size() ? (*FIndex)[entry] : kNoEntry;
}

const FBLogMsg& TLogMessagesModel::Row(int row) const
{
    return EntryAt(FEntries[static_cast<std::size_t>(row)]);
}

std::int64_t TLogMessagesModel::EntryOfRow(int row) const
{
    return row >= 0 && static_cast<std::size_t>(row) < FEntries.size() ? std::int64_t{FEntries[static_cast<std::size_t>(row)]} : -1;
}

FBLogKind TLogMessagesModel::KindOfRow(int row) const
{
    const std::int64_t entry = EntryOfRow(row);
    return FKinds != nullptr && entry >= 0 && static_cast<std::size_t>(entry) < FKinds->size()
               ? (*FKinds)[static_cast<std::size_t>(entry)]
               : kUnknownKind;
}

TFBLogSeverity TLogMessagesModel::SeverityOfRow(int row) const
{
    return FDescriptor != nullptr ? SeverityOfKind(*FDescriptor, KindOfRow(row)) : TFBLogSeverity::Unknown;
}

void TLogMessagesModel::Clear()
{
    SetRows({});
}

std::string TLogMessagesModel::EntryText(int row) const
{
    const FBLogMsg& msg = Row(row);
    return FParser ? FParser->ReadEntryText(msg.Offset, msg.Length) : std::string();
}

std::string TLogMessagesModel::DecodedEntryText(int row) const
{
    const FBLogMsg& msg = Row(row);
    return FParser ? FDecoder.ToUtf8(FParser->ViewRange(msg.Offset, msg.Offset + msg.Length)) : std::string();
}

std::optional<std::string_view> TLogMessagesModel::PartView(int row, int column) const
{
    const FBLogMsg& msg = Row(row);
    if (FParser == nullptr)
        return std::nullopt;
    const std::string_view entry = FParser->ViewRange(msg.Offset, msg.Offset + msg.Length);
    return column == ColumnSource ? TFBLogDescriptor::SourcePart(entry) : TFBLogDescriptor::MessagePart(entry);
}

std::optional<std::string> TLogMessagesModel::PartText(int row, int column) const
{
    const std::optional<std::string_view> part = PartView(row, column);
    return part ? std::optional<std::string>(CollapseBlanks(*part)) : std::nullopt;
}

QString TLogMessagesModel::SourceText(int row) const
{
    const std::optional<std::string> text = PartText(row, ColumnSource);
    return text ? Decoded(*text) : QStringLiteral("unknown");
}

QString TLogMessagesModel::MessageText(int row) const
{
    const std::optional<std::string> text = PartText(row, ColumnMessage);
    return text ? Decoded(*text) : QStringLiteral("error while parsing");
}

bool TLogMessagesModel::IsClientEntry(int row) const
{
    return CellText(row, ColumnSource).contains(QLatin1String("client"), Qt::CaseInsensitive);
}

QString TLogMessagesModel::CellText(int row, int column) const
{
    if (row < 0 || row >= RowCount() || FDescriptor == nullptr)
        return {};
    switch (column) {
    case ColumnNo: return QString::number(row + 1);
    case ColumnTime: return FormatEntryTime(Row(row).DateTime);
    case ColumnSource: return SourceText(row);
    case ColumnMessage: return MessageText(row);
    default: return {};
    }
}

int TLogMessagesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount();
}

int TLogMessagesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TLogMessagesModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole: return CellText(index.row(), index.column());
    case Qt::ToolTipRole:
        return QString::fromLatin1(kCaptions[index.column()]) + QStringLiteral(":\n") +
               CellText(index.row(), index.column());
    case Qt::DecorationRole: return Decoration(index.row(), index.column());
    case Qt::BackgroundRole: return Background(index.row());
    case KindRole: return static_cast<int>(KindOfRow(index.row()));
    case SeverityRole: return static_cast<int>(SeverityOfRow(index.row()));
    case Qt::FontRole:
        if (index.column() == ColumnSource && IsClientEntry(index.row())) {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        return {};
    default: return {};
    }
}

QVariant TLogMessagesModel::Decoration(int row, int column) const
{
    if (column != ColumnMessage)
        return {};
    const QIcon icon = SeverityIcon(SeverityOfRow(row));
    return icon.isNull() ? QVariant() : QVariant(icon);
}

QVariant TLogMessagesModel::Background(int row) const
{
    if (SeverityOfRow(row) != TFBLogSeverity::Critical)
        return {};
    return CriticalRowBrush();
}

QVariant TLogMessagesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromLatin1(kCaptions[section]);
}
