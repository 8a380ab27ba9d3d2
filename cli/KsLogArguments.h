#pragma once
// The command line as UTF-8 text, the way file names are handed to the engine (FBLogFile.h).

#include <string>
#include <vector>

// The program's arguments, its name first. On POSIX they are argv's bytes as they are. On
// Windows argv holds the ANSI code page's text, in which most file names cannot be written, so
// the wide command line is taken instead and turned into UTF-8.
std::vector<std::string> CommandLineArguments(int argc, char** argv);
