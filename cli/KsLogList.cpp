// kslog list and kslog follow: the entries that pass the filters, as records.

#include "KsLogCommands.h"
#include "KsLogOutput.h"
#include "KsLogSource.h"

#include "FBLogFileWatch.h"
#include "FBLogStream.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <span>
#include <thread>

namespace {

// Filters and prints entries, numbering them by their position in the file.
class TRecordPrinter {
public:
    TRecordPrinter(const TKsLogSettings& settings, const TFBLogDescriptor& catalogue, TKsLogOutput& output)
        : FSettings(settings), FCatalogue(catalogue), FOutput(output)
    {
        UseEncoding(settings.Encoding.value_or(TFBLogEncoding::Utf8));
        FEncodingSettled = settings.Encoding.has_value() || !ReadsText();
        FNeedsKinds = FFilter->LooksAtKinds() || settings.Explain || settings.Format != TFBLogRecordFormat::Text;
        FNeedsDates = FFilter->LooksAtDates() || settings.Format != TFBLogRecordFormat::Text;
    }

    // False when nothing printed or filtered depends on the entries' dates.
    bool NeedsDates() const noexcept { return FNeedsDates; }

    // The catalogue to classify entries with, when their kinds are needed at all.
    const TFBLogDescriptor* Classifier() const noexcept { return FNeedsKinds ? &FCatalogue : nullptr; }

    void PrintHeader()
    {
        FOutput.Buffer() += FWriter->Header();
    }

    // Makes the automatic choice of encoding from the whole file, where it can be read twice.
    void ChooseEncodingOf(TFBLogFileReader& file)
    {
        if (!FEncodingSettled)
            if (const std::optional<TFBLogEncoding> encoding = GuessEncodingOfFile(file, UsersLegacyEncoding()))
                Settle(*encoding);
    }

    // Counts the entry; prints it when it passes and printing is on.
    void Take(const FBLogMsg& msg, std::string_view text)
    {
        if (!FEncodingSettled)
            ChooseEncodingFrom(std::span(&text, 1));
        if (FPrinting)
            Take(msg, text, FNeedsKinds ? KindOfText(FCatalogue, text) : kUnknownKind);
        else
            ++FNumber;
    }

    void Take(const TFBLogEntryBatch& batch)
    {
        if (!FEncodingSettled)
            ChooseEncodingFrom(batch.Texts);
        for (std::size_t i = 0; i < batch.Msgs.size(); ++i)
            Take(batch.Msgs[i], batch.Texts[i], batch.Kinds.empty() ? kUnknownKind : batch.Kinds[i]);
    }

    void Take(const FBLogMsg& msg, std::string_view text, FBLogKind kind)
    {
        ++FNumber;
        if (!FFilter->Passes(msg, text, kind))
            return;
        FWriter->Append(FOutput.Buffer(), FNumber, msg, text, kind);
        FOutput.EndRecord();
        FMatched = true;
    }

    void SetPrinting(bool on) noexcept { FPrinting = on; }
    // A file read again from its start numbers its entries from 1 again.
    void RestartNumbering() noexcept { FNumber = 0; }
    bool Matched() const noexcept { return FMatched; }

private:
    // True when what is printed or filtered depends on the encoding of the entries' texts.
    bool ReadsText() const noexcept
    {
        return !FSettings.Filter.Grep.empty() || FSettings.Filter.Regex || FSettings.Format != TFBLogRecordFormat::Text;
    }

    // Until a byte above ASCII comes, every encoding the choice can make reads the entries alike.
    void ChooseEncodingFrom(std::span<const std::string_view> texts)
    {
        TFBLogEncodingGuess guess;
        for (const std::string_view text : texts)
            guess.Take(text);
        if (guess.SawNonAscii())
            Settle(guess.Choice(UsersLegacyEncoding()));
    }

    void Settle(TFBLogEncoding encoding)
    {
        UseEncoding(encoding);
        FEncodingSettled = true;
    }

    void UseEncoding(TFBLogEncoding encoding)
    {
        TFBLogFilterOptions options = FSettings.Filter;
        options.Encoding = encoding;
        FFilter.emplace(FCatalogue, options);
        FWriter.emplace(FSettings.Format, FCatalogue, FSettings.Explain, TFBLogDecoder(encoding));
    }

    const TKsLogSettings& FSettings;
    const TFBLogDescriptor& FCatalogue;
    std::optional<TFBLogEntryFilter> FFilter;
    std::optional<TFBLogRecordWriter> FWriter;
    TKsLogOutput& FOutput;
    std::int64_t FNumber = 0;
    bool FEncodingSettled = false;
    bool FNeedsKinds = false;
    bool FNeedsDates = false;
    bool FPrinting = true;
    bool FMatched = false;
};

// The line-end rules of a file about to be followed: those a scan of it would choose, but
// still open while it holds nothing.
std::optional<bool> RulesToFollow(TFBLogFileReader& file)
{
    return file.Size().value_or(0) > 0 ? LineFeedOnlyOfFile(file) : std::nullopt;
}

// Follows one log at its path: reads what is appended, and reads the file at the path again from
// its start when it was truncated, replaced or rotated, or came back after it was deleted.
class TFollower {
public:
    TFollower(const TKsLogSettings& settings, TRecordPrinter& printer)
        : FSettings(settings), FPrinter(printer), FWatch(settings.File)
    {
    }

