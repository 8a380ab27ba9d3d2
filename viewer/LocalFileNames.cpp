#include "LocalFileNames.h"

#include "FBLogEncoding.h"

#include <QCoreApplication>
#include <QFile>

namespace {

constexpr char16_t kFirstKeptByte = 0xDC80;  // stands for the byte 0x80; U+DCFF for 0xFF
constexpr char16_t kLastKeptByte = 0xDCFF;

bool IsKeptByte(QChar c)
{
    return c.unicode() >= kFirstKeptByte && c.unicode() <= kLastKeptByte;
}

}  // namespace

QString DecodeLocalFileName(const QByteArray& name)
{
#ifdef Q_OS_WIN
    return QString::fromUtf8(name);
#else
    const std::string_view bytes(name.constData(), static_cast<std::size_t>(name.size()));
    QString decoded;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0)
            decoded += QChar(static_cast<char16_t>(kFirstKeptByte + static_cast<unsigned char>(bytes[at]) - 0x80));
        else
            decoded += QString::fromUtf8(bytes.data() + at, static_cast<qsizetype>(length));
        at += std::max<std::size_t>(length, 1);
    }
    return decoded;
#endif
}

std::string LocalPath(const QString& name)
{
#ifdef Q_OS_WIN
    // The readers on Windows take UTF-8 and widen it.
    return name.toStdString();
#else
    std::string bytes;
    qsizetype done = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsKeptByte(name[i]))
            continue;
        bytes += QFile::encodeName(name.mid(done, i - done)).toStdString();
        if (i < name.size())
            bytes += static_cast<char>(name[i].unicode() - kFirstKeptByte + 0x80);
        done = i + 1;
    }
    return bytes;
#endif
}

QString DisplayFileName(const QString& name)
{
    QString shown = name;
    for (QChar& c : shown)
        if (IsKeptByte(c))
            c = QChar::ReplacementCharacter;
    return shown;
}

QStringList LocalArguments(int argc, const char* const* argv)
{
#ifdef Q_OS_WIN
    // Windows hands the arguments over as UTF-16; argv is a lossy 8-bit copy.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return QCoreApplication::arguments();
#else
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << DecodeLocalFileName(QByteArray(argv[i]));
    return arguments;
#endif
}
