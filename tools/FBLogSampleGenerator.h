#pragma once
// Writes realistic server logs the way Firebird and InterBase servers of each version write
// them: the header with or without the " (Server)" / " (Client)" marker, one-digit days padded
// as the server's C runtime pads them, the TAB before each message line, the blank lines
// between entries, CR LF on Windows and LF elsewhere, and now and then a piece that carries
// no readable header. Used by the tests, the benchmarks and to make the shipped sample log.

#include "FBLogDateTime.h"

#include <cstdint>
#include <string>
#include <vector>

enum class FBServerVersion { InterBase6, Firebird15, Firebird25, Firebird30, Firebird40, Firebird50 };
enum class FBServerPlatform { Linux, Windows };
// The language of the server's operating system, in which it words its own messages (file and
// network errors) and names some databases. A Windows server writes them in its ANSI code page
// (windows-1251 for Russian, windows-1250 for Czech), a Linux server in UTF-8.
enum class FBServerLanguage { English, Russian, Czech };

struct SampleLogOptions {
    FBServerVersion Version = FBServerVersion::Firebird30;
    FBServerPlatform Platform = FBServerPlatform::Linux;
    std::string Host = "dbserver";
    FBServerLanguage Language = FBServerLanguage::English;
    std::uint64_t Seed = 1;
    std::int64_t Entries = 100;      // entries to write, unless TargetBytes is set
    std::int64_t TargetBytes = 0;    // when not 0: write entries until the log has this size
    FBLogDateParts Start{2026, 11, 2, 8, 0, 0, 0};
    int MeanSecondsBetween = 600;    // average gap between two entries
    bool UnreadablePieces = true;    // add pieces whose first line is no header
};

// What a scan of the written log must find, in file order: one element per indexed piece,
// with its date-time (0 for a piece without a readable header).
struct SampleLog {
    std::string Bytes;
    std::vector<double> ExpectedDateTimes;
};

SampleLog GenerateSampleLog(const SampleLogOptions& options);

// Parses "2.5", "3.0", "fb4", "ib6", ...; false when the name is unknown.
bool ParseServerVersion(const std::string& name, FBServerVersion& version);
// Parses "en", "ru", "cs"; false when the name is unknown.
bool ParseServerLanguage(const std::string& name, FBServerLanguage& language);

// The encoding a server of this platform and language writes its messages in ("UTF-8",
// "windows-1251", ...).
const char* ServerEncodingName(FBServerPlatform platform, FBServerLanguage language);

// The operating system's words for what the generator writes, in UTF-8: a missing file, a file
// in use (Windows), a missing file (POSIX) and an unknown host name (POSIX).
struct FBServerMessages {
    const char* FileNotFound;
    const char* SharingViolation;
    const char* NoSuchFile;
    const char* UnknownHost;
    const char* Database;  // a database named in the language
};
const FBServerMessages& ServerMessages(FBServerLanguage language);
