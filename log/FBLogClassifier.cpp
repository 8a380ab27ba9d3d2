#include "FBLogClassifier.h"

#include "FBLogParallel.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t kCancelCheckEvery = 4096;
// Entries classified together: their texts are walked at once.
constexpr std::size_t kEntriesPerBatch = 256;

FBLogKind KindOfRow(int row) noexcept
{
    return row < 0 || static_cast<std::size_t>(row) + 1 >= kMaxKinds ? kUnknownKind : static_cast<FBLogKind>(row + 1);
}

}  // namespace

FBLogKind KindOfText(const TFBLogDescriptor& catalogue, std::string_view text) noexcept
{
    return KindOfRow(catalogue.FindRowIndex(text));
}

FBLogKinds ClassifyEntries(const TFBLogParser& parser, const FBLogsMsgs& msgs, const TFBLogDescriptor& catalogue,
                           const std::atomic<bool>* cancel)
{
    FBLogKinds kinds;
    kinds.reserve(WithRoomToGrow(msgs.size()));
    kinds.resize(msgs.size(), kUnknownKind);
    ForEachPartInParallel(msgs.size(), 64, [&](std::size_t first, std::size_t last) {
        std::array<std::string_view, kEntriesPerBatch> texts;
        for (std::size_t batch = first; batch < last; batch += kEntriesPerBatch) {
            if ((batch - first) % kCancelCheckEvery == 0 && cancel != nullptr && cancel->load(std::memory_order_relaxed))
                return;
            const std::size_t count = std::min(kEntriesPerBatch, last - batch);
            for (std::size_t i = 0; i < count; ++i)
                texts[i] = parser.ViewRange(msgs[batch + i].Offset, msgs[batch + i].Offset + msgs[batch + i].Length);
            KindsOfTexts(catalogue, std::span(texts.data(), count), std::span(kinds.data() + batch, count));
        }
    });
    return kinds;
}

void KindsOfTexts(const TFBLogDescriptor& catalogue, std::span<const std::string_view> texts, std::span<FBLogKind> kinds)
{
    std::array<int, kEntriesPerBatch> rows;
    for (std::size_t done = 0; done < texts.size(); done += kEntriesPerBatch) {
        const std::size_t count = std::min(kEntriesPerBatch, texts.size() - done);
        catalogue.FindRowIndexes(texts.subspan(done, count), std::span(rows.data(), count));
        for (std::size_t i = 0; i < count; ++i)
            kinds[done + i] = KindOfRow(rows[i]);
    }
}

const TFBLogDescription* RowOfKind(const TFBLogDescriptor& catalogue, FBLogKind kind) noexcept
{
    if (kind == kUnknownKind || kind > catalogue.Descriptions().size())
        return nullptr;
    return &catalogue.Descriptions()[kind - 1u];
}

TFBLogSeverity SeverityOfKind(const TFBLogDescriptor& catalogue, FBLogKind kind) noexcept
{
    const TFBLogDescription* row = RowOfKind(catalogue, kind);
    return row ? row->Severity() : TFBLogSeverity::Unknown;
}
