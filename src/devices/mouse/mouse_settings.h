// The rules of the mouse's own settings, apart from any page or device:
// which DPI stage changes are allowed, and the system settings packed into
// the profile's three words.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "profiles/mouse_profile_data.h"
#include "profiles/profile_records.h"

namespace vandrel::devices::mouse {

inline constexpr int kStageCount = static_cast<int>(profiles::CMouseProfiledata::kDpiStageCount);
inline constexpr int kReportRateCount = 5;

// --- DPI stages ---------------------------------------------------------------

int EnabledStageCount(std::span<const profiles::DpiStage> stages);
bool StageEnabled(std::span<const profiles::DpiStage> stages, int stage);
// At least one stage stays on: the last enabled stage cannot be switched off.
bool CanDisableStage(std::span<const profiles::DpiStage> stages, int stage);
// The first enabled stage after `stage`, going round; nothing when none is.
std::optional<int> NextEnabledStage(std::span<const profiles::DpiStage> stages, int stage);

// --- System settings ("SystemStages", "ReportStages") ---------------------------

struct MouseSystemSettings {
    std::uint16_t doubleClickTime = 0;
    std::uint16_t pointerSpeed = 0;
    std::uint16_t pointerPrecision = 0;
    std::uint16_t scrollPage = 0;
    std::uint16_t wheelLines = 0;
    std::uint16_t reportRate = 0;  // option 0..4

    bool operator==(const MouseSystemSettings&) const = default;
};

MouseSystemSettings SystemFromWords(const profiles::SystemWords& words);
profiles::SystemWords ToWords(const MouseSystemSettings& settings);

// A control value as a 16-bit half of a system word: negative values give 0,
// values above 65535 give 65535, so a value never spills into its neighbour.
std::uint16_t SystemValue(int value);

// The option shown for a stored report rate: values outside 0..4 show 0.
int ReportRateOption(int reportRate);

}  // namespace vandrel::devices::mouse
