#pragma once
// The scanner of a server log: loads the whole file once, cuts it into entries at blank lines
// and keeps, per entry, only where it lies and when it was written. What the server appends
// later is read and cut on its own, without reading the rest again.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "FBLogEncoding.h"
#include "FBLogFile.h"
#include "FBLogFileMap.h"
#include "FBLogLargeArrays.h"

// One log entry in the index: 24 bytes, owns nothing, may be copied byte for byte.
struct FBLogMsg {
    std::int64_t Offset;  // first byte of the entry in the file
    std::int64_t Length;  // bytes of the entry, the closing blank line included
    double DateTime;      // the header's timestamp; 0 when the header cannot be read
};
static_assert(sizeof(FBLogMsg) == 24 && std::is_trivially_copyable_v<FBLogMsg>);

// The index of a log: millions of entries for a log of gigabytes.
using FBLogsMsgs = TLargeVector<FBLogMsg>;

// Receives the progress caption while a scan runs, at most every 500 ms, and lets pending
// window events run.
using FBLogProgressSink = std::function<void(const std::string& caption)>;
// Milliseconds of a monotonic clock; replaceable so that the throttle can be tested.
using FBLogClock = std::function<std::int64_t()>;
// The clock used when none is given.
std::int64_t MonotonicMilliseconds();

// The capacity to give an array of `count` entries that a live log will add to: an eighth more,
// which costs no memory until it is used and spares a copy of the array at the first appends.
std::size_t WithRoomToGrow(std::size_t count) noexcept;

// "Parsing file: <pos> of <size>", with " (<percent>%)" when size is not 0.
std::string FormatScanProgress(std::int64_t pos, std::int64_t fileSize);

class TFBLogParser {
public:
    explicit TFBLogParser(const std::string& fileName);
    ~TFBLogParser();
    TFBLogParser(const TFBLogParser&) = delete;
    TFBLogParser& operator=(const TFBLogParser&) = delete;

    // (Re)loads the whole file; returns its size, 0 for a missing or empty file. Throws
    // EFBLogFileError when the file exists but cannot be read.
    std::int64_t LoadFile();

    // Takes the bytes as the file's content, as LoadFile would have read them: for checks of the
    // scanner on any bytes without a file. The name given to the constructor is not read.
    std::int64_t LoadBytes(std::string_view bytes);

    // Fills msgs with the entries of the whole file (loading it first if needed).
    void ScanEntries(FBLogsMsgs& msgs);
    // Fills msgs with the entries from pos on; pos then marks the end of the last entry.
    void ScanEntriesFrom(std::int64_t& pos, FBLogsMsgs& msgs);

    // Reads the bytes appended to the file since the load, from pos (the end of the last entry
    // indexed, as ScanEntriesFrom left it) to the file's end now, and fills msgs with the
    // entries completed there; pos then marks the end of the last of them. Bytes of an entry
    // still being written are read again next time. Until the first entry is complete the line
    // ends are decided afresh from what the file holds. Returns false, and reads nothing, when
    // the file no longer holds the bytes read before (it was rewritten or shrank): it must be
    // loaded again. Throws EFBLogFileError.
    bool ScanAppendedEntries(std::int64_t& pos, FBLogsMsgs& msgs);

    // The bytes of one entry; empty when offset lies outside the data, cut at its end.
    std::string ReadEntryText(std::int64_t offset, std::int64_t length) const;
    // Bytes [from, to) of the data, clipped to it.
    std::string ReadRange(std::int64_t from, std::int64_t to) const;
    // The same bytes without a copy; valid while the data stays loaded.
    std::string_view ViewRange(std::int64_t from, std::int64_t to) const noexcept;
    // The same bytes for a pass that reads much of the log in order, cut where the part of the
    // data that holds `from` ends: those of a mapped log are read into buffer with the system's
    // file reads, the rest are viewed where they lie (see TFBLogFileMap::ReadAt).
    std::string_view PassBytes(std::int64_t from, std::int64_t to, std::vector<char>& buffer) const;

    // First byte of the next entry at or after pos, or -1.
    std::int64_t FindEntryStart(std::int64_t pos) const noexcept;
    // Offset just after the blank line closing the entry begun at pos, or -1.
    std::int64_t FindEntryEnd(std::int64_t pos) const noexcept;

