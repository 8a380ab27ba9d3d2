#pragma once
// How serious a kind of log entry is, and the part of the server that writes it. Both come
// from the directives of the description catalogue.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Ordered from least to most serious, so that "at least" is a comparison.
enum class TFBLogSeverity : std::uint8_t { Unknown, Info, Warning, Error, Critical };

constexpr int kFBLogSeverityCount = 5;

// "unknown", "info", "warning", "error", "critical".
std::string_view SeverityName(TFBLogSeverity severity) noexcept;
// The severity a name stands for, in any letter case; nothing for any other text.
std::optional<TFBLogSeverity> ParseSeverity(std::string_view name) noexcept;

// True for the facility names a catalogue may give, in capitals: SYSTEM, CONFIG, INTL, FILEIO,
// USER, VALIDATION, SWEEP, PLUGIN, GUARDIAN, NET, AUTH.
bool IsKnownFacility(std::string_view name) noexcept;
