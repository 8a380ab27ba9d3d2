#pragma once
// The version information the program carries, read the way the About dialog shows it: the
// string values of the first translation in the block's translation table.

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

// A version block: its translation table and its string values.
struct TVersionBlock {
    // Each entry: language identifier in the low 16 bits, code page in the high 16 bits.
    std::vector<std::uint32_t> Translations;
    // Keyed by translation key and value name, e.g. "040904E4\\ProductName".
    std::map<QString, QString> Strings;
};

// The four texts of the About dialog.
struct TAboutTexts {
    QString ProductName;
    QString Version;  // "Version " + FileVersion + " " + VersionInfo; empty without FileVersion
    QString Copyright;
    QString Comments;
};

// "040904E4" for language 0x0409 and code page 0x04E4: 8 upper-case hexadecimal digits.
QString TranslationKey(std::uint32_t translation);

// The texts a block gives; all empty when there is no block or no translation.
TAboutTexts AboutTextsOf(const std::optional<TVersionBlock>& block);

// The running program's own block: its version resource on Windows, the values compiled into
// it elsewhere.
std::optional<TVersionBlock> ReadOwnVersionBlock();

// The texts of the program's own block. Should reading fail, the product name falls back to
// the application's title and the copyright to a fixed notice.
TAboutTexts ReadAboutTexts(const std::function<std::optional<TVersionBlock>()>& readBlock = ReadOwnVersionBlock);

// The maker's copyright notice used when the version information cannot be read.
QString FallbackCopyright();
