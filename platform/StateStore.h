#pragma once
// The viewer's saved state between runs: the registry key
// HKCU\Software\Kestrelon\LogViewer\STATE on Windows, ~/.config/Kestrelon/LogViewer.conf
// (group STATE) elsewhere, through QSettings' native format.

#include <QSettings>
#include <QString>

#include <optional>
#include <stdexcept>

// A stored value of another type than the one the viewer writes.
class EStateStoreError : public std::runtime_error {
public:
    explicit EStateStoreError(const QString& valueName);
};

class TStateStore {
public:
    TStateStore();

    // Each read gives nothing when the value is absent and throws EStateStoreError when it
    // holds another type.
    std::optional<QString> ReadString(const QString& name) const;
    // An 8-byte little-endian IEEE double.
    std::optional<double> ReadDateTime(const QString& name) const;
    // An integer; a string holding a decimal number counts too, any other string is absent.
    std::optional<int> ReadInteger(const QString& name) const;

    // A list of strings; a single string counts as a list of one (the way QSettings' text
    // formats give back a list of one).
    std::optional<QStringList> ReadStringList(const QString& name) const;

    // Writes are kept until Sync.
    void WriteString(const QString& name, const QString& value);
    void WriteStringList(const QString& name, const QStringList& value);
    void WriteDateTime(const QString& name, double value);
    // Keeps the type already stored: a value that exists as a string stays a string.
    void WriteInteger(const QString& name, int value);

    // Saves what was written, all of it or nothing: the reason when it could not, and the
    // state saved before then stays as it was.
    std::optional<QString> Sync();

private:
    QString Key(const QString& name) const;
    QSettings FSettings;  // read from; written only through Sync
    QSettings::SettingsMap FWrites;
};
