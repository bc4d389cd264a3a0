#include "profiles/profile_names.h"

#include <algorithm>

#include "profiles/utf_text.h"

namespace vandrel::profiles {
namespace {

std::u16string Number(int n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

bool ContainsName(const std::vector<std::u16string>& names, std::u16string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [name](const std::u16string& other) { return EqualsIgnoringCase(other, name); });
}

std::u16string NextProfileName(const std::vector<std::u16string>& names) {
    for (int n = 1;; ++n) {
        std::u16string name = u"profile";
        name += Number(n);
        if (!ContainsName(names, name)) return name;
    }
}

std::u16string CopyName(std::u16string_view source, const std::vector<std::u16string>& names) {
    std::u16string name(source);
    do {
        name += u" copy";
    } while (ContainsName(names, name));
    return name;
}

std::u16string ImportName(std::u16string_view title, const std::vector<std::u16string>& names) {
    std::u16string name(title);
    for (int k = 1; ContainsName(names, name); ++k) {
        name += u'(';
        name += Number(k);
        name += u')';
    }
    return name;
}

}  // namespace vandrel::profiles
