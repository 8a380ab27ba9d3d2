// Sorting the message list: each row's rank in the collated order of its texts (read in the
// log's order on all cores), or its time, and the rows put in that order.

#include "LogMessagesModel.h"

#include "AsciiCollationKeys.h"
#include "FBLogParallel.h"
#include "FBLogText.h"
#include "ListSortRanks.h"
#include "uFBLogDescriptor.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <mutex>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

TLargeVector<int> TLogMessagesModel::TextRanks(int column, const TSortProgress& progress) const
{
    // The "C" locale's collator compares code points and ignores the case setting; a program
    // started without a locale compares as in English instead.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator{locale};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    if (std::optional<TLargeVector<int>> ranks = TextRanksByAsciiKeys(column, collator, progress))
        return std::move(*ranks);
    return TextRanksBySortKeys(column, collator, progress);
}

std::optional<TLargeVector<int>> TLogMessagesModel::TextRanksByAsciiKeys(int column, const QCollator& collator,
                                                                        const TSortProgress& progress) const
{
    const TAsciiCollationKeys ascii(collator);
    if (!ascii.Usable())
        return std::nullopt;
    TLargeVector<int> textOfRow(FEntries.size(), -1);
    TLargeVector<TKeyedText> texts = KeyedTexts(column, textOfRow, TSortStage(progress, 0.0, 0.2, FEntries.size()));

    // The keys stand in for the collator only where they agree with it on the log's own texts.
    constexpr std::size_t kSamples = 2000;
    std::vector<std::string> samples;
    for (std::size_t i = 0; i < texts.size(); i += std::max<std::size_t>(1, texts.size() / kSamples))
        samples.push_back(CollapseBlanks(texts[i].Text()));
    if (!ascii.AgreesWith(samples))
        return std::nullopt;

    TLargeVector<int> rankOfText(textOfRow.size(), -1);
    if (!RankByKeys(texts, ascii, rankOfText, TSortStage(progress, 0.2, 0.8, texts.size())))
        return std::nullopt;
    for (int& text : textOfRow)
        if (text >= 0)
            text = rankOfText[static_cast<std::size_t>(text)];
    return textOfRow;
}

TLargeVector<TKeyedText> TLogMessagesModel::KeyedTexts(int column, TLargeVector<int>& textOfRow, TSortStage stage) const
{
    // The texts are read in the log's order whatever the rows' order, so that reading them walks
    // the log from its start instead of jumping about it. Where texts repeat (the sources of a
    // log, its frequent messages) each distinct text is ranked once, and its rows take its rank;
    // where they hardly do, finding the repeats would cost more than it saves.
    return TextsRepeat(column) ? DistinctKeyedTexts(column, textOfRow, stage) : RowKeyedTexts(column, textOfRow, stage);
}

TLargeVector<TKeyedText> TLogMessagesModel::RowKeyedTexts(int column, TLargeVector<int>& textOfRow,
                                                          const TSortStage& stage) const
{
    // Each row's text has the row's number and stands in the log's order, so that the first
    // reading of the keys walks the log from its start; rows without text are dropped afterwards.
    constexpr std::uint32_t kNoText = UINT32_MAX;
    const TLargeVector<std::uint32_t> rowsInLogOrder = RowsInLogOrder();
    TLargeVector<TKeyedText> texts(rowsInLogOrder.size());
    ForEachShareOfRows(rowsInLogOrder, stage, [&](std::span<const std::uint32_t> rows, std::size_t from, TSortStage& share) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            share.Reached(i);
            const std::uint32_t row = rows[i];
            const std::optional<std::string_view> part = PartView(static_cast<int>(row), column);
            texts[from + i] = TKeyedText::Of(part.value_or(std::string_view()), part ? row : kNoText);
            textOfRow[row] = part ? static_cast<int>(row) : -1;
        }
    });
    texts.erase(std::remove_if(texts.begin(), texts.end(), [](const TKeyedText& text) { return text.Id == kNoText; }),
                texts.end());
    return texts;
}

