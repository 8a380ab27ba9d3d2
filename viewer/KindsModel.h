#pragma once
// The kinds view: one row per kind of entry present in the date range shown, with its
// severity, facility, title, count and first and last time. Each row's check box shows or
// hides the entries of its kind in the message list.

#include "FBLogNarrowing.h"

#include <QAbstractTableModel>

#include <set>
#include <string>

class TKindsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColumnSeverity, ColumnFacility, ColumnTitle, ColumnCount, ColumnFirst, ColumnLast, ColumnTotal };
    // The value a column sorts by: numbers for severity, count and times, texts otherwise.
    static constexpr int SortRole = Qt::UserRole + 1;

    explicit TKindsModel(QObject* parent = nullptr);

    // The catalogue that names the kinds; it outlives the rows.
    void SetCatalogue(const TFBLogDescriptor* catalogue);
    // Replaces the rows in one reset.
    void SetSummaries(std::vector<TFBLogKindSummary> summaries);
    void Clear() { SetSummaries({}); }
    // Counts entries appended to the log in: rows of kinds seen before grow, new kinds are added.
    void AddSummaries(const std::vector<TFBLogKindSummary>& added);

    // Hidden kinds by their catalogue row's match text ("" for entries no row describes), so
    // that they stay hidden across logs and catalogue edits.
    const std::set<std::string>& HiddenMatchTexts() const { return FHidden; }
    void SetHiddenMatchTexts(std::set<std::string> hidden);
    // The match text that stands for a row's kind.
    std::string MatchTextOf(int row) const;
    const TFBLogKindSummary& Summary(int row) const { return FRows[static_cast<std::size_t>(row)]; }
    int RowCount() const { return static_cast<int>(FRows.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // The user checked or unchecked a kind.
    void HiddenKindsChanged();

private:
    const TFBLogDescription* RowOf(int row) const;
    QString Text(int row, int column) const;
    QVariant SortValue(int row, int column) const;

    const TFBLogDescriptor* FCatalogue = nullptr;
    std::vector<TFBLogKindSummary> FRows;
    std::set<std::string> FHidden;
};
