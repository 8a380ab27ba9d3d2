#pragma once
// The icon files of Windows (.ico) and macOS (.icns), built from PNG images of the program's
// picture. Both hold the PNG bytes as they are: Windows reads PNG entries since Vista, macOS
// since 10.7.

#include <QByteArray>

#include <vector>

struct PngImage {
    int Size = 0;       // width and height in pixels
    QByteArray Bytes;   // the PNG file
};

// An .ico file holding the images (up to 256 pixels each), in the order given.
QByteArray IcoFile(const std::vector<PngImage>& images);

// An .icns file holding the images of the sizes macOS has a type for (16, 32, 64, 128, 256,
// 512 and 1024 pixels); images of other sizes are left out.
QByteArray IcnsFile(const std::vector<PngImage>& images);
