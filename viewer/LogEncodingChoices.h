#pragma once
// What the user chose about the encodings of logs: one encoding per log, by its path, and the
// legacy encoding chosen last, which the automatic choice falls back on for other logs.

#include "FBLogEncoding.h"
#include "uFBLogParser.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class TLogEncodingChoices {
public:
    // Logs whose choice is kept; the ones chosen for longest ago give way first.
    static constexpr std::size_t kRemembered = 100;

    // systemLegacy: the legacy encoding before the user chooses one (that of the user's language).
    explicit TLogEncodingChoices(TFBLogEncoding systemLegacy = TFBLogEncoding::Windows1252);

    // The saved state's form: "path<TAB>encoding name" per log, the latest first, and the name of
    // the legacy encoding chosen last (empty for none). Lines and names not understood are dropped.
    void Restore(const QStringList& perLog, const QString& legacy);
    QStringList PerLog() const;
    QString LegacyName() const;

    // The encoding chosen for the log at the path; nothing when its choice is automatic.
    std::optional<TFBLogEncoding> ChosenFor(const QString& path) const;
    // Keeps the choice for the log at the path (nothing: automatic again). A legacy encoding
    // becomes the one the automatic choice falls back on.
    void Choose(const QString& path, std::optional<TFBLogEncoding> encoding);

    // The legacy encoding chosen last, or else the system's.
    TFBLogEncoding Legacy() const noexcept { return FLegacy.value_or(FSystemLegacy); }
    // The encoding to read the scanned log at the path in: the one chosen for it, or the
    // automatic choice for its bytes, as its scan weighed them.
    TFBLogEncoding EncodingOf(const QString& path, const TFBLogParser& parser) const;

private:
    std::vector<std::pair<QString, TFBLogEncoding>> FPerLog;  // the latest first
    std::optional<TFBLogEncoding> FLegacy;
    TFBLogEncoding FSystemLegacy;
};
