#pragma once
// The rows of the message list: each the position of one entry in the log's index (4 bytes a
// row) and nothing else. Every text a cell shows is worked out when the view asks for it, from
// the bytes the scanner holds.

#include "FBLogClassifier.h"
#include "FBLogEncoding.h"
#include "ListSortRanks.h"
#include "uFBLogParser.h"

#include <QAbstractTableModel>

#include <functional>
#include <span>
#include <optional>
#include <string>
#include <vector>

class QCollator;
class TFBLogDescriptor;

class TLogMessagesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColumnNo, ColumnTime, ColumnSource, ColumnMessage, ColumnCount };
    // What views read beside the texts: the row's kind and its severity (as an int).
    enum Role { KindRole = Qt::UserRole + 1, SeverityRole };

    explicit TLogMessagesModel(QObject* parent = nullptr);

    // The scanner whose bytes the rows refer to, the header grammar and the index of the entries
    // that the rows are positions in; all outlive the rows (the index may grow meanwhile).
    void SetSource(const TFBLogParser* parser, const TFBLogDescriptor* descriptor, const FBLogsMsgs* index);

    // How the log's bytes become the texts shown: every row shows again in the new encoding.
    void SetDecoder(TFBLogDecoder decoder);
    // Bytes of the log as text.
    QString Decoded(std::string_view bytes) const;

    // Every entry's kind, by position in the log's index; nullptr when not known. Outlives the rows.
    void SetKinds(const FBLogKinds* kinds);

    // Replaces all rows in one reset: one row for each of the entries, by position in the index.
    void SetRows(TLargeVector<std::uint32_t> entries);
    // One row for every entry of the index, in its order.
    void SetAllRows();
    // The same as SetRows, with the rows shown to the views a step of rows at a time and
    // `between` run after each step: a view takes in millions of rows in steps short enough to
    // paint in between.
    void SetRowsInSteps(TLargeVector<std::uint32_t> entries, std::size_t step, const std::function<void()>& between);
    void Clear();
    // Adds rows of entries appended to the log. Where the list is sorted by "Time" they go to
    // their place in that order (after rows of the same time); otherwise at the end.
    void AddRows(const TLargeVector<std::uint32_t>& entries, std::optional<Qt::SortOrder> timeOrder);

    // The row's entry; one of no bytes and no time when the index does not hold it.
    const FBLogMsg& Row(int row) const;
    int RowCount() const { return static_cast<int>(FShownRows.value_or(FEntries.size())); }
    // The row's position in the log's index.
    std::int64_t EntryOfRow(int row) const;
    FBLogKind KindOfRow(int row) const;
    TFBLogSeverity SeverityOfRow(int row) const;

    // The entry's bytes as the file holds them.
    std::string EntryText(int row) const;
    // The entry's text decoded, in UTF-8.
    std::string DecodedEntryText(int row) const;
    QString CellText(int row, int column) const;
    // True when the row's source cell names a client (in any letter case).
    bool IsClientEntry(int row) const;

    // Sorts the rows by a column, stable: rows that compare equal keep their order. "Time"
    // compares the timestamps, "Source" and "Message" their texts by the user's locale without
    // regard to case; rows whose part cannot be extracted come first in ascending order and
    // last in descending. "No" does not sort.
    void Sort(int column, Qt::SortOrder order);

    // The rows in a new order, worked out apart from the model.
    struct TSortedRows {
        TLargeVector<std::uint32_t> Entries;
        TLargeVector<int> NewRowOf;  // where each row of the old order went
    };
    using TSortProgress = ::TSortProgress;
    // The rows sorted as Sort() sorts them, without changing the model: for a worker thread,
    // while the rows and the log stay as they are. Empty for "No".
    TSortedRows SortedRows(int column, Qt::SortOrder order, const TSortProgress& progress = {}) const;
    // Takes the rows that SortedRows() worked out from the rows as they are now.
    void TakeSortedRows(TSortedRows sorted);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString SourceText(int row) const;
    QString MessageText(int row) const;
    // The source or message of a row, trimmed (a view) or collapsed (a copy); nothing when it
    // cannot be extracted.
    std::optional<std::string_view> PartView(int row, int column) const;
    std::optional<std::string> PartText(int row, int column) const;
    // Each row's rank in the collated order of its texts (equal texts, equal ranks; -1 for a row
    // without text).
    TLargeVector<int> TextRanks(int column, const TSortProgress& progress) const;
    std::optional<TLargeVector<int>> TextRanksByAsciiKeys(int column, const QCollator& collator,
                                                         const TSortProgress& progress) const;
    TLargeVector<int> TextRanksBySortKeys(int column, const QCollator& collator, const TSortProgress& progress) const;
    // One keyed text to rank for each distinct text of the column (or for each row, where texts
    // hardly repeat), and in textOfRow the text of each row (-1 for a row without one).
    TLargeVector<TKeyedText> KeyedTexts(int column, TLargeVector<int>& textOfRow, TSortStage stage) const;
    TLargeVector<TKeyedText> RowKeyedTexts(int column, TLargeVector<int>& textOfRow, const TSortStage& stage) const;
    TLargeVector<TKeyedText> DistinctKeyedTexts(int column, TLargeVector<int>& textOfRow, const TSortStage& stage) const;
    // The rows in the order their entries stand in the log.
    TLargeVector<std::uint32_t> RowsInLogOrder() const;
    // Runs work(share, from, stage) over the rows split between the cores, `from` being where
    // the share begins in them; the share on this thread tells the progress for all.
    using TRowsShareWork = std::function<void(std::span<const std::uint32_t> share, std::size_t from, TSortStage& stage)>;
    static void ForEachShareOfRows(const TLargeVector<std::uint32_t>& rows, const TSortStage& stage,
                                   const TRowsShareWork& work);
    // True when a sample of the rows shows the column's texts repeating.
    bool TextsRepeat(int column) const;
    TSortedRows InOrder(const TLargeVector<std::uint32_t>& order) const;

    const FBLogMsg& EntryAt(std::uint32_t entry) const;
    QVariant Decoration(int row, int column) const;
    QVariant Background(int row) const;

    const FBLogsMsgs* FIndex = nullptr;
    TLargeVector<std::uint32_t> FEntries;
    // How many of the rows the views know of, while SetRowsInSteps hands them over; all otherwise.
    std::optional<std::size_t> FShownRows;
    const FBLogKinds* FKinds = nullptr;
    const TFBLogParser* FParser = nullptr;
    const TFBLogDescriptor* FDescriptor = nullptr;
    TFBLogDecoder FDecoder;
};

// "-?-" for an entry without a readable date; otherwise the short date and, unless the time
// of day is 00:00:00, the long time, both in the user's locale.
QString FormatEntryTime(double timestamp);
