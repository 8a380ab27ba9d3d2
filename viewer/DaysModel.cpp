#include "DaysModel.h"

#include "FBLogDateTime.h"
#include "Timestamps.h"

#include <QColor>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace {

// Display labels of the fields NO, EVDATE, DOW and EVCOUNT.
constexpr const char* kLabels[TDaysModel::FieldCount] = {"No", "Date", "DoW", "Count"};

QString ShortDayName(double day)
{
    return QLocale().dayName(DayOfWeek(day), QLocale::ShortFormat).left(3);
}

}  // namespace

std::vector<TDayRow> DayRowsOf(const TFBLogDayCounter& counter)
{
    std::vector<TDayRow> rows;
    for (const TFBLogDayCount& count : counter.Rows()) {
        const int no = static_cast<int>(rows.size()) + 1;
        const int entries = static_cast<int>(count.Count);
        if (count.Day == 0)
            rows.push_back({no, 0.0, QStringLiteral("ER"), entries});
        else
            rows.push_back({no, static_cast<double>(count.Day), ShortDayName(count.Day), entries});
    }
    return rows;
}

std::vector<TDayRow> CountEntriesPerDay(const FBLogsMsgs& msgs, const std::function<void(std::size_t)>& reportProgress)
{
    TFBLogDayCounter counter;
    for (std::size_t i = 0; i < msgs.size(); ++i) {
        reportProgress(i);
        counter.Add(msgs[i].DateTime);
    }
    return DayRowsOf(counter);
}

TDaysModel::TDaysModel(QObject* parent) : QAbstractTableModel(parent) {}

void TDaysModel::SetRows(std::vector<TDayRow> rows)
{
    beginResetModel();
    FRows = std::move(rows);
    ApplySortOrder();
    endResetModel();
}

int TDaysModel::LastAddedRow() const
{
    if (FRows.empty())
        return -1;
    return static_cast<int>(std::find(FOrder.begin(), FOrder.end(), FRows.size() - 1) - FOrder.begin());
}

void TDaysModel::SetSortOrder(int field, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<std::size_t> before = FOrder;
    FSortField = field;
    FSortOrder = order;
    ApplySortOrder();
    // Keep the current and selected rows on the same days.
    std::vector<int> newPosition(FOrder.size());
    for (std::size_t position = 0; position < FOrder.size(); ++position)
        newPosition[FOrder[position]] = static_cast<int>(position);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    for (const QModelIndex& index : from)
        to << this->index(newPosition[before[static_cast<std::size_t>(index.row())]], index.column());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TDaysModel::ApplySortOrder()
{
    FOrder.resize(FRows.size());
    std::iota(FOrder.begin(), FOrder.end(), std::size_t{0});
    if (FSortField < 0)
        return;
    const auto less = [this](std::size_t a, std::size_t b) {
        const TDayRow& x = FRows[a];
        const TDayRow& y = FRows[b];
        switch (FSortField) {
        case FieldNo: return x.No < y.No;
        case FieldEvDate: return x.EvDate < y.EvDate;
        case FieldDow: return x.Dow < y.Dow;  // by its characters, not by weekday
        default: return x.EvCount < y.EvCount;
        }
    };
    if (FSortOrder == Qt::AscendingOrder)
        std::stable_sort(FOrder.begin(), FOrder.end(), less);
    else
        std::stable_sort(FOrder.begin(), FOrder.end(), [&](std::size_t a, std::size_t b) { return less(b, a); });
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
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TDayRow& row = Row(index.row());
    if (index.column() == FieldDow && role == Qt::ForegroundRole) {
        // Weekends stand out in red; other days and the background follow the palette, light or
        // dark. The error row's date 0 is a Saturday.
        return DayOfWeek(row.EvDate) >= 6 ? QVariant(QColor(204, 0, 0)) : QVariant();
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case FieldNo: return row.No;
    case FieldEvDate: return FormatShortDate(TimestampDate(row.EvDate));
    case FieldDow: return row.Dow;
    case FieldEvCount: return row.EvCount;
    default: return {};
    }
}

QVariant TDaysModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= FieldCount)
        return {};
    return QString::fromLatin1(kLabels[section]);
}
