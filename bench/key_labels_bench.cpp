// Rebuilding the labels of a full keyboard's 126 keys, as after every applied
// assignment: a mix of plain keys, combinations, media, system and macro
// keys, 50 macro names, and a language table of every name the labels use.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_functions.h"
#include "keys/key_labels.h"

namespace {

using namespace vandrel::keys;
using vandrel::profiles::KeyEntry;

constexpr std::size_t kKeys = 126;
constexpr int kMacros = 50;

// Every name key the labels can ask for, with a text of typical length.
class LanguageTable {
public:
    LanguageTable() {
        for (const CatalogueKey& key : KeyCatalogue()) Add(key.name);
        for (const auto labels : {MouseButtonLabels(), DpiLabels(), MediaLabels(), SystemLabels(), TextShortcutLabels(),
                                  MouseFunctionLabels()})
            for (const KeyLabel& label : labels) Add(label.name);
        for (const std::string_view id : {"close_text", "Key_Set", "mouse_key_left_Swing", "mouse_key_right_Swing",
                                          "mouse_key_up_Swing", "mouse_key_down_Swing"})
            Add(id);
    }

    std::string Text(std::string_view id) const {
        const auto found = texts_.find(id);
        return found == texts_.end() ? std::string(id) : found->second;
    }

private:
    void Add(std::string_view id) { texts_.emplace(std::string(id), "Text of " + std::string(id)); }

    std::map<std::string, std::string, std::less<>> texts_;
};

// Position i's factory function is catalogue key 8 + i (letters, digits,
// function keys ...); the current functions mix what users assign.
struct KeyboardKeys {
    std::vector<KeyCode> factory;
    std::vector<KeyEntry> keys;
    std::vector<std::string> macroNames;

    KeyboardKeys() {
        const auto catalogue = KeyCatalogue();
        for (std::size_t i = 0; i < kKeys; ++i) factory.push_back(catalogue[kModifierEntries + i].code);
        for (std::size_t i = 0; i < kKeys; ++i) {
            KeyCode current = factory[i];
            const auto n = static_cast<std::uint8_t>(i);
            switch (i % 8) {
                case 1: current = {type::kKeyboard, static_cast<std::uint8_t>(1u << (i % 4)), n}; break;  // combination
                case 3: current = MediaChoices()[i % MediaChoices().size()]; break;
                case 5:
                    current = {static_cast<std::uint8_t>(i % 2 ? type::kMacro : type::kMacroRepeated),
                               static_cast<std::uint8_t>(i % kMacros), 1};
                    break;
                case 7: current = SystemChoices()[i % SystemChoices().size()]; break;
                default: break;  // the factory function
            }
            keys.push_back({static_cast<std::uint16_t>(i), current, static_cast<std::uint16_t>(i), factory[i]});
        }
        for (int m = 0; m < kMacros; ++m) macroNames.push_back("Macro " + std::to_string(m));
    }
};

void BM_RebuildKeyboardLabels(benchmark::State& state) {
    const LanguageTable language;
    const KeyboardKeys board;
    const Translate translate = [&language](std::string_view id) { return language.Text(id); };
    for (auto _ : state) {
        std::vector<KeyButtonLabel> labels = BuildKeyLabels(board.keys, board.factory, board.macroNames, translate);
        benchmark::DoNotOptimize(labels.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kKeys));
}
BENCHMARK(BM_RebuildKeyboardLabels)->Unit(benchmark::kMicrosecond);

}  // namespace
