#pragma once
// kslog fetch: a server's log through the Firebird Services API, to standard output or to a new
// file. The password comes from a file or the environment, never from the command line, where
// every user of the machine could read it.

#include <string>

struct TKsLogFetchSettings {
    std::string Host;          // db1, db1/3051, [::1]/3050
    std::string User;          // empty: ISC_USER, else SYSDBA
    std::string PasswordFile;  // empty: ISC_PASSWORD; "-": standard input
    std::string Output;        // empty: standard output; else a file that must not exist yet
};

// The first line of a password file, without its line end. Throws EKsLogUsageError.
std::string ReadPasswordFile(const std::string& file);

// Returns 0 when the log was fetched, 1 when the server's log is empty; throws EKsLogUsageError
// for what the user can mend and EFBRemoteError for what the server or network refused.
int RunFetch(const TKsLogFetchSettings& settings);

// Writes bytes to a file that does not exist yet, all or nothing: a file of that name that
// appears meanwhile is left alone. Throws EKsLogUsageError.
void WriteNewFile(const std::string& file, const std::string& bytes);
