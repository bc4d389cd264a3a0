// Filling language texts with values without ever using a text as a printf
// format: a translation is data, and a stray "%s" or "%n" in it must neither
// crash the program nor read memory.
//
// Placeholders are filled by position from arguments the caller has already
// turned into text:
//   "%s", "%d", "%u", "%ls"  take the next unused argument in order;
//   "%1" .. "%9"             take that argument (1-based), in any order;
//   "%%"                     gives "%".
// A placeholder with no argument left, and any other '%' sequence, stays in
// the result exactly as written, so a faulty translation shows its mistake.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandrel::ui {

std::string FormatText(std::string_view templateText, const std::vector<std::string>& args);

}  // namespace vandrel::ui
