#pragma once
// File names as the operating system gives them. On POSIX systems a name is any bytes, and a
// name that is not valid UTF-8 (a Latin-1 "caf\xe9.log") must still open: Qt's own decoding
// turns such bytes into U+FFFD and loses them. Here each stray byte is kept as a lone
// surrogate U+DC80..U+DCFF, so that the name turns back into the very same bytes.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>

// A name from the system (an argument, a directory entry) as text that keeps its bytes.
QString DecodeLocalFileName(const QByteArray& name);
// The bytes of a name made by DecodeLocalFileName or typed by the user, as the log-reading
// classes take them (UTF-8 on Windows, whose readers widen it).
std::string LocalPath(const QString& name);
// The name as it can be shown: kept stray bytes show as the replacement character.
QString DisplayFileName(const QString& name);
// The program's arguments, decoded as above.
QStringList LocalArguments(int argc, const char* const* argv);
