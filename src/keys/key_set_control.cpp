#include "keys/key_set_control.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace vandrel::keys {

namespace kc = keyset_controls;

namespace {

constexpr std::uint8_t kDirectionBit = 0x80;
constexpr std::uint8_t kCountBits = 0x7F;
constexpr int kNibbleMaximum = 15;
constexpr int kSwingCountMaximum = 127;
constexpr int kWheelUpMaximum = 127;
// Downward, the wheel stores 128 - count in seven bits: 0 and 128 are both
// stored as 0 and read back as 128.
constexpr int kWheelDownMaximum = 128;
constexpr int kByteMaximum = 255;

// Item texts of the choice lists that have no label list of their own.
constexpr std::array<std::string_view, 2> kSwingDirections{"keyset_swing_left_text", "keyset_swing_right_text"};
constexpr std::array<std::string_view, 2> kWheelDirections{"keyset_wheel_up_text", "keyset_wheel_down_text"};
constexpr std::array<std::string_view, kc::kRepeatMode + 1> kMacroModes{
    "keyset_macro_mode_0_text", "keyset_macro_mode_1_text", "keyset_macro_mode_2_text", "keyset_macro_mode_3_text",
    "keyset_macro_mode_repeat_text"};
constexpr std::array<std::string_view, kc::kGunKeys> kGunKeyItems{"keyset_gunkey_1_text", "keyset_gunkey_2_text",
                                                                  "keyset_gunkey_3_text", "keyset_gunkey_4_text"};
// In the order of ShortcutChoices: Ctrl with O, N, Z, S, C, X, V, F, A, -, =.
constexpr std::array<std::string_view, 11> kShortcutItems{
    "keyset_combokey_open_text",     "keyset_combokey_new_text",    "keyset_combokey_undo_text",
    "keyset_combokey_save_text",     "keyset_combokey_copy_text",   "keyset_combokey_cut_text",
    "keyset_combokey_paste_text",    "keyset_combokey_find_text",   "keyset_combokey_select_all_text",
    "keyset_combokey_zoom_out_text", "keyset_combokey_zoom_in_text"};

std::vector<platform::ItemText> ItemIds(std::span<const std::string_view> ids) {
    std::vector<platform::ItemText> items;
    items.reserve(ids.size());
    for (const std::string_view id : ids) items.push_back(platform::ItemText::Id(std::string(id)));
    return items;
}

std::vector<platform::ItemText> ItemIds(std::span<const KeyLabel> labels) {
    std::vector<platform::ItemText> items;
    items.reserve(labels.size());
    for (const KeyLabel& label : labels) items.push_back(platform::ItemText::Id(std::string(label.name)));
    return items;
}

// A number field's text as a value of 0 .. maximum: leading blanks are
// skipped, the digits that follow are the number, text without one reads 0
// and a number too large for any field reads as the maximum.
int FieldValue(std::string_view text, int maximum) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return 0;
    text.remove_prefix(first);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return text.front() == '-' ? 0 : maximum;
    if (error != std::errc{} || end == text.data()) return 0;
    return static_cast<int>(std::clamp<long long>(value, 0, maximum));
}

std::uint8_t Nibbles(int high, int low) { return static_cast<std::uint8_t>((high & 0x0F) << 4 | (low & 0x0F)); }

std::uint8_t ModifierBit(int option) {
    return option >= 1 && option < kc::kModifierOptions ? static_cast<std::uint8_t>(1u << (option - 1)) : 0;
}

std::string ModifierName(int option) { return std::string(kc::kModifierPrefix) + std::to_string(option); }

int SelectedIndex(const platform::IPageView& page, std::string_view combo, std::size_t count) {
    const int index = page.CurrentIndex(combo);
    return index >= 0 && static_cast<std::size_t>(index) < count ? index : -1;
}

void SelectChoice(platform::IPageView& page, std::string_view combo, std::span<const KeyCode> choices,
                  const KeyCode& code) {
    const auto index = FindChoice(choices, code);
    page.SetCurrentIndex(combo, index ? static_cast<int>(*index) : -1);
}

std::optional<KeyCode> ChosenCode(const platform::IPageView& page, std::string_view combo,
                                  std::span<const KeyCode> choices) {
    const int index = SelectedIndex(page, combo, choices.size());
    if (index < 0) return std::nullopt;
    return choices[static_cast<std::size_t>(index)];
}

}  // namespace

struct CKeySetControlUI::FamilyPage {
    Family family;
    std::string_view textId;  // the function combo's item text
    void (CKeySetControlUI::*show)(const KeyCode&);
    std::optional<KeyCode> (CKeySetControlUI::*build)();
};

