// CKeySetControlUI: the logic of the key-assignment panel of a keyboard or
// mouse page. It shows one key's assignment record (current and factory
// function) in the panel's controls, one page per function family, and
// builds the record back from them. It works on the page through the
// page-view seam, so it runs without a display; what happens to a built
// record (key list, profile, device) is the caller's.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_functions.h"
#include "keys/key_labels.h"
#include "platform/page_view.h"
#include "profiles/profile_records.h"

namespace vandrel::keys {

namespace keyset_controls {
inline constexpr std::string_view kPanel = "keyset_layout";
inline constexpr std::string_view kFunctionCombo = "keyset_function_combo";
inline constexpr std::string_view kFamilyPages = "function_switch_tablayout";
inline constexpr std::string_view kDefaultButton = "key_butt_keydefalut";
inline constexpr std::string_view kSaveButton = "key_butt_keysave";
inline constexpr std::string_view kCancelButton = "key_butt_keycancel";
inline constexpr std::string_view kWriteButton = "key_butt_prosave";
inline constexpr std::string_view kMouseButtonCombo = "keyset_mousekey_combo";
inline constexpr std::string_view kSwingDirection = "keyset_mouseswing_combo";
inline constexpr std::string_view kSwingCount = "keyset_mouseswing_num_edit";
inline constexpr std::string_view kSwingDelay = "keyset_mouseswing_delay_edit";
inline constexpr std::string_view kSwingSpeed = "keyset_mouseswing_speed_edit";
inline constexpr std::string_view kWheelDirection = "keyset_mousewheel_combo";
inline constexpr std::string_view kWheelCount = "keyset_mousewheel_num_edit";
inline constexpr std::string_view kWheelDelay = "keyset_mousewheel_delay_edit";
inline constexpr std::string_view kWheelSpeed = "keyset_mousewheel_speed_edit";
inline constexpr std::string_view kDpiCombo = "keyset_mousedpi_combo";
inline constexpr std::string_view kFireInterval = "keyset_mousefire_interval_edit";
inline constexpr std::string_view kFireCount = "keyset_mousefire_num_edit";
inline constexpr std::string_view kKeyEdit = "keyset_keyboard_text_edit";
inline constexpr std::string_view kMediaCombo = "keyset_media_combo";
inline constexpr std::string_view kSystemCombo = "keyset_system_combo";
inline constexpr std::string_view kMacroCombo = "keyset_macro_combo";
inline constexpr std::string_view kMacroModeCombo = "keyset_macro_over_combo";
inline constexpr std::string_view kMacroRepeatLayout = "keyset_macro_cycle_layout";
inline constexpr std::string_view kMacroRepeatEdit = "keyset_macro_cycle_edit";
inline constexpr std::string_view kGunKeyCombo = "keyset_gunkey_combo";
inline constexpr std::string_view kShortcutCombo = "keyset_combokey_combo";
// Modifier options: prefix + 0 (none), 1 Ctrl, 2 Shift, 3 Alt, 4 Win.
inline constexpr std::string_view kModifierPrefix = "key_ComBox_check_";
inline constexpr int kModifierOptions = 5;
// Item of the macro mode combo that repeats a macro a number of times; the
// items before it are the playback modes 0 .. 3.
inline constexpr int kRepeatMode = 4;
// Items of the gun-key combo: one per recoil pattern of the mouse.
inline constexpr int kGunKeys = 4;
}  // namespace keyset_controls

class CKeySetControlUI {
public:
    static constexpr int kKeyboardKind = 1;
    static constexpr int kMouseKind = 2;

    // Fills the panel's choice lists with their language texts; item i of
    // the function combo is family i.
    CKeySetControlUI(platform::IPageView& page, Translate translate);

    // A keyboard (1) offers neither the DPI nor the gun-key family.
    void SetDeviceKind(int kind);
    int DeviceKind() const { return kind_; }
    // Fills the macro combo, nothing selected.
    void SetMacroNames(const std::vector<std::string>& names);

