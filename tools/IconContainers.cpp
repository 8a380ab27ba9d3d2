#include "IconContainers.h"

#include <QtEndian>

#include <map>
#include <stdexcept>
#include <string>

namespace {

void AppendLittle16(QByteArray& out, quint16 value)
{
    const quint16 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), sizeof little);
}

void AppendLittle32(QByteArray& out, quint32 value)
{
    const quint32 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), sizeof little);
}

void AppendBig32(QByteArray& out, quint32 value)
{
    const quint32 big = qToBigEndian(value);
    out.append(reinterpret_cast<const char*>(&big), sizeof big);
}

// The directory entry of one image: its size (0 stands for 256), 32 bits a pixel, and where its
// bytes lie in the file.
void AppendIcoEntry(QByteArray& out, const PngImage& image, quint32 offset)
{
    if (image.Size < 1 || image.Size > 256)
        throw std::invalid_argument("an .ico image is 1 to 256 pixels, not " + std::to_string(image.Size));
    const char side = static_cast<char>(image.Size == 256 ? 0 : image.Size);
    out.append(side).append(side).append('\0').append('\0');
    AppendLittle16(out, 1);    // colour planes
    AppendLittle16(out, 32);   // bits per pixel
    AppendLittle32(out, static_cast<quint32>(image.Bytes.size()));
    AppendLittle32(out, offset);
}

}  // namespace

QByteArray IcoFile(const std::vector<PngImage>& images)
{
    constexpr quint32 kHeaderSize = 6;
    constexpr quint32 kEntrySize = 16;
    QByteArray out;
    AppendLittle16(out, 0);   // reserved
    AppendLittle16(out, 1);   // an icon, not a cursor
    AppendLittle16(out, static_cast<quint16>(images.size()));
    quint32 offset = kHeaderSize + kEntrySize * static_cast<quint32>(images.size());
    for (const PngImage& image : images) {
        AppendIcoEntry(out, image, offset);
        offset += static_cast<quint32>(image.Bytes.size());
    }
    for (const PngImage& image : images)
        out.append(image.Bytes);
    return out;
}

QByteArray IcnsFile(const std::vector<PngImage>& images)
{
    static const std::map<int, const char*> kTypes = {{16, "icp4"},  {32, "icp5"},  {64, "icp6"},  {128, "ic07"},
                                                      {256, "ic08"}, {512, "ic09"}, {1024, "ic10"}};
    QByteArray elements;
    for (const PngImage& image : images) {
        const auto type = kTypes.find(image.Size);
        if (type == kTypes.end())
            continue;
        elements.append(type->second, 4);
        AppendBig32(elements, static_cast<quint32>(8 + image.Bytes.size()));
        elements.append(image.Bytes);
    }
    QByteArray out("icns");
    AppendBig32(out, static_cast<quint32>(8 + elements.size()));
    return out.append(elements);
}
