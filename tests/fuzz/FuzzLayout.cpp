// The layout file's reader on any bytes: whatever it accepts holds coordinates that can be
// added and subtracted without overflow.

#include "LayoutStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("KsLogLayout.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    if (const auto placement = TLayoutStore(path, QStringLiteral("fmLogViewer")).Read()) {
        const QRect& r = placement->NormalRect;
        (void)(r.width() + r.height() + r.right() + r.bottom());
        (void)CanRestorePlacement(*placement, 96, [](QPoint p) { return p.x() >= 0 && p.y() >= 0; });
    }
    return 0;
}