std::span<const CKeySetControlUI::FamilyPage> CKeySetControlUI::Pages() {
    using C = CKeySetControlUI;
    static constexpr std::array<FamilyPage, 12> kPages{{
        {Family::Default, "keyset_function_default_text", nullptr, nullptr},
        {Family::MouseButton, "keyset_function_mouse_text", &C::ShowMouseButton, &C::BuildMouseButton},
        {Family::MouseSwing, "keyset_function_swing_text", &C::ShowSwing, &C::BuildSwing},
        {Family::WheelRepeat, "keyset_function_wheel_text", &C::ShowWheel, &C::BuildWheel},
        {Family::Dpi, "keyset_function_dpi_text", &C::ShowDpi, &C::BuildDpi},
        {Family::FireKey, "keyset_function_fire_text", &C::ShowFire, &C::BuildFire},
        {Family::Keyboard, "keyset_function_keyboard_text", &C::ShowKeyboard, &C::BuildKeyboard},
        {Family::Media, "keyset_function_media_text", &C::ShowMedia, &C::BuildMedia},
        {Family::System, "keyset_function_system_text", &C::ShowSystem, &C::BuildSystem},
        {Family::Macro, "keyset_function_macro_text", &C::ShowMacro, &C::BuildMacro},
        {Family::GunKey, "keyset_function_gunkey_text", &C::ShowGunKey, &C::BuildGunKey},
        {Family::ShortcutCombination, "keyset_function_shortcut_text", &C::ShowShortcut, &C::BuildShortcut},
    }};
    return kPages;
}

CKeySetControlUI::CKeySetControlUI(platform::IPageView& page, Translate translate)
    : page_(page), translate_(std::move(translate)) {
    FillChoiceLists();
}

void CKeySetControlUI::FillChoiceLists() {
    std::vector<platform::ItemText> families;
    for (const FamilyPage& row : Pages()) families.push_back(platform::ItemText::Id(std::string(row.textId)));
    page_.SetItemTexts(kc::kFunctionCombo, families);
    page_.SetItemTexts(kc::kMouseButtonCombo, ItemIds(MouseButtonLabels()));
    page_.SetItemTexts(kc::kDpiCombo, ItemIds(DpiLabels()));
    page_.SetItemTexts(kc::kMediaCombo, ItemIds(MediaLabels()));
    page_.SetItemTexts(kc::kSystemCombo, ItemIds(SystemLabels()));
    page_.SetItemTexts(kc::kShortcutCombo, ItemIds(kShortcutItems));
    page_.SetItemTexts(kc::kSwingDirection, ItemIds(kSwingDirections));
    page_.SetItemTexts(kc::kWheelDirection, ItemIds(kWheelDirections));
    page_.SetItemTexts(kc::kMacroModeCombo, ItemIds(kMacroModes));
    page_.SetItemTexts(kc::kGunKeyCombo, ItemIds(kGunKeyItems));
}

void CKeySetControlUI::SetDeviceKind(int kind) {
    kind_ = kind;
    const auto pages = Pages();
    for (std::size_t i = 0; i < pages.size(); ++i)
        page_.SetItemVisible(kc::kFunctionCombo, static_cast<int>(i), Offered(pages[i].family));
}

bool CKeySetControlUI::Offered(Family family) const {
    return kind_ != kKeyboardKind || (family != Family::Dpi && family != Family::GunKey);
}

void CKeySetControlUI::SetMacroNames(const std::vector<std::string>& names) {
    page_.SetItems(kc::kMacroCombo, names);
    page_.SetCurrentIndex(kc::kMacroCombo, -1);
    macroCount_ = names.size();
}

void CKeySetControlUI::LoadAssignment(const profiles::KeyEntry& record) {
    record_ = record;
    ShowCode(record_.assignment);
}

void CKeySetControlUI::ShowDefault() { ShowCode(record_.defaultAssignment); }
void CKeySetControlUI::ShowCurrent() { ShowCode(record_.assignment); }

void CKeySetControlUI::ShowCode(const KeyCode& code) {
    const std::optional<Family> family = FamilyToShow(code, record_.defaultAssignment);
    const int item = family ? FindFamily(*family) : -1;
    if (item < 0) {
        page_.SetVisible(kc::kPanel, false);
        return;
    }
    const FamilyPage& row = Pages()[static_cast<std::size_t>(item)];
    if (row.show != nullptr) (this->*row.show)(code);
    page_.SetVisible(kc::kPanel, true);
    page_.SetCurrentIndex(kc::kFunctionCombo, item);
    page_.SetCurrentPage(kc::kFamilyPages, static_cast<int>(row.family));
}

