#pragma once
// Replacing a saved file as a whole or not at all. The new content goes to a temporary file
// beside the old one, every write of it is checked, it is flushed and synced to the disk, and
// only then renamed over the old file. Whatever fails (a full disk, a read-only folder) leaves
// the old file as it was and the temporary one removed.

#include <QByteArray>
#include <QString>

#include <optional>

// Replaces the file's content by the bytes; the reason when it could not, in words for people.
std::optional<QString> ReplaceFileContent(const QString& path, const QByteArray& bytes);

// Moves a temporary file already written beside the file over it, synced to the disk first;
// the reason when it could not (the temporary file is removed then).
std::optional<QString> CommitReplacement(const QString& temporaryPath, const QString& path);

// The name of the temporary file that stands beside a file while it is replaced.
QString ReplacementPath(const QString& path);
