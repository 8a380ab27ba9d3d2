#include "FBLogSeverity.h"

#include "FBLogText.h"

#include <array>

namespace {

constexpr std::array<std::string_view, kFBLogSeverityCount> kSeverityNames = {
    "unknown", "info", "warning", "error", "critical"};

constexpr std::array<std::string_view, 11> kFacilities = {
    "SYSTEM", "CONFIG", "INTL", "FILEIO", "USER", "VALIDATION", "SWEEP", "PLUGIN", "GUARDIAN", "NET", "AUTH"};

}  // namespace

std::string_view SeverityName(TFBLogSeverity severity) noexcept
{
    const auto index = static_cast<std::size_t>(severity);
    return index < kSeverityNames.size() ? kSeverityNames[index] : kSeverityNames[0];
}

std::optional<TFBLogSeverity> ParseSeverity(std::string_view name) noexcept
{
    for (std::size_t i = 0; i < kSeverityNames.size(); ++i)
        if (EqualsNoCase(kSeverityNames[i], name))
            return static_cast<TFBLogSeverity>(i);
    return std::nullopt;
}

bool IsKnownFacility(std::string_view name) noexcept
{
    for (std::string_view facility : kFacilities)
        if (facility == name)
            return true;
    return false;
}
