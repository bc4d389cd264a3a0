#include "platform/device_path.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdio>

#include "platform/text_compare.h"

namespace vandrel::platform {
namespace {

constexpr std::size_t kMostDigits = 8;

}  // namespace

std::optional<std::uint32_t> PathNumberAfter(std::string_view path, std::string_view marker) {
    const std::size_t at = FindIgnoringCase(path, marker);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view rest = path.substr(at + marker.size());
    const std::string_view digits = rest.substr(0, std::min(rest.size(), kMostDigits));
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc() || end == digits.data()) return 0;
    return value;
}

PathNumbers ReadPathNumbers(std::string_view path) {
    return {PathNumberAfter(path, kVendorMarker), PathNumberAfter(path, kProductMarker),
            PathNumberAfter(path, kInterfaceMarker), PathNumberAfter(path, kCollectionMarker)};
}

std::string FormatPathNumbers(const PathNumbers& numbers) {
    // Wide enough for four 8-digit numbers and their markers.
    std::array<char, 64> text{};
    std::size_t used = 0;
    const auto append = [&](int written) {
        if (written > 0) used = std::min(text.size() - 1, used + static_cast<std::size_t>(written));
    };
    append(std::snprintf(text.data(), text.size(), "?vid_%04x&pid_%04x", numbers.vendorId.value_or(0),
                         numbers.productId.value_or(0)));
    if (numbers.interfaceNumber)
        append(std::snprintf(text.data() + used, text.size() - used, "&mi_%02x", *numbers.interfaceNumber));
    if (numbers.collection)
        append(std::snprintf(text.data() + used, text.size() - used, "&col%02x", *numbers.collection));
    return text.data();
}

}  // namespace vandrel::platform
