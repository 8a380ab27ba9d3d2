#include "LogMessagesModel.h"

#include "FBLogText.h"
#include "Timestamps.h"
#include "uFBLogDescriptor.h"

#include <QLocale>

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
    QString text = locale.toString(dateTime.date(), QLocale::ShortFormat);
    const QTime time = dateTime.time();
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += QLatin1Char(' ') + locale.toString(time, LongTimeFormatWithoutZone(locale));
    return text;
}

TLogMessagesModel::TLogMessagesModel(QObject* parent) : QAbstractTableModel(parent) {}

void TLogMessagesModel::SetSource(const TFBLogParser* parser, const TFBLogDescriptor* descriptor)
{
    beginResetModel();
    FRows.clear();
    FParser = parser;
    FDescriptor = descriptor;
    endResetModel();
}

void TLogMessagesModel::SetRows(std::vector<FBLogMsg> rows)
{
    beginResetModel();
    FRows = std::move(rows);
    endResetModel();
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

QString TLogMessagesModel::SourceText(int row) const
{
    try {
        return QString::fromLocal8Bit(CollapseBlanks(FDescriptor->ExtractSource(EntryText(row))));
    } catch (const std::exception&) {
        return QStringLiteral("unknown");
    }
}

QString TLogMessagesModel::MessageText(int row) const
{
    try {
        return QString::fromLocal8Bit(CollapseBlanks(FDescriptor->ExtractMessage(EntryText(row))));
    } catch (const std::exception&) {
        return QStringLiteral("error while parsing");
    }
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
    default: return {};
    }
}

QVariant TLogMessagesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromLatin1(kCaptions[section]);
}
