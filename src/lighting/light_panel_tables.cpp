#include "lighting/light_panel_tables.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

namespace vandrel::lighting {
namespace {

constexpr Group E = Group::Enabled;
constexpr Group D = Group::Disabled;
constexpr Group H = Group::Hidden;

struct Row {
    std::vector<int> effects;
    PanelAdaptation adaptation;
};

// Keyboard: seven-colour, colour, palette, brightness, speed, direction, extras.
const std::vector<Row>& KeyboardRows() {
    static const std::vector<Row> rows = {
        {{1, 2}, {E, E, E, E, E, E}},
        {{3, 24},
         {E, E, E, E, E, E, false, false, false, false, false, "light_set_clockwise_text",
          "light_set_anticlockwise_text"}},
        {{4}, {D, D, D, E, E, D, true, true}},
        {{5, 23}, {E, E, E, E, E, D, false, true}},
        {{6}, {E, E, E, E, D, D, false, true}},
        {{7, 8, 10, 13, 14, 25, 27}, {D, D, D, E, E, D}},
        {{9, 15, 22}, {E, E, E, E, E, D}},
        {{11, 26}, {D, D, D, E, E, D, true}},
        {{12},
         {D, D, D, E, E, E, false, false, false, false, false, "light_set_down_to_up_text",
          "light_set_up_to_down_text"}},
        {{16}, {E, E, E, E, D, D}},
        {{17}, {D, D, D, E, H, D, true, false, true}},
        {{18},
         {D, D, D, E, D, E, true, false, false, false, false, "light_set_outside_to_inside_text",
          "light_set_inside_to_outside_text"}},
        {{20}, {D, E, E, E, H, D, false, false, false, true}},
        {{21},
         {E, E, E, E, E, E, false, false, false, false, false, "light_set_up_to_down_text",
          "light_set_down_to_up_text"}},
        {{28}, {D, D, D, D, D, D, false, true}},
        {{29}, {E, E, E, E, H, E, false, false, false, false, true}},
        {{30}, {D, D, D, E, D, D, true}},
    };
    return rows;
}

const std::vector<Row>& MouseRows() {
    static const std::vector<Row> rows = {
        {{0, 5}, {E, E, E, E, E, E}},
        {{1}, {D, D, D, E, E, D, false, true}},
        {{2, 4, 6}, {E, E, E, E, E, D, false, true}},
        {{3}, {D, E, E, E, D, D, false, true}},
        {{7, 8}, {D, D, D, E, E, D}},
        {{9}, {D, D, D, D, D, D, false, true}},
    };
    return rows;
}

// Mouse pad and headset.
const std::vector<Row>& PadRows() {
    static const std::vector<Row> rows = {
        {{0}, {E, E, E, E, E, E}},
        {{1}, {D, D, D, E, E, D, false, true}},
        {{2, 4}, {E, E, E, E, E, D, false, true}},
        {{3}, {D, E, E, E, D, D, false, true}},
        {{8}, {D, D, D, D, D, D, false, true}},
    };
    return rows;
}

// Kind 5 handles no direction: the panel leaves that group as it is.
const std::vector<Row>& Kind5Rows() {
    static const std::vector<Row> rows = {
        {{0, 2, 3}, {E, E, E, E, E, E}},
        {{1}, {D, E, E, E, D, E}},
        {{4}, {D, D, D, E, E, E}},
    };
    return rows;
}

const std::vector<Row>* RowsOf(int kind) {
    switch (kind) {
        case kPanelKeyboard: return &KeyboardRows();
        case kPanelMouse: return &MouseRows();
        case kPanelMousePad:
        case kPanelHeadset:
        case kPanelHeadset7: return &PadRows();
        case kPanelKind5: return &Kind5Rows();
        default: return nullptr;
    }
}

// Same-mode translation: (device effect, common effect) pairs per kind.
struct Translation {
    int effect;
    int common;
};
constexpr std::array kKeyboardCommon{Translation{4, 3}, Translation{5, 0}, Translation{6, 1}, Translation{23, 2},
                                     Translation{28, 4}};
constexpr std::array kMouseCommon{Translation{1, 3}, Translation{2, 0}, Translation{3, 1}, Translation{4, 2},
                                  Translation{9, 4}};
constexpr std::array kPadCommon{Translation{1, 3}, Translation{2, 0}, Translation{3, 1}, Translation{4, 2},
                                Translation{8, 4}};

std::span<const Translation> TranslationsOf(int kind) {
    switch (kind) {
        case kPanelKeyboard: return kKeyboardCommon;
        case kPanelMouse: return kMouseCommon;
        case kPanelMousePad:
        case kPanelHeadset:
        case kPanelHeadset7: return kPadCommon;
        default: return {};
    }
}

}  // namespace

PanelAdaptation AdaptationFor(int kind, int effect) {
    if (const auto* rows = RowsOf(kind)) {
        for (const Row& row : *rows)
            if (std::ranges::find(row.effects, effect) != row.effects.end()) return row.adaptation;
    }
    return PanelAdaptation{};  // every group disabled
}

std::optional<int> CommonEffect(int kind, int effect) {
    for (const Translation& t : TranslationsOf(kind))
        if (t.effect == effect) return t.common;
    return std::nullopt;
}

std::optional<int> EffectOfCommon(int kind, int common) {
    for (const Translation& t : TranslationsOf(kind))
        if (t.common == common) return t.effect;
    return std::nullopt;
}

}  // namespace vandrel::lighting