profiles::KeyEntry CKeySetControlUI::BuildCode() {
    const std::optional<Family> family = SelectedFamily();
    const FamilyPage* row = family ? &Pages()[static_cast<std::size_t>(*family)] : nullptr;
    if (row == nullptr || row->build == nullptr) {
        record_.assignment = record_.defaultAssignment;
    } else if (const std::optional<KeyCode> built = (this->*row->build)()) {
        record_.assignment = *built;
    }
    return record_;
}

void CKeySetControlUI::CheckModifier(int option) {
    for (int n = 0; n < kc::kModifierOptions; ++n) page_.SetSelected(ModifierName(n), n == option);
}

int CKeySetControlUI::CheckedModifier() const {
    for (int n = 0; n < kc::kModifierOptions; ++n)
        if (page_.Selected(ModifierName(n))) return n;
    return -1;
}

void CKeySetControlUI::EnableButtons(bool enabled) {
    page_.SetEnabled(kc::kSaveButton, enabled);
    page_.SetEnabled(kc::kCancelButton, enabled);
    page_.SetEnabled(kc::kWriteButton, enabled);
}

int CKeySetControlUI::FindFamily(Family family) const {
    if (!Offered(family)) return -1;
    const auto pages = Pages();
    const auto found = std::ranges::find(pages, family, &FamilyPage::family);
    return found == pages.end() ? -1 : static_cast<int>(found - pages.begin());
}

std::optional<Family> CKeySetControlUI::SelectedFamily() const {
    const int index = SelectedIndex(page_, kc::kFunctionCombo, Pages().size());
    if (index < 0) return std::nullopt;
    const Family family = Pages()[static_cast<std::size_t>(index)].family;
    if (!Offered(family)) return std::nullopt;
    return family;
}

bool CKeySetControlUI::Capture(std::uint8_t virtualKey, bool extended) {
    // 0 and 0xFF stand for keys no hook reports.
    if (virtualKey == 0 || virtualKey == 0xFF) return false;
    if (SelectedFamily() != Family::Keyboard) return false;
    const std::optional<std::size_t> index = FindByVirtualKey(virtualKey, extended);
    if (!index) return false;
    const CatalogueKey& key = KeyCatalogue()[*index];
    if (key.code.type != type::kKeyboard) return false;
    if (*index < kModifierEntries) {
        const int option = ModifierOption(*index);
        CheckModifier(option);
        ShowKey(std::nullopt);
        record_.assignment = {type::kKeyboard, ModifierBit(option), 0};
        return true;
    }
    int option = CheckedModifier();
    if (option < 0) {
        option = 0;
        CheckModifier(option);
    }
    ShowKey(*index);
    record_.assignment = {type::kKeyboard, ModifierBit(option), key.code.code2};
    return true;
}

void CKeySetControlUI::OnFunctionChosen() {
    const std::optional<Family> family = SelectedFamily();
    if (!family) return;
    page_.SetCurrentPage(kc::kFamilyPages, static_cast<int>(*family));
    if (*family == Family::Keyboard) {
        ShowKey(std::nullopt);
        CheckModifier(-1);
    }
}

void CKeySetControlUI::OnModeChosen() {
    page_.SetVisible(kc::kMacroRepeatLayout, page_.CurrentIndex(kc::kMacroModeCombo) == kc::kRepeatMode);
}

bool CKeySetControlUI::OnModifierClicked(int option) {
    if (option < 0 || option >= kc::kModifierOptions) return false;
    CheckModifier(option);
    return true;
}

bool CKeySetControlUI::OnEditFinished(std::string_view control) {
    const int maximum = FieldMaximum(control);
    if (maximum < 0) return false;
    ReadField(control, maximum);
    return true;
}

void CKeySetControlUI::OnDefaultClicked() {
    ShowDefault();
    EnableButtons(true);
}

void CKeySetControlUI::OnCancelClicked() {
    ShowCurrent();
    EnableButtons(false);
}

// The largest value a number field holds; -1 for a control that is none.
int CKeySetControlUI::FieldMaximum(std::string_view edit) const {
    struct Field {
        std::string_view name;
        int maximum;
    };
    static constexpr std::array kFields = std::to_array<Field>({
        {kc::kSwingDelay, kNibbleMaximum},
        {kc::kSwingSpeed, kNibbleMaximum},
        {kc::kSwingCount, kSwingCountMaximum},
        {kc::kWheelDelay, kNibbleMaximum},
        {kc::kWheelSpeed, kNibbleMaximum},
        {kc::kFireInterval, kByteMaximum},
        {kc::kFireCount, kByteMaximum},
        {kc::kMacroRepeatEdit, kByteMaximum},
    });
    if (edit == kc::kWheelCount)
        return page_.CurrentIndex(kc::kWheelDirection) == 1 ? kWheelDownMaximum : kWheelUpMaximum;
    const auto found = std::ranges::find(kFields, edit, &Field::name);
    return found == kFields.end() ? -1 : found->maximum;
}

