#include "AsciiCollationKeys.h"

#include <algorithm>

namespace {

QString Text(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TAsciiCollationKeys::TAsciiCollationKeys(const QCollator& collator) : FCollator(collator)
{
    RankCharacters();
    FUsable = OrdersCharacterByCharacter();
}

void TAsciiCollationKeys::RankCharacters()
{
    std::vector<char> characters;
    for (int c = kFirst; c <= kLast; ++c)
        if (FCollator.compare(QString(QChar(c)), QString()) != 0)
            characters.push_back(static_cast<char>(c));
    const auto compare = [&](char a, char b) {
        return FCollator.compare(Text(std::string_view(&a, 1)), Text(std::string_view(&b, 1)));
    };
    std::stable_sort(characters.begin(), characters.end(), [&](char a, char b) { return compare(a, b) < 0; });
    unsigned char rank = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (i == 0 || compare(characters[i - 1], characters[i]) != 0) {
            ++rank;
            FByRank.push_back(characters[i]);
        }
        FRank[static_cast<unsigned char>(characters[i])] = rank;
        FPlainRank[static_cast<unsigned char>(characters[i])] = rank;
    }
}

bool TAsciiCollationKeys::OrdersCharacterByCharacter() const
{
    if (FByRank.size() < 2)
        return false;
    const QString lowest = Text(std::string_view(&FByRank.front(), 1));
    const QString highest = Text(std::string_view(&FByRank.back(), 1));
    // Each character must decide the order before anything that follows it: a character that
    // differs from the next rank only in accent or case would let the rest of the text decide.
    for (std::size_t r = 0; r + 1 < FByRank.size(); ++r)
        if (FCollator.compare(Text(std::string_view(&FByRank[r], 1)) + highest,
                              Text(std::string_view(&FByRank[r + 1], 1)) + lowest) >= 0)
            return false;
    // No two characters may sort as one (a contraction): every pair must stand between the
    // first character followed by the ranks just below and just above the second.
    for (int a = kFirst; a <= kLast; ++a) {
        if (FRank[static_cast<std::size_t>(a)] == 0)
            continue;
        for (int b = kFirst; b <= kLast; ++b) {
            const int rank = FRank[static_cast<std::size_t>(b)];
            if (rank == 0)
                continue;
            const QString pair = QString(QChar(a)) + QChar(b);
            const auto withRank = [&](int r) { return QString(QChar(a)) + QChar(FByRank[static_cast<std::size_t>(r - 1)]); };
            if ((rank > 1 && FCollator.compare(withRank(rank - 1), pair) >= 0) ||
                (rank < static_cast<int>(FByRank.size()) && FCollator.compare(pair, withRank(rank + 1)) >= 0))
                return false;
        }
    }
    return true;
}

bool TAsciiCollationKeys::AppendKey(std::string_view text, std::string& key) const
{
    const std::size_t start = key.size();
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kFirst || byte > kLast) {
            key.resize(start);
            return false;
        }
        if (FRank[byte] != 0)
            key.push_back(static_cast<char>(FRank[byte]));
    }
    return true;
}

bool TAsciiCollationKeys::NextKeyBytes(Cursor& cursor, std::uint64_t& bytes) const
{
    if (cursor.End - cursor.Pos > 8 && NextPlainKeyBytes(cursor, bytes))
        return true;
    bytes = 0;
    int filled = 0;
    const unsigned char blank = FRank[' '];
    while (filled < 8 && cursor.Pos != cursor.End) {
        auto byte = static_cast<unsigned char>(*cursor.Pos++);
        if (byte <= ' ') {
            // A run of blanks and control bytes is one blank; a trimmed text never ends in one.
            while (cursor.Pos != cursor.End && static_cast<unsigned char>(*cursor.Pos) <= ' ')
                ++cursor.Pos;
            byte = ' ';
        }
        if (byte > kLast)
            return false;
        const unsigned char rank = byte == ' ' ? blank : FRank[byte];
        if (rank != 0) {
            bytes |= static_cast<std::uint64_t>(rank) << (8 * (7 - filled));
            ++filled;
        }
    }
    return true;
}

bool TAsciiCollationKeys::NextPlainKeyBytes(Cursor& cursor, std::uint64_t& bytes) const
{
    // Eight bytes that each give a key byte of their own, with no run of blanks among them (the
    // byte after the eighth tells whether a blank there begins one), are most of a log's text:
    // their key is read without a branch per byte.
    const auto* next = reinterpret_cast<const unsigned char*>(cursor.Pos);
    std::uint64_t key = 0;
    bool plain = true;
    for (int i = 0; i < 8; ++i) {
        const unsigned char rank = FPlainRank[next[i]];
        plain &= rank != 0 && !(next[i] == ' ' && next[i + 1] <= ' ');
        key = key << 8 | rank;
    }
    if (!plain)
        return false;
    bytes = key;
    cursor.Pos += 8;
    return true;
}

bool TAsciiCollationKeys::AgreesWith(const std::vector<std::string>& texts) const
{
    std::vector<std::pair<std::string, QString>> keyed;
    for (const std::string& text : texts) {
        std::string key;
        if (!AppendKey(text, key))
            return false;
        keyed.emplace_back(std::move(key), Text(text));
    }
    std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) { return FCollator.compare(a.second, b.second) < 0; });
    for (std::size_t i = 0; i + 1 < keyed.size(); ++i) {
        const int collated = FCollator.compare(keyed[i].second, keyed[i + 1].second);
        const int byKey = keyed[i].first.compare(keyed[i + 1].first);
        if ((collated == 0) != (byKey == 0) || byKey > 0)
            return false;
    }
    return true;
}
