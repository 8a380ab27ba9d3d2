// Writes the program's picture as the icons each desktop installs:
//   kslog-icons FOLDER      FOLDER/hicolor/<N>x<N>/apps/kslogviewer.png and
//                           FOLDER/hicolor/scalable/apps/kslogviewer.svg (Linux desktops)
//   kslog-icons --ico FILE  the icon of the Windows executable
//   kslog-icons --icns FILE the icon of the macOS application bundle
// The .ico and .icns files are kept in the sources (packaging/), since a build for those
// systems may be a cross build that cannot run this tool; a test compares them with its output.

#include "IconContainers.h"
#include "ProgramPicture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>
#include <cstring>

namespace {

bool WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
           file.flush();
}

PngImage PngOfSize(int size)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ProgramPicture(size).save(&buffer, "PNG");
    return {size, bytes};
}

std::vector<PngImage> PngsOfSizes(std::initializer_list<int> sizes)
{
    std::vector<PngImage> images;
    for (int size : sizes)
        images.push_back(PngOfSize(size));
    return images;
}

bool WriteSvg(const QString& name)
{
    QSvgGenerator svg;
    svg.setFileName(name);
    svg.setSize(QSize(kProgramPictureGrid, kProgramPictureGrid));
    svg.setViewBox(QRect(0, 0, kProgramPictureGrid, kProgramPictureGrid));
    svg.setTitle(QStringLiteral("Kestrelon Log Viewer"));
    svg.setDescription(QStringLiteral("A database with its log sheet"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    PaintProgramPicture(painter);
    return painter.end();
}

bool WriteDesktopIcons(const QDir& root)
{
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = root.filePath(QStringLiteral("hicolor/%1x%1/apps").arg(size));
        if (!QDir().mkpath(folder) || !WriteFile(QDir(folder).filePath(QStringLiteral("kslogviewer.png")),
                                                 PngOfSize(size).Bytes))
            return false;
    }
    const QString scalable = root.filePath(QStringLiteral("hicolor/scalable/apps"));
    return QDir().mkpath(scalable) && WriteSvg(QDir(scalable).filePath(QStringLiteral("kslogviewer.svg")));
}

}  // namespace

int main(int argc, char** argv)
{
    const bool container = argc == 3 && (!std::strcmp(argv[1], "--ico") || !std::strcmp(argv[1], "--icns"));
    if (argc != 2 && !container) {
        std::fprintf(stderr, "usage: kslog-icons FOLDER | --ico FILE | --icns FILE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString target = QString::fromLocal8Bit(argv[argc - 1]);
    bool written = false;
    if (!container)
        written = WriteDesktopIcons(QDir(target));
    else if (!std::strcmp(argv[1], "--ico"))
        written = WriteFile(target, IcoFile(PngsOfSizes({16, 24, 32, 48, 64, 256})));
    else
        written = WriteFile(target, IcnsFile(PngsOfSizes({16, 32, 64, 128, 256, 512, 1024})));
    if (!written) {
        std::fprintf(stderr, "kslog-icons: cannot write %s\n", argv[argc - 1]);
        return 1;
    }
    return 0;
}
