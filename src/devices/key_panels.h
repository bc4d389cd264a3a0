// KeyPanels: what a mouse or keyboard page shows of its keys and macros: the
// key-assignment panel, the macro panel, and the key labels on the page's key
// buttons (tooltip and default mark) and in its key list
// "device_setkeyinfo_list". The device that owns it keeps the key list; the
// panels only show it and build records from the page.
//
// Texts are translated the way the page shows them: through its hidden label
// "text_test", so labels follow the language the page speaks.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_set_control.h"
#include "macros/macro_control.h"
#include "macros/macro_deletion.h"
#include "platform/page_view.h"
#include "profiles/profile_records.h"

namespace vandrel::devices {

namespace key_panel_controls {
inline constexpr std::string_view kTranslationLabel = "text_test";
inline constexpr std::string_view kKeyInfoList = "device_setkeyinfo_list";
}  // namespace key_panel_controls

class KeyPanels {
public:
    // The layout name of the key button of a position; null when the page has none.
    using ButtonOf = std::function<const std::string*(std::size_t position)>;

    // `deviceKind`: keys::CKeySetControlUI::kKeyboardKind or kMouseKind.
    // `macroFolder`: the device's user data folder, home of its macro list.
    // `keySetFrames`: the frames holding the key-assignment panel, hidden
    // until a key is chosen. The macro list is read by ReloadMacros.
    KeyPanels(platform::IPageView& page, int deviceKind, std::string macroFolder,
              std::vector<std::string> keySetFrames);

    keys::CKeySetControlUI& KeyPanel() { return keyPanel_; }
    macros::CMacroControlUI& MacroPanel() { return macroPanel_; }

    // The text of a language text id as the page shows it.
    std::string Translate(std::string_view id);

    // The macro list read again, and its names into the key panel's choices.
    void ReloadMacros();
    // The macro names of the list into the key panel's choices.
    void MacroNamesChanged();

    // The key-assignment panel shown with a key's record.
    void ShowKey(const profiles::KeyEntry& entry);
    // The key-assignment panel hidden (no key selected).
    void HideKeyPanel();

    // Each key's label: the tooltip and default mark of its key button, and
    // one line "<key>: <label>" per key in the key list.
    void ShowLabels(std::span<const profiles::KeyEntry> keys, std::span<const profiles::KeyCode> factory,
                    const ButtonOf& buttonOf);

private:
    void ShowKeySetFrames(bool shown);

    platform::IPageView& page_;
    std::vector<std::string> keySetFrames_;
    keys::CKeySetControlUI keyPanel_;
    macros::CMacroControlUI macroPanel_;
};

// After a profile load: the macro list read again (once, by the panels when
// there are any), and keys on a macro the list no longer has run their
// default again. True when a key changed (the caller stores the list in its
// profile and shows its labels).
bool RepairKeysOnMacros(KeyPanels* panels, std::vector<profiles::KeyEntry>& keys, std::string_view folder);

// Deletes the macro the macro panel selects, after `ask` said yes to each
// question, renumbering the keys of `otherProfiles` and of `keys`; the key
// panel's choices follow. Nothing without panels.
macros::MacroDeletion DeletePanelMacro(KeyPanels* panels, std::span<const std::string> otherProfiles,
                                       const std::vector<profiles::KeyEntry>& keys,
                                       const std::function<bool(std::string_view textId)>& ask);

// The record of key `position` in `keys`; the factory record (current and
// default the factory code) when the list has none.
profiles::KeyEntry KeyRecordAt(std::span<const profiles::KeyEntry> keys, std::span<const profiles::KeyCode> factory,
                               int position);

}  // namespace vandrel::devices
