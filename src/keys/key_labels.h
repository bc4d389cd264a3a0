// Key labels: the readable name of the function a key carries, as the key
// buttons of a device page show it, and the tooltips and default marks that
// go with them. Name keys are turned into text by a translate function, so
// the labels follow the language without a widget.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_catalogue.h"

namespace vandrel::keys {

// The text of a language text id in the current language.
using Translate = std::function<std::string(std::string_view id)>;

// The label of a code. Keyboard codes not in the catalogue list the names of
// their parts joined by "+"; a macro code names its macro, and is empty when
// the macro list has no macro of that number; a code of no known function
// reads as the text of "close_text".
std::string KeyLabelText(const KeyCode& code, std::span<const std::string> macroNames, const Translate& translate);

// What the key button of one position shows.
struct KeyButtonLabel {
    std::uint16_t position = 0;
    std::string label;
    std::string tooltipTitle;  // the name of the position's factory function
    std::string tooltipText;   // title, the text of "Key_Set", label
    bool isDefault = false;    // the key still does what it did from the factory

    bool operator==(const KeyButtonLabel&) const = default;
};

// One label per key, in list order. `factoryCodes` holds the factory function
// of every position; its name is the catalogue's, or the label of the factory
// code where the catalogue has no such entry (mouse buttons). A position
// beyond the factory table has an empty title and is never marked default.
std::vector<KeyButtonLabel> BuildKeyLabels(std::span<const profiles::KeyEntry> keys,
                                           std::span<const KeyCode> factoryCodes,
                                           std::span<const std::string> macroNames, const Translate& translate);

}  // namespace vandrel::keys