int CKeySetControlUI::ReadField(std::string_view edit, int maximum) {
    const std::string text = page_.Text(edit);
    const int value = FieldValue(text, maximum);
    if (text != std::to_string(value)) page_.SetText(edit, std::to_string(value));
    return value;
}

void CKeySetControlUI::ShowNumber(std::string_view edit, int value) { page_.SetText(edit, std::to_string(value)); }

void CKeySetControlUI::ShowKey(std::optional<std::size_t> catalogueIndex) {
    if (!catalogueIndex) {
        page_.SetText(kc::kKeyEdit, "");
        shownKey_ = 0;
        return;
    }
    const CatalogueKey& key = KeyCatalogue()[*catalogueIndex];
    page_.SetText(kc::kKeyEdit, translate_(key.name));
    shownKey_ = key.code.code2;
}

void CKeySetControlUI::ShowMouseButton(const KeyCode& code) {
    SelectChoice(page_, kc::kMouseButtonCombo, MouseButtonChoices(), code);
}

void CKeySetControlUI::ShowSwing(const KeyCode& code) {
    ShowNumber(kc::kSwingDelay, code.code1 >> 4);
    ShowNumber(kc::kSwingSpeed, code.code1 & 0x0F);
    ShowNumber(kc::kSwingCount, code.code2 & kCountBits);
    page_.SetCurrentIndex(kc::kSwingDirection, (code.code2 & kDirectionBit) ? 1 : 0);
}

void CKeySetControlUI::ShowWheel(const KeyCode& code) {
    const bool down = (code.code2 & kDirectionBit) != 0;
    const int bits = code.code2 & kCountBits;
    ShowNumber(kc::kWheelDelay, code.code1 >> 4);
    ShowNumber(kc::kWheelSpeed, code.code1 & 0x0F);
    ShowNumber(kc::kWheelCount, down ? kWheelDownMaximum - bits : bits);
    page_.SetCurrentIndex(kc::kWheelDirection, down ? 1 : 0);
}

void CKeySetControlUI::ShowDpi(const KeyCode& code) { SelectChoice(page_, kc::kDpiCombo, DpiChoices(), code); }

void CKeySetControlUI::ShowFire(const KeyCode& code) {
    ShowNumber(kc::kFireInterval, code.code1);
    ShowNumber(kc::kFireCount, code.code2);
}

// Modifier byte 0: a key alone, or nothing when the usage is unknown. One
// modifier bit, left or right: its option, with the key of the usage. More
// than one bit has no option of its own and shows as option 0.
void CKeySetControlUI::ShowKeyboard(const KeyCode& code) {
    const std::optional<std::size_t> key = FindByCode({type::kKeyboard, 0, code.code2});
    if (code.code1 == 0) {
        CheckModifier(key ? 0 : -1);
        ShowKey(key);
        return;
    }
    int option = 0;
    const auto catalogue = KeyCatalogue();
    for (std::size_t n = 0; n < kModifierEntries; ++n) {
        if (catalogue[n].code.code1 == code.code1 && catalogue[n].code.code2 == 0) {
            option = ModifierOption(n);
            break;
        }
    }
    CheckModifier(option);
    ShowKey(key);
}

void CKeySetControlUI::ShowMedia(const KeyCode& code) { SelectChoice(page_, kc::kMediaCombo, MediaChoices(), code); }

void CKeySetControlUI::ShowSystem(const KeyCode& code) { SelectChoice(page_, kc::kSystemCombo, SystemChoices(), code); }

// A macro the list does not have shows no selection. A mode beyond the
// playback modes shows none either, so that saving keeps the code.
void CKeySetControlUI::ShowMacro(const KeyCode& code) {
    const bool known = code.code1 < macroCount_;
    const bool repeated = code.type == type::kMacroRepeated;
    page_.SetCurrentIndex(kc::kMacroCombo, known ? code.code1 : -1);
    if (repeated) {
        page_.SetCurrentIndex(kc::kMacroModeCombo, known ? kc::kRepeatMode : -1);
        ShowNumber(kc::kMacroRepeatEdit, code.code2);
    } else {
        page_.SetCurrentIndex(kc::kMacroModeCombo, known && code.code2 < kc::kRepeatMode ? code.code2 : -1);
    }
    page_.SetVisible(kc::kMacroRepeatLayout, known && repeated);
}