TLargeVector<TKeyedText> TLogMessagesModel::DistinctKeyedTexts(int column, TLargeVector<int>& textOfRow,
                                                               const TSortStage& stage) const
{
    // Each share of the rows numbers the texts it meets; the numbers are made one afterwards.
    struct TShareTexts {
        std::span<const std::uint32_t> Rows;
        std::vector<std::string_view> Texts;
        std::vector<int> Ids;
    };
    std::mutex sharesLock;
    std::vector<TShareTexts> shares;
    const TLargeVector<std::uint32_t> rowsInLogOrder = RowsInLogOrder();
    ForEachShareOfRows(rowsInLogOrder, stage, [&](std::span<const std::uint32_t> rows, std::size_t, TSortStage& share) {
        TShareTexts found{rows, {}, {}};
        std::unordered_map<std::string_view, int> seen;
        std::optional<std::string_view> lastText;
        int lastId = -1;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            share.Reached(i);
            const std::optional<std::string_view> part = PartView(static_cast<int>(rows[i]), column);
            if (!part) {
                textOfRow[rows[i]] = -1;
                continue;
            }
            // Neighbouring entries mostly share their text (one server's source, a flood of one message).
            if (*part != lastText) {
                const auto [place, added] = seen.try_emplace(*part, static_cast<int>(found.Texts.size()));
                if (added)
                    found.Texts.push_back(*part);
                lastText = *part;
                lastId = place->second;
            }
            textOfRow[rows[i]] = lastId;
        }
        const std::lock_guard lock(sharesLock);
        shares.push_back(std::move(found));
    });
    std::unordered_map<std::string_view, int> ids;
    TLargeVector<TKeyedText> texts;
    for (TShareTexts& share : shares)
        for (const std::string_view text : share.Texts) {
            const auto [place, added] = ids.try_emplace(text, static_cast<int>(texts.size()));
            if (added)
                texts.push_back(TKeyedText::Of(text, static_cast<std::uint32_t>(place->second)));
            share.Ids.push_back(place->second);
        }
    for (const TShareTexts& share : shares)
        for (const std::uint32_t row : share.Rows)
            if (textOfRow[row] >= 0)
                textOfRow[row] = share.Ids[static_cast<std::size_t>(textOfRow[row])];
    return texts;
}

TLargeVector<std::uint32_t> TLogMessagesModel::RowsInLogOrder() const
{
    TLargeVector<std::uint32_t> rows(FEntries.size());
    if (std::is_sorted(FEntries.begin(), FEntries.end())) {
        std::iota(rows.begin(), rows.end(), std::uint32_t{0});
        return rows;
    }
    // The row of each entry, then the entries from the first on.
    constexpr std::uint32_t kNotListed = UINT32_MAX;
    TLargeVector<std::uint32_t> rowOfEntry(FIndex != nullptr ? FIndex->size() : 0, kNotListed);
    for (std::size_t row = 0; row < FEntries.size(); ++row)
        if (FEntries[row] < rowOfEntry.size())
            rowOfEntry[FEntries[row]] = static_cast<std::uint32_t>(row);
    rows.clear();
    for (const std::uint32_t row : rowOfEntry)
        if (row != kNotListed)
            rows.push_back(row);
    return rows;
}

void TLogMessagesModel::ForEachShareOfRows(const TLargeVector<std::uint32_t>& rows, const TSortStage& stage,
                                           const TRowsShareWork& work)
{
    TStopTogether shares;
    ForEachPartInParallel(rows.size(), 1, [&](std::size_t first, std::size_t last) {
        const std::span<const std::uint32_t> share(rows.data() + first, last - first);
        if (first != 0) {
            TSortStage beside(shares.Beside(), 0, 1, share.size());
            work(share, first, beside);
            return;
        }
        shares.RunTelling([&] {
            TSortStage telling = stage.Share(share.size());
            work(share, first, telling);
        });
    });
}

bool TLogMessagesModel::TextsRepeat(int column) const
{
    constexpr std::size_t kSampled = 4096;
    const std::size_t step = std::max<std::size_t>(1, FEntries.size() / kSampled);
    std::unordered_set<std::string_view> distinct;
    std::size_t sampled = 0;
    for (std::size_t row = 0; row < FEntries.size(); row += step, ++sampled)
        if (const std::optional<std::string_view> part = PartView(static_cast<int>(row), column))
            distinct.insert(*part);
    return distinct.size() * 2 <= sampled;
}

