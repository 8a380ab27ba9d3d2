#pragma once
// Sort keys for texts of printable ASCII whose plain byte order is the order a QCollator gives
// them, built without asking the collator once per text.
//
// Where the collator orders ASCII one character at a time (no contractions such as a "ch"
// that sorts as one letter, no accents or case weighed before the letters that follow), the
// order of two such texts is the order of their characters' ranks, read left to right. The
// table of ranks comes from the collator itself, and the object refuses (Usable() false) when
// the collator's ASCII order is not of that kind.

#include <QCollator>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TAsciiCollationKeys {
public:
    explicit TAsciiCollationKeys(const QCollator& collator);

    bool Usable() const { return FUsable; }

    // Appends the key of the text; false (and nothing appended) when the text holds a byte
    // outside printable ASCII.
    bool AppendKey(std::string_view text, std::string& key) const;

    // Reads a key a few bytes at a time, for the text as CollapseBlanks shows it (each inner run
    // of blanks and control bytes counts as one blank), without making that copy. The text
    // must not begin or end in such bytes (a trimmed text).
    struct Cursor {
        const char* Pos = nullptr;
        const char* End = nullptr;
    };
    // The next 8 bytes of the key, big-endian, padded with zero bytes once the text ends (key
    // bytes are never zero). False when the text holds a byte outside printable ASCII.
    bool NextKeyBytes(Cursor& cursor, std::uint64_t& bytes) const;

    // True when the keys order these texts exactly as the collator does.
    bool AgreesWith(const std::vector<std::string>& texts) const;

private:
    static constexpr int kFirst = 32;  // blank
    static constexpr int kLast = 126;  // tilde

    void RankCharacters();
    bool NextPlainKeyBytes(Cursor& cursor, std::uint64_t& bytes) const;
    bool OrdersCharacterByCharacter() const;

    const QCollator& FCollator;
    std::array<unsigned char, kLast + 1> FRank{};  // 0: ignored by the collator
    std::array<unsigned char, 256> FPlainRank{};   // the same for every byte; 0 too outside printable ASCII
    std::vector<char> FByRank;                     // one character of each rank, lowest first
    bool FUsable = false;
};