void CKeySetControlUI::ShowGunKey(const KeyCode& code) {
    page_.SetCurrentIndex(kc::kGunKeyCombo, code.code1 < kc::kGunKeys ? code.code1 : -1);
}

void CKeySetControlUI::ShowShortcut(const KeyCode& code) {
    if (code.type == type::kKeyboard) {
        SelectChoice(page_, kc::kShortcutCombo, ShortcutChoices(), code);
    } else {
        page_.SetCurrentIndex(kc::kShortcutCombo, -1);
    }
}

std::optional<KeyCode> CKeySetControlUI::BuildMouseButton() {
    return ChosenCode(page_, kc::kMouseButtonCombo, MouseButtonChoices());
}

std::optional<KeyCode> CKeySetControlUI::BuildSwing() {
    const int delay = ReadField(kc::kSwingDelay, kNibbleMaximum);
    const int speed = ReadField(kc::kSwingSpeed, kNibbleMaximum);
    const int count = ReadField(kc::kSwingCount, kSwingCountMaximum);
    const bool right = page_.CurrentIndex(kc::kSwingDirection) == 1;
    return KeyCode{type::kMouseSwing, Nibbles(delay, speed),
                   static_cast<std::uint8_t>(count | (right ? kDirectionBit : 0))};
}

std::optional<KeyCode> CKeySetControlUI::BuildWheel() {
    const int delay = ReadField(kc::kWheelDelay, kNibbleMaximum);
    const int speed = ReadField(kc::kWheelSpeed, kNibbleMaximum);
    const bool down = page_.CurrentIndex(kc::kWheelDirection) == 1;
    const int count = ReadField(kc::kWheelCount, down ? kWheelDownMaximum : kWheelUpMaximum);
    const int code2 = down ? (kDirectionBit | ((kWheelDownMaximum - count) & kCountBits)) : count;
    return KeyCode{type::kWheelRepeat, Nibbles(delay, speed), static_cast<std::uint8_t>(code2)};
}

std::optional<KeyCode> CKeySetControlUI::BuildDpi() { return ChosenCode(page_, kc::kDpiCombo, DpiChoices()); }

std::optional<KeyCode> CKeySetControlUI::BuildFire() {
    const int interval = ReadField(kc::kFireInterval, kByteMaximum);
    const int count = ReadField(kc::kFireCount, kByteMaximum);
    return KeyCode{type::kFireKey, static_cast<std::uint8_t>(interval), static_cast<std::uint8_t>(count)};
}

std::optional<KeyCode> CKeySetControlUI::BuildKeyboard() {
    const std::uint8_t usage = page_.Text(kc::kKeyEdit).empty() ? 0 : shownKey_;
    return KeyCode{type::kKeyboard, ModifierBit(CheckedModifier()), usage};
}

std::optional<KeyCode> CKeySetControlUI::BuildMedia() { return ChosenCode(page_, kc::kMediaCombo, MediaChoices()); }

std::optional<KeyCode> CKeySetControlUI::BuildSystem() { return ChosenCode(page_, kc::kSystemCombo, SystemChoices()); }

std::optional<KeyCode> CKeySetControlUI::BuildMacro() {
    const int macro = SelectedIndex(page_, kc::kMacroCombo, macroCount_);
    const int mode = SelectedIndex(page_, kc::kMacroModeCombo, kMacroModes.size());
    if (macro < 0 || mode < 0) return std::nullopt;
    const auto number = static_cast<std::uint8_t>(macro);
    if (mode == kc::kRepeatMode)
        return KeyCode{type::kMacroRepeated, number,
                       static_cast<std::uint8_t>(ReadField(kc::kMacroRepeatEdit, kByteMaximum))};
    return KeyCode{type::kMacro, number, static_cast<std::uint8_t>(mode)};
}

std::optional<KeyCode> CKeySetControlUI::BuildGunKey() {
    const int gun = SelectedIndex(page_, kc::kGunKeyCombo, kc::kGunKeys);
    if (gun < 0) return std::nullopt;
    return KeyCode{type::kGunKey, static_cast<std::uint8_t>(gun), 0};
}

std::optional<KeyCode> CKeySetControlUI::BuildShortcut() {
    return ChosenCode(page_, kc::kShortcutCombo, ShortcutChoices());
}

}  // namespace vandrel::keys