TLargeVector<int> TLogMessagesModel::TextRanksBySortKeys(int column, const QCollator& collator,
                                                        const TSortProgress& progress) const
{
    // Texts in a log repeat: each distinct text is collated once.
    std::unordered_map<std::string, int> distinct;
    TLargeVector<int> textOfRow(FEntries.size(), -1);
    TSortStage reading(progress, 0.0, 0.4, FEntries.size());
    for (int row = 0; row < RowCount(); ++row) {
        if (std::optional<std::string> text = PartText(row, column))
            textOfRow[static_cast<std::size_t>(row)] =
                distinct.try_emplace(std::move(*text), static_cast<int>(distinct.size())).first->second;
        reading.Reached(static_cast<std::size_t>(row));
    }

    std::vector<QCollatorSortKey> keys(distinct.size(), collator.sortKey(QString()));
    TSortStage collating(progress, 0.4, 0.8, distinct.size());
    for (const auto& [text, id] : distinct) {
        keys[static_cast<std::size_t>(id)] = collator.sortKey(Decoded(text));
        collating.Reached(static_cast<std::size_t>(id));
    }
    distinct.clear();

    TLargeVector<int> byKey(keys.size());
    std::iota(byKey.begin(), byKey.end(), 0);
    std::sort(byKey.begin(), byKey.end(), [&](int a, int b) { return keys[a].compare(keys[b]) < 0; });
    TLargeVector<int> rankOfText(keys.size());
    for (std::size_t i = 0, rank = 0; i < byKey.size(); ++i) {
        if (i > 0 && keys[byKey[i - 1]].compare(keys[byKey[i]]) != 0)
            ++rank;
        rankOfText[static_cast<std::size_t>(byKey[i])] = static_cast<int>(rank);
    }
    for (int& text : textOfRow)
        if (text >= 0)
            text = rankOfText[static_cast<std::size_t>(text)];
    return textOfRow;
}

void TLogMessagesModel::Sort(int column, Qt::SortOrder order)
{
    if (column == ColumnTime || column == ColumnSource || column == ColumnMessage)
        TakeSortedRows(SortedRows(column, order));
}

TLogMessagesModel::TSortedRows TLogMessagesModel::SortedRows(int column, Qt::SortOrder order,
                                                            const TSortProgress& progress) const
{
    if (column != ColumnTime && column != ColumnSource && column != ColumnMessage)
        return {};
    if (column != ColumnTime)
        return InOrder(OrderByRanks(TextRanks(column, progress), order, TSortStage(progress, 0.8, 1.0, FEntries.size())));
    // Each row's time beside its number, so that the sort reads memory in order.
    struct TTimedRow {
        double Time;
        std::uint32_t Row;
    };
    const TSortStage sorting(progress, 0.0, 0.8, FEntries.size());
    TLargeVector<TTimedRow> timed(FEntries.size());
    for (std::size_t row = 0; row < FEntries.size(); ++row)
        timed[row] = {EntryAt(FEntries[row]).DateTime, static_cast<std::uint32_t>(row)};
    if (order == Qt::AscendingOrder)
        std::stable_sort(timed.begin(), timed.end(), [](const TTimedRow& a, const TTimedRow& b) { return a.Time < b.Time; });
    else
        std::stable_sort(timed.begin(), timed.end(), [](const TTimedRow& a, const TTimedRow& b) { return a.Time > b.Time; });
    if (progress)
        progress(0.8);
    TLargeVector<std::uint32_t> rows(timed.size());
    std::transform(timed.begin(), timed.end(), rows.begin(), [](const TTimedRow& row) { return row.Row; });
    return InOrder(rows);
}

TLogMessagesModel::TSortedRows TLogMessagesModel::InOrder(const TLargeVector<std::uint32_t>& order) const
{
    TSortedRows sorted;
    sorted.Entries.reserve(FEntries.capacity());
    sorted.NewRowOf.resize(FEntries.size());
    for (std::size_t position = 0; position < order.size(); ++position) {
        sorted.Entries.push_back(FEntries[order[position]]);
        sorted.NewRowOf[order[position]] = static_cast<int>(position);
    }
    return sorted;
}

void TLogMessagesModel::TakeSortedRows(TSortedRows sorted)
{
    if (sorted.Entries.size() != FEntries.size())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    FEntries = std::move(sorted.Entries);
    // Selected rows stay selected where they now stand.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& index : before)
        after << this->index(sorted.NewRowOf[static_cast<std::size_t>(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
