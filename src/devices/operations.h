// What a control of the window or of a device page can run, named apart from
// the controls: the window's routing tables map control names to these, the
// device kinds name the ones their pages bind, and scripts will run them by
// the same names.
#pragma once

namespace vandrel::devices {

enum class Operation {
    // Window
    HideToTray,
    HideWindow,
    Minimise,
    Maximise,
    Restore,
    SelectPreviousTab,
    SelectNextTab,
    ChooseTab,
    // Mouse: DPI, report rate, pointer
    DpiSlider,
    DpiSliderMoving,
    DpiEdit,
    DpiEnable,
    DpiSelect,
    DpiColour,
    ReportRate,
    PointerSpeed,
    WheelLines,
    DoubleClick,
    PointerPrecision,
    ScrollPage,
    ZelborDpiSlider,
    ZelborDpiEdit,
    // Keyboard: key repeat, flags, per-key colours
    RepeatRate,
    RepeatDelay,
    RepeatTestReset,
    WindowsKeyLock,
    ArrowKeysOnWasd,
    SixKeyMode,
    ColourGroupFill,
    PerKeyLighting,
    // Desktop and device
    DesktopDeviceSettings,
    DefaultSettings,
    DeviceReset,
    FunctionPage,
    // Profiles
    ProfileAdd,
    ProfileDelete,
    ProfileDuplicate,
    ProfileImport,
    ProfileExport,
    ProfileRename,
    ProfileChosen,
    ProfileFold,
    // Lighting
    LightingControl,
    QuickColour,
    PaletteColour,
    SameMode,
    // A click on a key of the device's picture: per-key colour on the
    // lighting page, key assignment on the keys page.
    KeyClick,
    // Keys and macros: the key-assignment panel, key capture while its key
    // edit has the focus, the macro list and its files, and the upload of
    // macros and key map.
    KeyEditor,
    KeyCapture,
    MacroList,
    KeyMapUpload,
    // Later features: macro recording and editing, recoil, headset, audio
    // light, settings window, skin frame, palette window, light control
    // handover.
    Macro,
    Recoil,
    Headset,
    AudioLight,
    SettingsWindow,
    SkinFrame,
    LightControlHandover,
    MouseSettingOption,
    Nothing,
};

}  // namespace vandrel::devices
