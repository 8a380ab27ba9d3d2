#pragma once
// The commands of kslog: summary, list and follow, over the log engine. Each returns the exit
// status: 0 when something was printed or matched, 1 when nothing matched; errors are thrown.

#include "FBLogEncoding.h"
#include "FBLogEntryFilter.h"
#include "FBLogRecords.h"

#include <optional>
#include <string>

struct TKsLogSettings {
    std::string File;       // "-" for standard input
    std::string Catalogue;  // empty: the one installed with the program
    TFBLogFilterOptions Filter;
    TFBLogRecordFormat Format = TFBLogRecordFormat::Text;
    bool Explain = false;
    bool Json = false;       // summary: one JSON object instead of text
    bool FromStart = false;  // follow: print what the file holds before following it
    std::optional<TFBLogEncoding> Encoding;  // nothing: the automatic choice
    int PollMilliseconds = 250;
};

// An error the user can mend (a bad argument, a missing file); the message says what.
struct EKsLogUsageError {
    std::string Message;
};

int RunSummary(const TKsLogSettings& settings);
int RunList(const TKsLogSettings& settings);
int RunFollow(const TKsLogSettings& settings);
