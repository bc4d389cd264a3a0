#include "devices/capabilities.h"

#include <array>

namespace vandrel::devices {

std::string_view CapabilityName(CapabilityKind kind) {
    static constexpr std::array<std::string_view, kCapabilityKindCount> kNames{
        "lighting", "key map", "power", "DPI stages", "system settings", "audio", "profiles", "key colours",
    };
    const auto index = static_cast<std::size_t>(kind);
    return index < kNames.size() ? kNames[index] : "capability";
}

}  // namespace vandrel::devices
