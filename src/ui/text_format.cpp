#include "ui/text_format.h"

#include <array>
#include <cstddef>

namespace vandrel::ui {
namespace {

// The sequential placeholders, longest first so "%ls" wins over a shorter match.
constexpr std::array<std::string_view, 4> kSequentialPlaceholders = {"%ls", "%s", "%d", "%u"};

bool IsPositionDigit(char c) { return c >= '1' && c <= '9'; }

}  // namespace

std::string FormatText(std::string_view templateText, const std::vector<std::string>& args) {
    std::string result;
    result.reserve(templateText.size());
    std::size_t nextSequential = 0;
    std::size_t pos = 0;
    while (pos < templateText.size()) {
        const std::string_view rest = templateText.substr(pos);
        if (rest.front() != '%') {
            result += rest.front();
            ++pos;
            continue;
        }
        if (rest.starts_with("%%")) {
            result += '%';
            pos += 2;
            continue;
        }
        if (rest.size() >= 2 && IsPositionDigit(rest[1])) {
            const auto index = static_cast<std::size_t>(rest[1] - '1');
            result += index < args.size() ? std::string_view(args[index]) : rest.substr(0, 2);
            pos += 2;
            continue;
        }
        bool matched = false;
        for (const std::string_view placeholder : kSequentialPlaceholders) {
            if (!rest.starts_with(placeholder)) continue;
            if (nextSequential < args.size()) {
                result += args[nextSequential++];
            } else {
                result += placeholder;
            }
            pos += placeholder.size();
            matched = true;
            break;
        }
        if (!matched) {
            result += '%';
            ++pos;
        }
    }
    return result;
}

}  // namespace vandrel::ui
