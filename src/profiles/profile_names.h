// The names the profile list gives to new profiles. Names are unique within a
// list ignoring letter case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandrel::profiles {

bool ContainsName(const std::vector<std::u16string>& names, std::u16string_view name);

// "profile1", "profile2", ...: the first that is not taken.
std::u16string NextProfileName(const std::vector<std::u16string>& names);

// "<source> copy", then "<source> copy copy", ... until not taken.
std::u16string CopyName(std::u16string_view source, const std::vector<std::u16string>& names);

// `title`, else title(1), then title(1)(2), ...: the suffixes accumulate.
std::u16string ImportName(std::u16string_view title, const std::vector<std::u16string>& names);

}  // namespace vandrel::profiles
