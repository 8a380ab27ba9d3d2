#pragma once
// What every kslog command starts from: the description catalogue and the log to read.

#include "FBLogEncoding.h"
#include "FBLogFile.h"
#include "uFBLogDescriptor.h"

#include <memory>
#include <optional>
#include <string>

// The catalogue named on the command line, or else the one installed with the program (beside
// it, or in ../share/kslogviewer). Its warnings go to standard error.
std::unique_ptr<TFBLogDescriptor> LoadCatalogue(const std::string& named);

// The log to read: standard input for "-". Throws EKsLogUsageError for a name that is not a
// file to read.
std::unique_ptr<TFBLogFileReader> OpenLog(const std::string& file);

// The legacy encoding of the user's language (LC_ALL, LC_MESSAGES or LANG); on Windows the
// system's ANSI code page.
TFBLogEncoding UsersLegacyEncoding();

// The automatic choice for a file read as a whole before its entries: its bytes weighed
// together. Nothing for a pipe, which cannot be read twice, and for a file with no byte above
// ASCII yet: the choice then waits for the first entry that holds one.
std::optional<TFBLogEncoding> GuessEncodingOfFile(TFBLogFileReader& file, TFBLogEncoding legacy);

// Prints "kslog: <message>" to standard error.
void Complain(const std::string& message);
