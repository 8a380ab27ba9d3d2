// The scanner on any bytes: every entry lies within the data, in order, closed by the blank
// line of the file's rules; its text, date, source and message read back; the cut made block
// by block gives the same entries at a block size the input chooses; and so does the scan shared
// between as many threads as the input chooses.

#include "FBLogEntryBounds.h"
#include "FBLogEntryCutter.h"
#include "FBLogText.h"
#include "uFBLogDescriptor.h"
#include "uFBLogParser.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TFBLogParser parser("");
    parser.LoadBytes(bytes);
    FBLogsMsgs msgs;
    parser.ScanEntries(msgs);

    const std::string_view blankLine = parser.LineFeedOnly() ? "\n\n" : "\r\n\r\n";
    std::int64_t previousEnd = 0;
    for (const FBLogMsg& msg : msgs) {
        Require(msg.Offset >= previousEnd && msg.Length > 0 && msg.Offset + msg.Length <= static_cast<std::int64_t>(size));
        const std::string text = parser.ReadEntryText(msg.Offset, msg.Length);
        Require(text.size() == static_cast<std::size_t>(msg.Length));
        Require(std::string_view(text).substr(text.size() - blankLine.size()) == blankLine);
        TFBLogDescriptor grammar("");
        Require(grammar.TryExtractDateTime(text) == msg.DateTime);
        if (const auto source = TFBLogDescriptor::SourcePart(text))
            (void)CollapseBlanks(*source);
        if (const auto message = TFBLogDescriptor::MessagePart(text))
            (void)CollapseBlanks(*message);
        previousEnd = msg.Offset + msg.Length;
    }

    // The same bytes cut block by block, with the file's rules.
    const std::size_t block = size == 0 ? 1 : 1 + data[0] % 61;
    TFBLogEntryCutter cutter(parser.LineFeedOnly());
    std::size_t index = 0;
    for (std::size_t at = 0; at < size; at += block)
        cutter.Feed(bytes.substr(at, block), [&](const FBLogMsg& msg, std::string_view) {
            Require(index < msgs.size() && msgs[index].Offset == msg.Offset && msgs[index].Length == msg.Length &&
                    msgs[index].DateTime == msg.DateTime);
            ++index;
        });
    Require(index == msgs.size());

    // The same bytes scanned in runs on several threads.
    TFBLogParser shared("");
    shared.SetScanThreads(2 + (size == 0 ? 0 : data[size - 1] % 7), 0);
    shared.LoadBytes(bytes);
    FBLogsMsgs sharedMsgs;
    shared.ScanEntries(sharedMsgs);
    Require(sharedMsgs.size() == msgs.size());
    for (std::size_t i = 0; i < msgs.size(); ++i)
        Require(sharedMsgs[i].Offset == msgs[i].Offset && sharedMsgs[i].Length == msgs[i].Length &&
                sharedMsgs[i].DateTime == msgs[i].DateTime);
    return 0;
}
