#include "FBLogStream.h"

#include "FBLogEntryBounds.h"
#include "FBLogParallel.h"

#include <cstring>
#include <vector>

std::optional<bool> LineFeedOnlyOfFile(TFBLogFileReader& file)
{
    if (!file.Size())
        return std::nullopt;
    std::vector<char> block(kStreamBlockSize);
    bool afterCR = false;
    for (std::int64_t pos = 0;;) {
        const std::size_t got = file.ReadAt(pos, block.data(), block.size());
        if (got == 0)
            return true;
        // A CR that ended the block before pairs with an LF that begins this one.
        if (afterCR && block[0] == '\n')
            return false;
        const std::string_view bytes(block.data(), got);
        if (HoldsCRLF(bytes))
            return false;
        afterCR = bytes.back() == '\r';
        pos += static_cast<std::int64_t>(got);
    }
}

void ClassifyBatch(TFBLogEntryBatch& batch, const TFBLogDescriptor& catalogue)
{
    batch.Kinds.resize(batch.Texts.size());
    ForEachPartInParallel(batch.Texts.size(), 64, [&](std::size_t first, std::size_t last) {
        KindsOfTexts(catalogue, std::span(batch.Texts).subspan(first, last - first),
                     std::span(batch.Kinds).subspan(first, last - first));
    });
}