    void Run()
    {
        if (FWatch.Present())
            Open(FSettings.FromStart);
        else
            Complain("There is no file \"" + FSettings.File + "\" yet; waiting for it.");
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(FSettings.PollMilliseconds));
            const TFBLogFileChange change = FWatch.Check();
            if (change == TFBLogFileChange::Grown && FLog && ReadAppended())
                continue;
            if (change == TFBLogFileChange::Grown)
                Reopen(TFBLogFileChange::Replaced);
            else if (change != TFBLogFileChange::None && change != TFBLogFileChange::Grown)
                Reopen(change);
        }
    }

private:
    void Open(bool printExisting)
    {
        FPrinter.SetPrinting(printExisting);
        for (;;) {
            FLog = OpenLog(FSettings.File);
            FPrinter.RestartNumbering();
            FPrinter.ChooseEncodingOf(*FLog);
            FCutter = TFBLogEntryCutter(RulesToFollow(*FLog));
            FLastBytes.clear();
            if (ReadAppended())
                break;
            Complain(DescribeFileChange(TFBLogFileChange::Replaced));
        }
        FPrinter.SetPrinting(true);
    }

    void Reopen(TFBLogFileChange change)
    {
        Complain(DescribeFileChange(change));
        FLog.reset();
        if (change == TFBLogFileChange::Deleted)
            return;
        FWatch.Note();
        Open(true);
    }

    // Reads and prints what was appended; false when the file turns out to have been rewritten
    // before the read (the bytes read last are no longer where they were).
    bool ReadAppended()
    {
        for (;;) {
            const std::span<char> room = FCutter.Room(kStreamBlockSize);
            const std::size_t got = FLog->ReadAt(FCutter.BytesEnd(), room.data(), room.size());
            if (got == 0)
                break;
            if (!StillHoldsWhatWasRead())
                return false;
            KeepLastBytes(std::string_view(room.data(), got));
            FCutter.Cut(got, [this](const FBLogMsg& msg, std::string_view text) { FPrinter.Take(msg, text); });
        }
        FWatch.NoteSize(FCutter.BytesEnd());
        return true;
    }

    // The last bytes read, as they were read, tell a file appended to from one overwritten by a
    // longer one when they are read again.
    void KeepLastBytes(std::string_view read)
    {
        constexpr std::size_t kCompared = 64;
        FLastBytes.append(read.substr(read.size() - std::min(read.size(), kCompared)));
        if (FLastBytes.size() > kCompared)
            FLastBytes.erase(0, FLastBytes.size() - kCompared);
    }

    std::string LastBytesNow() const
    {
        const std::int64_t end = FCutter.BytesEnd();
        const std::int64_t from = end - static_cast<std::int64_t>(FLastBytes.size());
        std::string bytes(FLastBytes.size(), '\0');
        bytes.resize(FLog->ReadAt(from, bytes.data(), bytes.size()));
        return bytes;
    }

    bool StillHoldsWhatWasRead() const { return LastBytesNow() == FLastBytes; }

    const TKsLogSettings& FSettings;
    TRecordPrinter& FPrinter;
    TFBLogFileWatch FWatch;
    std::unique_ptr<TFBLogFileReader> FLog;
    TFBLogEntryCutter FCutter;
    std::string FLastBytes;
};

}  // namespace

int RunList(const TKsLogSettings& settings)
{
    const std::unique_ptr<TFBLogDescriptor> catalogue = LoadCatalogue(settings.Catalogue);
    const std::unique_ptr<TFBLogFileReader> log = OpenLog(settings.File);
    TKsLogOutput output(false);
    TRecordPrinter printer(settings, *catalogue, output);
    printer.PrintHeader();
    printer.ChooseEncodingOf(*log);
    StreamEntryBatches(*log, LineFeedOnlyOfFile(*log), printer.Classifier(),
                       [&](const TFBLogEntryBatch& batch) { printer.Take(batch); }, printer.NeedsDates());
    return printer.Matched() ? 0 : 1;
}

int RunFollow(const TKsLogSettings& settings)
{
    const std::unique_ptr<TFBLogDescriptor> catalogue = LoadCatalogue(settings.Catalogue);
    TKsLogOutput output(true);
    TRecordPrinter printer(settings, *catalogue, output);
    printer.PrintHeader();
    output.Flush();
    if (settings.File == "-") {
        // A pipe cannot be truncated or rotated: its entries are printed as they come.
        const std::unique_ptr<TFBLogFileReader> log = OpenLog(settings.File);
        StreamEntries(*log, std::nullopt, [&](const FBLogMsg& msg, std::string_view text) { printer.Take(msg, text); });
        return printer.Matched() ? 0 : 1;
    }
    std::error_code error;
    if (std::filesystem::is_directory(FileSystemPath(settings.File), error))
        throw EKsLogUsageError{"Cannot open file \"" + settings.File + "\". It is a folder."};
    TFollower(settings, printer).Run();
    return 0;
}
