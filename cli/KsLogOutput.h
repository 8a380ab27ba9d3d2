#pragma once
// kslog's standard output: records gathered into large writes while a file is listed, flushed
// record by record while a log is followed. A reader that goes away (a closed pipe) ends the
// program quietly, as it does for the tools it is piped into.

#include <string>

class TKsLogOutput {
public:
    // flushEachRecord: write every record at once, for readers that wait for them.
    explicit TKsLogOutput(bool flushEachRecord);
    ~TKsLogOutput();

    // The buffer records are appended to; EndRecord writes it out when due.
    std::string& Buffer() noexcept { return FBuffer; }
    void EndRecord();
    void Flush();
    bool Printed() const noexcept { return FPrinted; }

private:
    std::string FBuffer;
    bool FFlushEachRecord;
    bool FPrinted = false;
};

// Thrown when standard output can no longer be written for any reason but a closed pipe.
struct EKsLogOutputError {
    std::string Reason;
};

// True when standard output is a terminal (and not a pipe or file).
bool StandardOutputIsTerminal();
