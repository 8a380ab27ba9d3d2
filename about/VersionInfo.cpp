#include "VersionInfo.h"

#include "ApplicationInfo.h"
#include "VersionValues.h"

#ifdef _WIN32
#include <QCoreApplication>
#include <windows.h>
#endif

namespace {

// The order in which the values are asked for.
const char* const kValueNames[] = {"VersionInfo", "FileVersion", "ProductName", "Comments", "LegalCopyright"};

#ifdef _WIN32
// The version resource of the executable file, as the system reads it.
std::optional<TVersionBlock> ReadVersionResource(const QString& executable)
{
    const std::wstring path = executable.toStdWString();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0)
        return std::nullopt;
    std::vector<char> data(size);
    if (!GetFileVersionInfoW(path.c_str(), handle, size, data.data()))
        return TVersionBlock{};
    void* table = nullptr;
    UINT length = 0;
    TVersionBlock block;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &table, &length))
        return block;
    const auto* entries = static_cast<const WORD*>(table);
    for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2)
        block.Translations.push_back(entries[i] | (static_cast<std::uint32_t>(entries[i + 1]) << 16));
    for (std::uint32_t translation : block.Translations)
        for (const char* name : kValueNames) {
            const QString key = TranslationKey(translation) + QLatin1Char('\\') + QLatin1String(name);
            const std::wstring query = (QStringLiteral("\\StringFileInfo\\") + key).toStdWString();
            void* value = nullptr;
            if (VerQueryValueW(data.data(), query.c_str(), &value, &length) && length > 0)
                block.Strings[key] = QString::fromWCharArray(static_cast<const wchar_t*>(value)).left(length - 1);
        }
    return block;
}
#endif

}  // namespace

QString TranslationKey(std::uint32_t translation)
{
    const auto hex = [](std::uint32_t value) { return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper(); };
    return hex(translation & 0xFFFF) + hex(translation >> 16);
}

TAboutTexts AboutTextsOf(const std::optional<TVersionBlock>& block)
{
    TAboutTexts texts;
    if (!block || block->Translations.empty())
        return texts;
    const QString key = TranslationKey(block->Translations.front());
    const auto value = [&](const char* name) -> std::optional<QString> {
        const auto found = block->Strings.find(key + QLatin1Char('\\') + QLatin1String(name));
        return found == block->Strings.end() ? std::nullopt : std::optional<QString>(found->second);
    };
    if (const std::optional<QString> fileVersion = value("FileVersion"))
        texts.Version = QStringLiteral("Version ") + *fileVersion + QLatin1Char(' ') + value("VersionInfo").value_or(QString());
    texts.ProductName = value("ProductName").value_or(QString());
    texts.Copyright = value("LegalCopyright").value_or(QString());
    texts.Comments = value("Comments").value_or(QString());
    return texts;
}

std::optional<TVersionBlock> ReadOwnVersionBlock()
{
#ifdef _WIN32
    return ReadVersionResource(QCoreApplication::applicationFilePath());
#else
    TVersionBlock block;
    block.Translations.push_back(KESTRELON_TRANSLATION);
    const QString key = TranslationKey(KESTRELON_TRANSLATION) + QLatin1Char('\\');
    block.Strings[key + QStringLiteral("ProductName")] = QStringLiteral(KESTRELON_PRODUCT_NAME);
    block.Strings[key + QStringLiteral("FileVersion")] = QStringLiteral(KESTRELON_FILE_VERSION);
    block.Strings[key + QStringLiteral("LegalCopyright")] = QStringLiteral(KESTRELON_LEGAL_COPYRIGHT);
    block.Strings[key + QStringLiteral("Comments")] = QStringLiteral(KESTRELON_COMMENTS);
    return block;
#endif
}

TAboutTexts ReadAboutTexts(const std::function<std::optional<TVersionBlock>()>& readBlock)
{
    try {
        return AboutTextsOf(readBlock());
    } catch (...) {
        TAboutTexts texts;
        texts.ProductName = ApplicationTitle();
        texts.Copyright = FallbackCopyright();
        return texts;
    }
}

QString FallbackCopyright()
{
    return QStringLiteral("Copyright (C) 2026 Kestrelon. All rights reserved.");
}
