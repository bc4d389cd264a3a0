// Comparing names without regard to case. Only ASCII letters fold: the names
// compared (device paths, desktop names, control and event names) are ASCII,
// and the result must not depend on the process's locale.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace vandrel::platform {

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// Where `needle` first occurs in `text` without regard to case; npos when it
// does not.
constexpr std::size_t FindIgnoringCase(std::string_view text, std::string_view needle) {
    const auto it = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                                [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
    if (it == text.end() && !needle.empty()) return std::string_view::npos;
    return static_cast<std::size_t>(it - text.begin());
}

}  // namespace vandrel::platform
