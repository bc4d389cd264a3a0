// What the lighting panel shows for each effect of each device kind, and how
// one effect translates into another device kind's effect for "same mode".
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vandrel::lighting {

// Panel kinds: 1 keyboard, 2 mouse, 3 mouse pad, 4 and 7 headset, 5 (a panel
// without direction handling).
enum PanelKind : int {
    kPanelKeyboard = 1,
    kPanelMouse = 2,
    kPanelMousePad = 3,
    kPanelHeadset = 4,
    kPanelKind5 = 5,
    kPanelHeadset7 = 7
};

enum class Group : std::uint8_t { Enabled, Disabled, Hidden };

// The state of the panel's groups for one effect.
struct PanelAdaptation {
    Group sevenColour = Group::Disabled;
    Group colour = Group::Disabled;
    Group palette = Group::Disabled;
    Group brightness = Group::Disabled;
    Group speed = Group::Disabled;
    Group direction = Group::Disabled;
    bool lightColourDisabled = false;  // light_color_layout
    bool sync = false;                 // deng_same_mode shown when the same-mode flag is set
    bool zzccShown = false;
    bool customShown = false;
    bool audioShown = false;  // also selects colour page 1
    // Language text ids of the left and right direction options; null keeps
    // the defaults.
    const char* leftText = nullptr;
    const char* rightText = nullptr;
};

// How the panel adapts to `effect` on a panel of `kind`.
PanelAdaptation AdaptationFor(int kind, int effect);

// Same mode: the common effect (0 breathing, 1 static, 2 blinking, 3 colour
// cycle, 4 off) of a device kind's effect, and back.
std::optional<int> CommonEffect(int kind, int effect);
std::optional<int> EffectOfCommon(int kind, int common);

}  // namespace vandrel::lighting
