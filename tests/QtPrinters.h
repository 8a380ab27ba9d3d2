#pragma once
// Readable failure messages for Qt's string types in GoogleTest assertions.

#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
