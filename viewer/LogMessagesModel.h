#pragma once
// The rows of the message list: each a copy of one 24-byte entry record and nothing else.
// Every text a cell shows is worked out when the view asks for it, from the scanner's
// in-memory copy of the log.

#include "FBLogClassifier.h"
#include "FBLogEncoding.h"
#include "uFBLogParser.h"

#include <QAbstractTableModel>

#include <functional>
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

    // The scanner whose bytes the rows refer to, and the header grammar; both outlive the rows.
    void SetSource(const TFBLogParser* parser, const TFBLogDescriptor* descriptor);

    // How the log's bytes become the texts shown: every row shows again in the new encoding.
    void SetDecoder(TFBLogDecoder decoder);
    // Bytes of the log as text.
    QString Decoded(std::string_view bytes) const;

    // Every entry's kind, by position in the log's index; nullptr when not known. Outlives the rows.
    void SetKinds(const FBLogKinds* kinds);

    // Replaces all rows in one reset. entries, when given, holds each row's position in the
    // log's index (4 bytes a row), through which the row's kind and search match are found.
    void SetRows(FBLogsMsgs rows, TLargeVector<std::uint32_t> entries = {});
    // The same, with the rows shown to the views a step of rows at a time and `between` run after
    // each step: a view takes in millions of rows in steps short enough to paint in between.
    void SetRowsInSteps(FBLogsMsgs rows, TLargeVector<std::uint32_t> entries, std::size_t step,
                        const std::function<void()>& between);
    void Clear();
    // Adds rows of entries appended to the log. Where the list is sorted by "Time" they go to
    // their place in that order (after rows of the same time); otherwise at the end.
    void AddRows(const FBLogsMsgs& rows, const TLargeVector<std::uint32_t>& entries,
                 std::optional<Qt::SortOrder> timeOrder);

    const FBLogMsg& Row(int row) const { return FRows[static_cast<std::size_t>(row)]; }
    int RowCount() const { return static_cast<int>(FShownRows.value_or(FRows.size())); }
    // The row's position in the log's index, or -1 when the rows came without them.
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
        FBLogsMsgs Rows;
        TLargeVector<std::uint32_t> Entries;
        TLargeVector<int> NewRowOf;  // where each row of the old order went
    };
    // Told the share of a sort done, from 0 to 1, now and then; it may throw to stop the sort.
    using TSortProgress = std::function<void(double done)>;
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
    TSortedRows InOrder(const TLargeVector<std::uint32_t>& order) const;

    QVariant Decoration(int row, int column) const;
    QVariant Background(int row) const;

    FBLogsMsgs FRows;
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
