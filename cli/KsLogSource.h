#pragma once
// What every kslog command starts from: the description catalogue and the log to read.

#include "FBLogFile.h"
#include "uFBLogDescriptor.h"

#include <memory>
#include <string>

// The catalogue named on the command line, or else the one installed with the program (beside
// it, or in ../share/kslogviewer). Its warnings go to standard error.
std::unique_ptr<TFBLogDescriptor> LoadCatalogue(const std::string& named);

// The log to read: standard input for "-". Throws EKsLogUsageError for a name that is not a
// file to read.
std::unique_ptr<TFBLogFileReader> OpenLog(const std::string& file);

// Prints "kslog: <message>" to standard error.
void Complain(const std::string& message);
