#pragma once
// The days table: one row per run of consecutive entries written on the same day, and a last
// "ER" row counting the entries without a readable date.

#include "FBLogDays.h"
#include "uFBLogParser.h"

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <vector>

struct TDayRow {
    int No = 0;
    double EvDate = 0;  // the day at midnight; 0 in the error row
    QString Dow;        // abbreviated day name, "ER" in the error row
    int EvCount = 0;
};

class TDaysModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Field { FieldNo, FieldEvDate, FieldDow, FieldEvCount, FieldCount };

    explicit TDaysModel(QObject* parent = nullptr);

    void SetRows(std::vector<TDayRow> rows);
    void Clear();
    // The row shown at this position (in the sort order when one is chosen).
    const TDayRow& Row(int row) const { return FRows[FOrder[static_cast<std::size_t>(row)]]; }
    int RowCount() const { return static_cast<int>(FRows.size()); }
    // Where the row added last stands, or -1 when there are no rows.
    int LastAddedRow() const;

    // Shows the rows ordered by a field from now on, also after the rows are replaced; rows of
    // equal values keep the order they were added in.
    void SetSortOrder(int field, Qt::SortOrder order);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void ApplySortOrder();

    std::vector<TDayRow> FRows;
    std::vector<std::size_t> FOrder;
    int FSortField = -1;
    Qt::SortOrder FSortOrder = Qt::AscendingOrder;
};

// The rows of the days counted so far.
std::vector<TDayRow> DayRowsOf(const TFBLogDayCounter& counter);
// One row per run of same-day entries of the index, then the error row when some entries
// have no date. reportProgress is called before each entry with its position.
std::vector<TDayRow> CountEntriesPerDay(const FBLogsMsgs& msgs, const std::function<void(std::size_t)>& reportProgress);
