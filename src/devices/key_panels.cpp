#include "devices/key_panels.h"

#include <algorithm>

#include "keys/key_labels.h"
#include "macros/macro_image.h"
#include "macros/macro_list.h"

namespace vandrel::devices {

namespace kc = key_panel_controls;

KeyPanels::KeyPanels(platform::IPageView& page, int deviceKind, std::string macroFolder,
                     std::vector<std::string> keySetFrames)
    : page_(page),
      keySetFrames_(std::move(keySetFrames)),
      keyPanel_(page, [this](std::string_view id) { return Translate(id); }),
      macroPanel_(page, [this](std::string_view id) { return Translate(id); }) {
    keyPanel_.SetDeviceKind(deviceKind);
    macroPanel_.SetMacroFolder(std::move(macroFolder));
    HideKeyPanel();
}

std::string KeyPanels::Translate(std::string_view id) {
    if (!page_.HasControl(kc::kTranslationLabel)) return std::string(id);
    page_.SetTextId(kc::kTranslationLabel, id);
    return page_.Text(kc::kTranslationLabel);
}

void KeyPanels::ReloadMacros() {
    macroPanel_.LoadMacroList();
    MacroNamesChanged();
}

void KeyPanels::MacroNamesChanged() { keyPanel_.SetMacroNames(macroPanel_.MacroNames()); }

void KeyPanels::ShowKeySetFrames(bool shown) {
    for (const std::string& frame : keySetFrames_) page_.SetVisible(frame, shown);
}

void KeyPanels::ShowKey(const profiles::KeyEntry& entry) {
    ShowKeySetFrames(true);
    keyPanel_.LoadAssignment(entry);
    keyPanel_.EnableButtons(false);
}

void KeyPanels::HideKeyPanel() { ShowKeySetFrames(false); }

void KeyPanels::ShowLabels(std::span<const profiles::KeyEntry> keys, std::span<const profiles::KeyCode> factory,
                           const ButtonOf& buttonOf) {
    const std::vector<std::string> names = macroPanel_.MacroNames();
    const std::vector<keys::KeyButtonLabel> labels =
        keys::BuildKeyLabels(keys, factory, names, [this](std::string_view id) { return Translate(id); });
    std::vector<std::string> lines;
    lines.reserve(labels.size());
    for (const keys::KeyButtonLabel& label : labels) {
        if (const std::string* button = buttonOf(label.position)) {
            page_.SetToolTip(*button, label.tooltipText);
            page_.SetMarked(*button, label.isDefault);
        }
        lines.push_back(label.tooltipTitle.empty() ? label.label : label.tooltipTitle + ": " + label.label);
    }
    if (page_.HasControl(kc::kKeyInfoList)) page_.SetItems(kc::kKeyInfoList, lines);
}

bool RepairKeysOnMacros(KeyPanels* panels, std::vector<profiles::KeyEntry>& keys, std::string_view folder) {
    std::size_t macroCount = 0;
    if (panels != nullptr) {
        panels->ReloadMacros();
        macroCount = panels->MacroPanel().MacroNames().size();
    } else {
        macroCount = macros::ReadMacroList(folder).size();
    }
    return macros::RepairMacroKeys(keys, macroCount);
}

macros::MacroDeletion DeletePanelMacro(KeyPanels* panels, std::span<const std::string> otherProfiles,
                                       const std::vector<profiles::KeyEntry>& keys,
                                       const std::function<bool(std::string_view textId)>& ask) {
    if (panels == nullptr) return {};
    macros::MacroDeletion deletion = macros::DeleteMacroEverywhere(panels->MacroPanel(), otherProfiles, keys, ask);
    if (deletion.deleted >= 0) panels->MacroNamesChanged();
    return deletion;
}

profiles::KeyEntry KeyRecordAt(std::span<const profiles::KeyEntry> keys, std::span<const profiles::KeyCode> factory,
                               int position) {
    const auto it = std::ranges::find(keys, position, [](const profiles::KeyEntry& k) { return int{k.index}; });
    if (it != keys.end()) return *it;
    profiles::KeyEntry entry;
    entry.index = static_cast<std::uint16_t>(std::max(position, 0));
    entry.defaultIndex = entry.index;
    if (position >= 0 && static_cast<std::size_t>(position) < factory.size())
        entry.assignment = entry.defaultAssignment = factory[static_cast<std::size_t>(position)];
    return entry;
}

}  // namespace vandrel::devices
