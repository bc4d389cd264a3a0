#include "app/notify_dispatch.h"

#include <algorithm>
#include <array>

#include "devices/usb_device.h"  // SplitIndexedName
#include "platform/text_compare.h"

namespace vandrel::app {
namespace {

using O = Operation;

constexpr DispatchRow Exact(std::string_view name, Operation op) { return {name, op, false, false}; }
constexpr DispatchRow Indexed(std::string_view prefix, Operation op) { return {prefix, op, true, false}; }
constexpr DispatchRow ExactCase(std::string_view name, Operation op) { return {name, op, false, true}; }

constexpr DispatchRow kClicks[] = {
    Exact("closebtn", O::HideToTray),
    Exact("nodevice_ok_btn", O::HideWindow),
    Exact("control_light_status", O::LightControlHandover),
    Exact("minbtn", O::Minimise),
    Exact("maxbtn", O::Maximise),
    Exact("restorebtn", O::Restore),
    Exact("skinbtn", O::SkinFrame),
    Exact("setbtn", O::SettingsWindow),
    Indexed("key_", O::KeyClick),
    // The mouse's picture names its keys so.
    Indexed("mouse_key_", O::KeyClick),
    Indexed("color_option_", O::QuickColour),
    Indexed("audiocolor_option_", O::AudioLight),
    Indexed("windowdeviceset_", O::DesktopDeviceSettings),
    Indexed("DPI_color_option_", O::DpiColour),
    Exact("default_btn", O::DefaultSettings),
    Exact("reset_repeat_btn", O::RepeatTestReset),
    Exact("device_add_btn", O::ProfileAdd),
    Exact("device_sub_btn", O::ProfileDelete),
    // The layouts and their callers know these two by these names: the
    // "export" button duplicates, the "copy" button exports.
    Exact("device_export_btn", O::ProfileDuplicate),
    Exact("device_import_btn", O::ProfileImport),
    Exact("device_copy_btn", O::ProfileExport),
    Exact("device_reset_btn", O::DeviceReset),
    Exact("device_profile_edit_save_btn", O::ProfileRename),
    Exact("key_butt_keysave", O::KeyEditor),
    Exact("key_butt_keydefalut", O::KeyEditor),
    Exact("key_butt_keycancel", O::KeyEditor),
    Exact("key_butt_prosave", O::KeyMapUpload),
    Exact("macro_btn_starredio", O::Macro),
    Exact("macro_btn_stopredio", O::Macro),
    Exact("macro_btn_name_add", O::MacroList),
    Exact("macro_btn_name_sub", O::MacroList),
    Exact("macro_btn_name_edit", O::MacroList),
    Exact("macro_btn_save", O::Macro),
    Exact("macro_btn_cancel", O::Macro),
    Exact("macro_btn_export", O::MacroList),
    Exact("macro_btn_import", O::MacroList),
    Exact("macro_btn_up", O::Macro),
    Exact("macro_btn_down", O::Macro),
    Exact("macro_btn_uptop", O::Macro),
    Exact("macro_btn_downbottom", O::Macro),
    Exact("macro_btn_delete", O::Macro),
    Exact("macro_btn_deleteall", O::Macro),
    Exact("shootdate_save_btn", O::Recoil),
    Exact("shootdate_reset_btn", O::Recoil),
    Exact("shootdate_import_btn", O::Recoil),
    Exact("shootdate_export_btn", O::Recoil),
    Exact("bullet_selected_prev", O::Recoil),
    Exact("bullet_selected_next", O::Recoil),
    Exact("custom_bright_color_btn", O::ColourGroupFill),
    Exact("custom_off_color_btn", O::ColourGroupFill),
    Exact("deng_same_mode", O::SameMode),
    Exact("hs_EQ_btn_save", O::Headset),
    Exact("hs_EQ_btn_delete", O::Headset),
    ExactCase("profile_fun_spread_btn", O::ProfileFold),
    ExactCase("macro_inset_moveleftkey_btn", O::Macro),
    ExactCase("macro_inset_moverightkey_btn", O::Macro),
    ExactCase("macro_inset_moveupkey_btn", O::Macro),
    ExactCase("macro_inset_movedownkey_btn", O::Macro),
    Exact("device_select_prev", O::SelectPreviousTab),
    Exact("device_select_next", O::SelectNextTab),
    Exact("Close_bkColor_btn", O::AudioLight),
    Exact("music_setting_btn", O::AudioLight),
};

constexpr DispatchRow kSelections[] = {
    Indexed("DPI_enable_check_", O::DpiEnable),
    Indexed("DPI_select_check_", O::DpiSelect),
    Indexed("polling_rate_option_", O::ReportRate),
    Indexed("repeat_delay_check_", O::RepeatDelay),
    Indexed("mouse_device_seting_option_", O::MouseSettingOption),
    Indexed("shoot_gun_op_", O::Recoil),
    Indexed("bullet_op_", O::Recoil),
    Indexed("magic_option_", O::Headset),
    Indexed("6533_eq_option_", O::Headset),
    Indexed("key_ComBox_check_", O::KeyEditor),
    Exact("pointer_precision_check", O::PointerPrecision),
    Exact("scrolls_page_check", O::ScrollPage),
    Exact("winlockflag_option", O::WindowsKeyLock),
    Exact("wflag_option", O::ArrowKeysOnWasd),
    Exact("6flag_option", O::SixKeyMode),
    Exact("synchro_device_select", O::Nothing),
    Exact("device_select", O::ChooseTab),
    Exact("deng_Op_tab", O::FunctionPage),
    Exact("key_Op_tab", O::FunctionPage),
    Exact("macro_Op_tab", O::FunctionPage),
    Exact("system_Op_tab", O::FunctionPage),
    Exact("cursor_Op_tab", O::FunctionPage),
    Exact("6533_voice_Op_tab", O::FunctionPage),
    Exact("magic_Op_tab", O::FunctionPage),
    Exact("Virtual7.1_Op_tab", O::FunctionPage),
    Exact("deng_FXL_check", O::LightingControl),
    Exact("deng_FXR_check", O::LightingControl),
    Exact("deng_7color_check", O::LightingControl),
    Exact("bullet_x_check", O::Recoil),
    Exact("bullet_y_check", O::Recoil),
    Exact("magic_enable_option", O::Headset),
    Exact("6533_MicIn_option", O::Headset),
    Exact("6533_MicMoniter_option", O::Headset),
    Exact("deng_7audiocolor_check", O::AudioLight),
    Exact("audio_BkColor_check", O::AudioLight),
    Exact("audio_FgColor_check", O::AudioLight),
};

constexpr DispatchRow kSliders[] = {
    Indexed("DPI_slider_", O::DpiSlider),           Indexed("6533_eq_hz_slider_", O::Headset),
    Exact("pointer_speed_slider", O::PointerSpeed), Exact("scroll_speed_slider", O::WheelLines),
    Exact("double_click_slider", O::DoubleClick),   Exact("repeat_rate_slider", O::RepeatRate),
    Exact("deng_light_slider", O::LightingControl), Exact("deng_speed_slider", O::LightingControl),
    Exact("6533_MicIn_slider", O::Headset),         Exact("6533_MicMoniter_slider", O::Headset),
    Exact("R_light_slider", O::AudioLight),         Exact("G_light_slider", O::AudioLight),
    Exact("B_light_slider", O::AudioLight),
};

constexpr DispatchRow kLiveSliders[] = {
    Indexed("DPI_slider_", O::DpiSliderMoving),
    Indexed("zelbor_DPI_slider_", O::ZelborDpiSlider),
};

constexpr DispatchRow kCombos[] = {
    Exact("device_profile_combo", O::ProfileChosen),
    Exact("light_combo_modeSelect", O::LightingControl),
    Exact("light_combo_custommodeSelect", O::LightingControl),
    Exact("light_combo_ZZCCmodeSelect", O::LightingControl),
    Exact("light_combo_audiomodeSelect", O::AudioLight),
    Exact("keyset_function_combo", O::KeyEditor),
    Exact("keyset_macro_over_combo", O::KeyEditor),
    Exact("keyset_mousekey_combo", O::KeyEditor),
    Exact("keyset_mouseswing_combo", O::KeyEditor),
    Exact("keyset_mousewheel_combo", O::KeyEditor),
    Exact("keyset_mousedpi_combo", O::KeyEditor),
    Exact("keyset_media_combo", O::KeyEditor),
    Exact("keyset_system_combo", O::KeyEditor),
    Exact("keyset_macro_combo", O::KeyEditor),
    Exact("keyset_gunkey_combo", O::KeyEditor),
    Exact("keyset_combokey_combo", O::KeyEditor),
    Exact("macro_name_list", O::MacroList),
    Exact("custom_eq_name_combo", O::Headset),
};

constexpr DispatchRow kEdits[] = {
    Indexed("DPI_edit_", O::DpiEdit),
    Indexed("zelbor_DPI_edit_", O::ZelborDpiEdit),
    Exact("deng_edit_R", O::LightingControl),
    Exact("deng_edit_G", O::LightingControl),
    Exact("deng_edit_B", O::LightingControl),
    Exact("deng_audioedit_R", O::AudioLight),
    Exact("deng_audioedit_G", O::AudioLight),
    Exact("deng_audioedit_B", O::AudioLight),
    Exact("keyset_keyboard_text_edit", O::KeyCapture),
    Exact("bullet_x_eidt", O::Recoil),
    Exact("bullet_y_eidt", O::Recoil),
    Exact("bullet_delay_eidt", O::Recoil),
    Exact("macro_delay", O::Macro),
    Exact("keyset_mouseswing_num_edit", O::KeyEditor),
    Exact("keyset_mouseswing_delay_edit", O::KeyEditor),
    Exact("keyset_mouseswing_speed_edit", O::KeyEditor),
    Exact("keyset_mousewheel_num_edit", O::KeyEditor),
    Exact("keyset_mousewheel_delay_edit", O::KeyEditor),
    Exact("keyset_mousewheel_speed_edit", O::KeyEditor),
    Exact("keyset_mousefire_interval_edit", O::KeyEditor),
    Exact("keyset_mousefire_num_edit", O::KeyEditor),
    Exact("keyset_macro_cycle_edit", O::KeyEditor),
};

// Key capture runs while the key edit has the focus.
constexpr DispatchRow kFocusGains[] = {
    Exact("keyset_keyboard_text_edit", O::KeyCapture),
};

constexpr DispatchRow kColours[] = {
    Exact("deng_Color_Pallet", O::PaletteColour),
    Exact("deng_audioColor_Pallet", O::AudioLight),
};

constexpr DispatchRow kSelectionEnds[] = {
    Exact("device_key_light", O::PerKeyLighting),
    Exact("mouse_device_key_light", O::PerKeyLighting),
};

constexpr std::array kTables{
    EventTable{"click", kClicks},         EventTable{"selectchanged", kSelections},
    EventTable{"valuechanged", kSliders}, EventTable{"movevaluechanged", kLiveSliders},
    EventTable{"itemselect", kCombos},    EventTable{"killfocus", kEdits},
    EventTable{"colorchanged", kColours}, EventTable{"click_select_end", kSelectionEnds},
    EventTable{"setfocus", kFocusGains},
};

struct OperationLabel {
    Operation operation;
    std::string_view name;
};
constexpr OperationLabel kLaterLabels[] = {
    {O::KeyClick, "key assignment"},
    {O::KeyEditor, "key assignment"},
    {O::KeyCapture, "key capture"},
    {O::MacroList, "macros"},
    {O::KeyMapUpload, "key map upload"},
    {O::Macro, "macro recording and editing"},
    {O::Recoil, "recoil patterns"},
    {O::Headset, "headset sound"},
    {O::AudioLight, "audio light"},
    {O::SettingsWindow, "settings window"},
    {O::SkinFrame, "skin frame"},
    {O::LightControlHandover, "light control handover"},
    {O::MouseSettingOption, "mouse setting options"},
    {O::DpiColour, "colour palette"},
};

bool SameText(std::string_view a, std::string_view b, bool caseSensitive) {
    if (caseSensitive) return a == b;
    return platform::EqualsIgnoringCase(a, b);
}

}  // namespace

std::span<const EventTable> DispatchTables() { return kTables; }

std::optional<Route> RouteOf(const platform::NotifyEvent& event) {
    const auto table = std::ranges::find(kTables, std::string_view(event.type), &EventTable::eventType);
    if (table == kTables.end()) return std::nullopt;
    if (const auto indexed = devices::SplitIndexedName(event.control)) {
        for (const DispatchRow& row : table->rows)
            if (row.indexed && SameText(row.name, indexed->prefix, row.caseSensitive))
                return Route{row.operation, &row, indexed->number};
    }
    for (const DispatchRow& row : table->rows)
        if (!row.indexed && SameText(row.name, event.control, row.caseSensitive)) return Route{row.operation, &row};
    return std::nullopt;
}

std::string_view OperationName(Operation operation) {
    for (const OperationLabel& label : kLaterLabels)
        if (label.operation == operation) return label.name;
    return "operation";
}

}  // namespace vandrel::app