    // Keeps the record and shows its current function.
    void LoadAssignment(const profiles::KeyEntry& record);
    void ShowDefault();
    void ShowCurrent();
    // Shows a code in its family's page; the key's default code shows as the
    // default family. A code of a family the panel does not offer hides the
    // panel.
    void ShowCode(const KeyCode& code);
    // The record with its current function built from the controls. Number
    // fields are clamped to what their byte can hold, and show the value
    // taken. A page with no usable selection keeps the current function.
    profiles::KeyEntry BuildCode();

    // Checks option n alone (-1 clears all); the first checked option or -1.
    void CheckModifier(int option);
    int CheckedModifier() const;
    // Save, cancel and write together.
    void EnableButtons(bool enabled);
    // The function-combo item of a family, -1 when the panel does not offer it.
    int FindFamily(Family family) const;
    // The family of the selected function-combo item.
    std::optional<Family> SelectedFamily() const;

    // A key press from the keyboard hook while the keyboard family is chosen:
    // a modifier checks its option, any other key becomes the key, with the
    // checked modifier. True when the assignment is to be applied.
    bool Capture(std::uint8_t virtualKey, bool extended);

    // Reactions to the panel's own controls.
    void OnFunctionChosen();  // a function-combo item: its page; the keyboard page starts empty
    void OnModeChosen();      // a macro mode: the repeat count only for the repeat mode
    // Option n clicked: checks it alone. True when the assignment is to be applied.
    bool OnModifierClicked(int option);
    // A number field left: clamps it and shows the value taken. False for any
    // other control.
    bool OnEditFinished(std::string_view control);
    void OnDefaultClicked();  // shows the factory function, buttons enabled, nothing stored
    void OnCancelClicked();   // shows the current function again, buttons disabled

    const profiles::KeyEntry& Record() const { return record_; }
    KeyCode Current() const { return record_.assignment; }
    KeyCode Default() const { return record_.defaultAssignment; }

private:
    struct FamilyPage;
    // One row per family, in the order of the function combo's items.
    static std::span<const FamilyPage> Pages();

    void FillChoiceLists();
    int ReadField(std::string_view edit, int maximum);
    int FieldMaximum(std::string_view edit) const;
    void ShowNumber(std::string_view edit, int value);
    void ShowKey(std::optional<std::size_t> catalogueIndex);
    bool Offered(Family family) const;

    // Per family: show a code in the controls, build one from them (nothing
    // keeps the current function).
    void ShowMouseButton(const KeyCode& code);
    void ShowSwing(const KeyCode& code);
    void ShowWheel(const KeyCode& code);
    void ShowDpi(const KeyCode& code);
    void ShowFire(const KeyCode& code);
    void ShowKeyboard(const KeyCode& code);
    void ShowMedia(const KeyCode& code);
    void ShowSystem(const KeyCode& code);
    void ShowMacro(const KeyCode& code);
    void ShowGunKey(const KeyCode& code);
    void ShowShortcut(const KeyCode& code);
    std::optional<KeyCode> BuildMouseButton();
    std::optional<KeyCode> BuildSwing();
    std::optional<KeyCode> BuildWheel();
    std::optional<KeyCode> BuildDpi();
    std::optional<KeyCode> BuildFire();
    std::optional<KeyCode> BuildKeyboard();
    std::optional<KeyCode> BuildMedia();
    std::optional<KeyCode> BuildSystem();
    std::optional<KeyCode> BuildMacro();
    std::optional<KeyCode> BuildGunKey();
    std::optional<KeyCode> BuildShortcut();

    platform::IPageView& page_;
    Translate translate_;
    int kind_ = kMouseKind;
    std::size_t macroCount_ = 0;
    // The usage of the key shown in the key edit (0 when it is empty).
    std::uint8_t shownKey_ = 0;
    profiles::KeyEntry record_;
};

}  // namespace vandrel::keys
