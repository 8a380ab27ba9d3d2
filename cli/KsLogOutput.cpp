#include "KsLogOutput.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

constexpr std::size_t kWriteSize = 1 << 20;

void WriteAll(const std::string& bytes)
{
    if (bytes.empty())
        return;
    const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    if (written == bytes.size() && std::fflush(stdout) == 0)
        return;
    if (errno == EPIPE)
        std::_Exit(0);
    throw EKsLogOutputError{std::strerror(errno)};
}

}  // namespace

TKsLogOutput::TKsLogOutput(bool flushEachRecord) : FFlushEachRecord(flushEachRecord)
{
#ifdef SIGPIPE
    // A closed pipe shows as EPIPE on the write, which ends the program quietly.
    std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef _WIN32
    // Records are the log's bytes: in the C runtime's text mode each LF would become CR LF, and
    // the CR LF of a Windows server's log CR CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

TKsLogOutput::~TKsLogOutput()
{
    try {
        Flush();
    } catch (const EKsLogOutputError&) {
    }
}

void TKsLogOutput::EndRecord()
{
    FPrinted = true;
    if (FFlushEachRecord || FBuffer.size() >= kWriteSize)
        Flush();
}

void TKsLogOutput::Flush()
{
    WriteAll(FBuffer);
    FBuffer.clear();
}

bool StandardOutputIsTerminal()
{
    return isatty(fileno(stdout)) != 0;
}
