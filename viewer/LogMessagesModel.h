#pragma once
// The rows of the message list: each a copy of one 24-byte entry record and nothing else.
// Every text a cell shows is worked out when the view asks for it, from the scanner's
// in-memory copy of the log.

#include "uFBLogParser.h"

#include <QAbstractTableModel>

#include <vector>

class TFBLogDescriptor;

class TLogMessagesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColumnNo, ColumnTime, ColumnSource, ColumnMessage, ColumnCount };

    explicit TLogMessagesModel(QObject* parent = nullptr);

    // The scanner whose bytes the rows refer to, and the header grammar; both outlive the rows.
    void SetSource(const TFBLogParser* parser, const TFBLogDescriptor* descriptor);

    // Replaces all rows in one reset.
    void SetRows(std::vector<FBLogMsg> rows);
    void Clear();

    const FBLogMsg& Row(int row) const { return FRows[static_cast<std::size_t>(row)]; }
    int RowCount() const { return static_cast<int>(FRows.size()); }

    // The entry's bytes as the file holds them.
    std::string EntryText(int row) const;
    QString CellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString SourceText(int row) const;
    QString MessageText(int row) const;

    std::vector<FBLogMsg> FRows;
    const TFBLogParser* FParser = nullptr;
    const TFBLogDescriptor* FDescriptor = nullptr;
};

// "-?-" for an entry without a readable date; otherwise the short date and, unless the time
// of day is 00:00:00, the long time, both in the user's locale.
QString FormatEntryTime(double timestamp);
