#include "FBLogClassifier.h"

#include "FBLogParallel.h"

namespace {

constexpr std::size_t kCancelCheckEvery = 4096;

}  // namespace

FBLogKind KindOfText(const TFBLogDescriptor& catalogue, std::string_view text) noexcept
{
    const int row = catalogue.FindRowIndex(text);
    return row < 0 || static_cast<std::size_t>(row) + 1 >= kMaxKinds ? kUnknownKind : static_cast<FBLogKind>(row + 1);
}

FBLogKinds ClassifyEntries(const TFBLogParser& parser, const FBLogsMsgs& msgs, const TFBLogDescriptor& catalogue,
                           const std::atomic<bool>* cancel)
{
    FBLogKinds kinds;
    kinds.reserve(WithRoomToGrow(msgs.size()));
    kinds.resize(msgs.size(), kUnknownKind);
    ForEachPartInParallel(msgs.size(), 64, [&](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) {
            if ((i - first) % kCancelCheckEvery == 0 && cancel != nullptr && cancel->load(std::memory_order_relaxed))
                return;
            const FBLogMsg& msg = msgs[i];
            kinds[i] = KindOfText(catalogue, parser.ViewRange(msg.Offset, msg.Offset + msg.Length));
        }
    });
    return kinds;
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
