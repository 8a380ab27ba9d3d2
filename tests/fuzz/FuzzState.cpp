// The saved state's reader on any bytes in its file: every value comes back as what the viewer
// wrote, as nothing, or as the store's own error, never as undefined behaviour.

#include "StateStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir folder;
    static const bool placed = [] {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
        return QDir(folder.path()).mkpath(QStringLiteral("Kestrelon"));
    }();
    if (!placed)
        std::abort();
    {
        QFile file(folder.filePath(QStringLiteral("Kestrelon/LogViewer.conf")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const TStateStore store;
    const auto attempt = [](auto&& read) {
        try {
            (void)read();
        } catch (const EStateStoreError&) {
        }
    };
    for (const char* name : {"OpenFile", "DateFilter", "DisplayStartDate", "HiddenKinds", "SeverityAtLeast",
                             "SearchHistory", "NotifySeverity", "TimelineVisible"}) {
        const QString key = QString::fromLatin1(name);
        attempt([&] { return store.ReadString(key); });
        attempt([&] { return store.ReadInteger(key); });
        attempt([&] { return store.ReadDateTime(key); });
        attempt([&] { return store.ReadStringList(key); });
    }
    return 0;
}