    const std::string& FileName() const noexcept { return FFileName; }
    std::int64_t FileSize() const noexcept { return FFileSize; }
    // True when the loaded data holds no CR LF pair: entries then end at LF LF.
    bool LineFeedOnly() const noexcept { return FLineFeedOnly; }
    // The automatic choice between UTF-8 and the legacy encoding for the bytes loaded, taken
    // from the scan's own reading of them where it read them all.
    TFBLogEncoding GuessedEncoding(TFBLogEncoding legacy) const;
    // True once a read found the mapped log shorter than when it was loaded: what was past its
    // new end reads as zeros until the log is loaded again.
    bool LostHeldBytes() const noexcept;

    void SetProgressSink(FBLogProgressSink sink, FBLogClock clock = {});

    // The least bytes a scan shares between threads by default: below it, starting threads and
    // joining their indexes would cost more than it spares.
    static constexpr std::int64_t kSharedScanFromBytes = std::int64_t{16} << 20;
    // The bytes of a mapped log that a scan reads at a time.
    static constexpr std::int64_t kReadBlockBytes = std::int64_t{1} << 20;
    // How many threads a scan may share its work between (by default one per core), for data of
    // at least fromBytes; 1 scans on the calling thread alone. Such data of a mapped log is read
    // in blocks of about readBlockBytes. Any setting gives the same index.
    void SetScanThreads(unsigned threads, std::int64_t fromBytes = kSharedScanFromBytes,
                        std::int64_t readBlockBytes = kReadBlockBytes);

private:
    // Bytes [Start, Start + Size) of the file. The load gives the first, starting at 0; each
    // read of appended bytes adds one that starts where an entry begins, so that no entry
    // spans two of them.
    // The first may be a map of the file instead of bytes of its own.
    struct TSegment {
        std::int64_t Start = 0;
        std::int64_t Size = 0;
        std::unique_ptr<char[]> Bytes;
        std::unique_ptr<TFBLogFileMap> Map;

        std::string_view View() const noexcept
        {
            return Map ? Map->View() : std::string_view(Bytes.get(), static_cast<std::size_t>(Size));
        }
    };
    // The segment that holds pos (the latest one starting at or before it), or nullptr.
    const TSegment* SegmentAt(std::int64_t pos) const noexcept;
    void AddSegment(std::int64_t start, FileBytes bytes);
    bool StillHolds(TFBLogFileReader& file, std::int64_t pos) const;
    void CutEntries(const TSegment& segment, std::int64_t& pos, FBLogsMsgs& msgs);
    void CutEntriesAlone(std::string_view data, std::int64_t base, std::int64_t from, FBLogsMsgs& msgs);
    // Cuts the blocks between the bounds in `blocks` on `runs` threads, each a stretch of them.
    void CutEntriesInBlocks(const TSegment& segment, const std::vector<std::int64_t>& blocks, std::size_t runs,
                            std::size_t expected, FBLogsMsgs& msgs);
    // Whether a scan of `bytes` of the segment reads them in blocks rather than through the map.
    bool ReadsInBlocks(const TSegment& segment, std::int64_t bytes) const noexcept;
    // The segment's bytes [from, to) for a scan: read into buffer from a mapped file.
    std::string_view BlockBytes(const TSegment& segment, std::int64_t from, std::int64_t to,
                                std::vector<char>& buffer) const;
    std::int64_t LoadFileForScan(bool crlfSearchedByScan);
    void RememberTail(std::int64_t pos);
    // Whether the scan of data from its start is shared between threads.
    bool SharesScanOf(std::int64_t bytes) const noexcept;
    // HoldsCRLF, on all cores where the scan would be shared.
    bool HoldsCRLFAsScanned(std::string_view data) const;
    // About how many entries the bytes from `from` hold, from a count over their first megabytes.
    std::size_t EstimatedEntries(std::string_view data, std::int64_t from) const;

    bool FLineFeedOnly = false;
    // The CR LF pair that decides the rules is still to be looked for beyond the file's first
    // megabyte: a scan in blocks looks for it as it goes, and scans again if it finds one.
    bool FCRLFToFind = false;
    // The encoding guess of a scan that read the whole file in blocks.
    std::optional<TFBLogEncodingGuess> FScannedGuess;    bool FInMemory = false;  // the bytes came from LoadBytes, not from the file
    std::string FFileName;
    std::vector<TSegment> FSegments;
    std::int64_t FFileSize = 0;
    std::string FTail;          // the bytes before FTailEnd as they were read
    std::int64_t FTailEnd = 0;  // where the last complete entry read ends
    FBLogProgressSink FProgressSink;
    FBLogClock FClock;
    unsigned FScanThreads;
    std::int64_t FSharedScanFrom = kSharedScanFromBytes;
    std::int64_t FReadBlockBytes = kReadBlockBytes;
};
