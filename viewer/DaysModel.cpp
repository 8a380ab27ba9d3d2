#include "DaysModel.h"

#include "FBLogDateTime.h"
#include "Timestamps.h"

#include <QLocale>

namespace {

struct FieldInfo {
    const char* Name;
    const char* Label;
};
constexpr FieldInfo kFields[TDaysModel::FieldCount] = {
    {"NO", "No"}, {"EVDATE", "Date"}, {"DOW", "DoW"}, {"EVCOUNT", "Count"}};

QString ShortDayName(double day)
{
    return QLocale().dayName(DayOfWeek(day), QLocale::ShortFormat).left(3);
}

}  // namespace

std::vector<TDayRow> CountEntriesPerDay(const FBLogsMsgs& msgs, const std::function<void(std::size_t)>& reportProgress)
{
    std::vector<TDayRow> rows;
    int errors = 0;
    int runLength = 1;
    for (std::size_t i = 0; i < msgs.size(); ++i) {
        reportProgress(i);
        const int day = DatePart(msgs[i].DateTime);
        if (day == 0) {
            ++errors;
            continue;
        }
        if (i + 1 < msgs.size() && DatePart(msgs[i + 1].DateTime) == day) {
            ++runLength;
            continue;
        }
        rows.push_back({static_cast<int>(rows.size()) + 1, static_cast<double>(day), ShortDayName(day), runLength});
        runLength = 1;
    }
    if (errors > 0)
        rows.push_back({static_cast<int>(rows.size()) + 1, 0.0, QStringLiteral("ER"), errors});
    return rows;
}

TDaysModel::TDaysModel(QObject* parent) : QAbstractTableModel(parent) {}

QString TDaysModel::FieldName(int field)
{
    return QString::fromLatin1(kFields[field].Name);
}

void TDaysModel::SetRows(std::vector<TDayRow> rows)
{
    beginResetModel();
    FRows = std::move(rows);
    endResetModel();
}

void TDaysModel::Clear()
{
    SetRows({});
}

int TDaysModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount();
}

int TDaysModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FieldCount;
}

QVariant TDaysModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        role != Qt::DisplayRole)
        return {};
    const TDayRow& row = Row(index.row());
    switch (index.column()) {
    case FieldNo: return row.No;
    case FieldEvDate: return QLocale().toString(TimestampDate(row.EvDate), QLocale::ShortFormat);
    case FieldDow: return row.Dow;
    case FieldEvCount: return row.EvCount;
    default: return {};
    }
}

QVariant TDaysModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= FieldCount)
        return {};
    return QString::fromLatin1(kFields[section].Label);
}
