// The number a user typed into an edit: decimal digits with spaces around
// them; anything else reads as 0.
#pragma once

#include <charconv>
#include <string_view>
#include <system_error>

namespace vandrel::platform {

inline int NumberFromText(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return 0;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return 0;
    return value;
}

}  // namespace vandrel::platform
