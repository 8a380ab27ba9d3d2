#pragma once
// Every entry of a log classified by the description catalogue: its kind is the catalogue row
// that describes it, found for all entries in one multi-pattern pass on all cores.

#include "uFBLogDescriptor.h"
#include "uFBLogParser.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

// 0 for an entry that no row describes, otherwise the row's index plus one. Two bytes an entry:
// a catalogue's rows past the 65535th never become kinds.
using FBLogKind = std::uint16_t;
using FBLogKinds = TLargeVector<FBLogKind>;
constexpr FBLogKind kUnknownKind = 0;
constexpr std::size_t kMaxKinds = 65536;

// The kind of one entry text: the row FindDescription would take its answer from.
FBLogKind KindOfText(const TFBLogDescriptor& catalogue, std::string_view text) noexcept;
// KindOfText of each text into kinds (as many as texts); faster over many texts.
void KindsOfTexts(const TFBLogDescriptor& catalogue, std::span<const std::string_view> texts, std::span<FBLogKind> kinds);

// The kinds of all entries of the index, in its order. Spreads the work over the machine's
// cores; stops early (leaving the rest unknown) when cancel becomes true.
FBLogKinds ClassifyEntries(const TFBLogParser& parser, const FBLogsMsgs& msgs, const TFBLogDescriptor& catalogue,
                           const std::atomic<bool>* cancel = nullptr);

// The catalogue row of a kind; nullptr for the unknown kind or a kind the catalogue lacks.
const TFBLogDescription* RowOfKind(const TFBLogDescriptor& catalogue, FBLogKind kind) noexcept;
TFBLogSeverity SeverityOfKind(const TFBLogDescriptor& catalogue, FBLogKind kind) noexcept;
