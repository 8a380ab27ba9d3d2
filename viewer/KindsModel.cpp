#include "KindsModel.h"

#include <algorithm>

#include "LogMessagesModel.h"
#include "SeverityLook.h"

namespace {

const char* const kCaptions[TKindsModel::ColumnTotal] = {"Severity", "Facility", "Kind", "Count", "First", "Last"};

}  // namespace

TKindsModel::TKindsModel(QObject* parent) : QAbstractTableModel(parent) {}

void TKindsModel::SetCatalogue(const TFBLogDescriptor* catalogue)
{
    beginResetModel();
    FCatalogue = catalogue;
    FRows.clear();
    endResetModel();
}

void TKindsModel::SetSummaries(std::vector<TFBLogKindSummary> summaries)
{
    beginResetModel();
    FRows = std::move(summaries);
    endResetModel();
}

void TKindsModel::AddSummaries(const std::vector<TFBLogKindSummary>& added)
{
    for (const TFBLogKindSummary& summary : added) {
        const auto found = std::find_if(FRows.begin(), FRows.end(),
                                        [&](const TFBLogKindSummary& row) { return row.Kind == summary.Kind; });
        if (found == FRows.end()) {
            beginInsertRows({}, RowCount(), RowCount());
            FRows.push_back(summary);
            endInsertRows();
            continue;
        }
        found->Count += summary.Count;
        if (summary.First != 0)
            found->First = found->First == 0 ? summary.First : std::min(found->First, summary.First);
        found->Last = std::max(found->Last, summary.Last);
        const int row = static_cast<int>(found - FRows.begin());
        emit dataChanged(index(row, 0), index(row, ColumnTotal - 1));
    }
}

void TKindsModel::SetHiddenMatchTexts(std::set<std::string> hidden)
{
    FHidden = std::move(hidden);
    if (!FRows.empty())
        emit dataChanged(index(0, ColumnSeverity), index(RowCount() - 1, ColumnSeverity), {Qt::CheckStateRole});
}

const TFBLogDescription* TKindsModel::RowOf(int row) const
{
    return FCatalogue ? RowOfKind(*FCatalogue, Summary(row).Kind) : nullptr;
}

std::string TKindsModel::MatchTextOf(int row) const
{
    const TFBLogDescription* description = RowOf(row);
    return description ? description->MatchText() : std::string();
}

QString TKindsModel::Text(int row, int column) const
{
    const TFBLogDescription* description = RowOf(row);
    const TFBLogKindSummary& summary = Summary(row);
    switch (column) {
    case ColumnSeverity: return SeverityCaption(description ? description->Severity() : TFBLogSeverity::Unknown);
    case ColumnFacility: return description ? QString::fromStdString(description->Facility()) : QString();
    case ColumnTitle:
        return description ? QString::fromStdString(description->Title()) : QStringLiteral("Not in the catalogue");
    case ColumnCount: return QString::number(summary.Count);
    case ColumnFirst: return FormatEntryTime(summary.First);
    case ColumnLast: return FormatEntryTime(summary.Last);
    default: return {};
    }
}

QVariant TKindsModel::SortValue(int row, int column) const
{
    const TFBLogDescription* description = RowOf(row);
    switch (column) {
    case ColumnSeverity: return static_cast<int>(description ? description->Severity() : TFBLogSeverity::Unknown);
    case ColumnCount: return static_cast<qulonglong>(Summary(row).Count);
    case ColumnFirst: return Summary(row).First;
    case ColumnLast: return Summary(row).Last;
    default: return Text(row, column);
    }
}

int TKindsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount();
}

int TKindsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnTotal;
}

QVariant TKindsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole: return Text(row, index.column());
    case SortRole: return SortValue(row, index.column());
    case Qt::CheckStateRole:
        if (index.column() != ColumnSeverity)
            return {};
        return FHidden.contains(MatchTextOf(row)) ? Qt::Unchecked : Qt::Checked;
    case Qt::DecorationRole:
        if (index.column() != ColumnSeverity)
            return {};
        return SeverityIcon(RowOf(row) ? RowOf(row)->Severity() : TFBLogSeverity::Unknown);
    case Qt::ToolTipRole: {
        const TFBLogDescription* description = RowOf(row);
        return description ? QString::fromStdString(description->Description())
                           : QStringLiteral("Entries that no row of the description catalogue explains.");
    }
    case Qt::TextAlignmentRole:
        return index.column() == ColumnCount ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default: return {};
    }
}

bool TKindsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != ColumnSeverity || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    const std::string matchText = MatchTextOf(index.row());
    if (value.value<Qt::CheckState>() == Qt::Checked)
        FHidden.erase(matchText);
    else
        FHidden.insert(matchText);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit HiddenKindsChanged();
    return true;
}

Qt::ItemFlags TKindsModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == ColumnSeverity)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant TKindsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnTotal)
        return {};
    return QString::fromLatin1(kCaptions[section]);
}
