#include "macros/macro_control.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include <json/json.h>

#include "keys/key_catalogue.h"

namespace vandrel::macros {

namespace {

namespace controls = macro_controls;
namespace styles = macro_styles;

constexpr std::size_t kNameCell = 0;
constexpr std::size_t kActionCell = 1;
constexpr std::size_t kDelayCell = 2;

struct MouseName {
    std::uint8_t type;
    std::uint8_t button;  // the button bit; for movements whether "down"
    std::string_view id;
};

constexpr std::array kMouseButtonNames = std::to_array<MouseName>({
    {kMouseButtonEvent, 0x01, "macro_mouse_left"},
    {kMouseButtonEvent, 0x02, "macro_mouse_right"},
    {kMouseButtonEvent, 0x04, "macro_mouse_middle"},
    {kMouseButtonEvent, 0x08, "macro_mouse_back"},
    {kMouseButtonEvent, 0x10, "macro_mouse_forward"},
});

// Movements by kind and direction ("down" is left or up).
constexpr std::array kMoveNames = std::to_array<MouseName>({
    {kMoveXEvent, 1, "macro_mouse_move_left"},
    {kMoveXEvent, 0, "macro_mouse_move_right"},
    {kMoveYEvent, 1, "macro_mouse_move_up"},
    {kMoveYEvent, 0, "macro_mouse_move_down"},
});

bool IsKeyboardKind(std::uint8_t type) { return type == kKeyEvent || type == kModifierEvent; }
bool IsMouseKind(std::uint8_t type) { return type >= kMouseButtonEvent && type <= kMoveYEvent; }
bool IsMove(std::uint8_t type) { return type == kMoveXEvent || type == kMoveYEvent; }

std::string_view KeyNameId(const MacroEvent& event) {
    const auto catalogue = keys::KeyCatalogue();
    if (event.type == kModifierEvent) {
        const auto modifiers = catalogue.first(keys::kModifierEntries);
        const auto found = std::ranges::find_if(
            modifiers, [&](const keys::CatalogueKey& key) { return key.code.code1 == event.button; });
        return found == modifiers.end() ? std::string_view() : found->name;
    }
    // The keyboard keys: modifier byte 0 and the HID usage; the consumer and
    // device keys further on are never recorded as keys.
    const auto keysFrom8 = catalogue.subspan(keys::kModifierEntries);
    const auto found = std::ranges::find_if(keysFrom8, [&](const keys::CatalogueKey& key) {
        return key.code.type == keys::type::kKeyboard && key.code.code1 == 0 && key.code.code2 == event.button;
    });
    return found == keysFrom8.end() ? std::string_view() : found->name;
}

std::string_view MouseNameId(const MacroEvent& event) {
    if (event.type == kMouseButtonEvent) {
        const auto found = std::ranges::find(kMouseButtonNames, event.button, &MouseName::button);
        return found == kMouseButtonNames.end() ? std::string_view() : found->id;
    }
    const auto found = std::ranges::find_if(
        kMoveNames, [&](const MouseName& name) { return name.type == event.type && (name.button != 0) == event.down; });
    return found == kMoveNames.end() ? std::string_view() : found->id;
}

std::string Shown(std::string_view id, const TranslateFunction& translate) {
    if (id.empty()) return {};
    return translate ? translate(id) : std::string(id);
}

std::string EventText(const MacroEvent& event) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, EventToJson(event));
}

// The event a row carries; nothing when its user data is no event object.
std::optional<MacroEvent> RowEvent(const platform::ListRow& row) {
    if (row.userData.empty()) return std::nullopt;
    Json::CharReaderBuilder builder;
    Json::Value object;
    std::string errors;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    const char* begin = row.userData.data();
    if (!reader->parse(begin, begin + row.userData.size(), &object, &errors) || !object.isObject()) return std::nullopt;
    return EventFromJson(object);
}

}  // namespace

std::string_view EventNameId(const MacroEvent& event) {
    if (IsKeyboardKind(event.type)) return KeyNameId(event);
    if (event.type == kMouseButtonEvent || IsMove(event.type)) return MouseNameId(event);
    return {};
}

platform::ListRow EventRow(const MacroEvent& event, const TranslateFunction& translate) {
    platform::ListRow row;
    const std::string_view nameStyle = IsKeyboardKind(event.type)
                                           ? styles::kKeyboard
                                           : (IsMouseKind(event.type) ? styles::kMouse : std::string_view());
    row.cells.push_back({Shown(EventNameId(event), translate), std::string(nameStyle)});
    if (IsMove(event.type)) {
        row.cells.push_back({std::to_string(event.button), std::string(styles::kText)});
    } else {
        row.cells.push_back({Shown(event.down ? kDownTextId : kUpTextId, translate),
                             std::string(event.down ? styles::kDown : styles::kUp)});
    }
    row.cells.push_back({std::to_string(event.delay), std::string(styles::kText)});
    row.userData = EventText(event);
    return row;
}

std::uint16_t DelayFromText(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return 0;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return 0;
        value = std::min<std::uint32_t>(value * 10 + static_cast<std::uint32_t>(c - '0'), kMaxDelay);
    }
    return static_cast<std::uint16_t>(value);
}

CMacroControlUI::CMacroControlUI(platform::IPageView& page, TranslateFunction translate)
    : page_(page), translate_(std::move(translate)), list_(std::string()) {}

void CMacroControlUI::SetMacroFolder(std::string folder, profiles::CJsonFileStore store) {
    list_ = CMacroList(std::move(folder), std::move(store));
}

void CMacroControlUI::LoadMacroList() {
    if (list_.Folder().empty()) return;
    list_.Load();
    ShowNames(page_.CurrentIndex(controls::kNameList));
}

void CMacroControlUI::ShowNames(int select) {
    page_.SetItems(controls::kNameList, list_.Names());
    page_.SetCurrentIndex(controls::kNameList, select);
}

std::optional<std::size_t> CMacroControlUI::Selected() const {
    const int index = page_.CurrentIndex(controls::kNameList);
    if (index < 0 || static_cast<std::size_t>(index) >= list_.Size()) return std::nullopt;
    return static_cast<std::size_t>(index);
}

int CMacroControlUI::SelectedMacro() const {
    const auto selected = Selected();
    return selected ? static_cast<int>(*selected) : -1;
}

void CMacroControlUI::EnableMacroControls(bool enabled) {
    for (const std::string_view name : {controls::kActionLayout, controls::kMoveLayout, controls::kExportButton,
                                        controls::kDeleteButton, controls::kRenameButton})
        page_.SetEnabled(name, enabled);
}

void CMacroControlUI::ShowSelectedMacro() {
    if (list_.Size() == 0) EnableMacroControls(false);
    const auto selected = Selected();
    if (!selected || list_.Macros()[*selected].id.empty()) {
        ShowEvents({});
        return;
    }
    EnableMacroControls(true);
    // An identifier that names no file of its own shows a macro without events.
    ShowEvents(list_.Events(*selected));
}

void CMacroControlUI::ShowEvents(const std::vector<MacroEvent>& events) {
    std::vector<platform::ListRow> rows;
    rows.reserve(events.size());
    for (const MacroEvent& event : events) rows.push_back(EventRow(event, translate_));
    page_.SetRows(controls::kActionList, rows);
}

std::vector<MacroEvent> CMacroControlUI::Events() const {
    std::vector<MacroEvent> events;
    for (const platform::ListRow& row : page_.Rows(controls::kActionList)) {
        const std::optional<MacroEvent> event = RowEvent(row);
        if (!event) break;
        events.push_back(*event);
    }
    return events;
}

void CMacroControlUI::LoadMacroFile(const std::string& path) { ShowEvents(ReadMacroFile(path).events); }

void CMacroControlUI::SaveMacroFile(const std::string& path) {
    const auto selected = Selected();
    if (!selected || path.empty()) return;
    const MacroInfo& macro = list_.Macros()[*selected];
    if (!IsMacroId(macro.id)) return;

    const std::vector<platform::ListRow> rows = page_.Rows(controls::kActionList);
    std::vector<MacroEvent> events;
    events.reserve(rows.size());
    // The rows are shown again when a row's event or its delay cell is not
    // what is saved (a delay typed, an emptied cell saved as 0).
    bool reshow = false;
    for (const platform::ListRow& row : rows) {
        std::optional<MacroEvent> event = RowEvent(row);
        if (!event) break;  // a row without its event ends the list
        const std::string delayText = row.cells.size() > kDelayCell ? row.cells[kDelayCell].text : std::string();
        const std::uint16_t delay = DelayFromText(delayText);
        reshow = reshow || event->delay != delay || delayText != std::to_string(delay);
        event->delay = delay;
        events.push_back(*event);
    }
    // The rows carry the events as saved, an emptied delay shown as 0.
    if (reshow) ShowEvents(events);
    static_cast<void>(WriteMacroFile(path, {macro.name, macro.id, std::move(events)}));
}

void CMacroControlUI::SaveSelectedMacro() {
    const auto selected = Selected();
    if (!selected) return;
    const std::string path = list_.EventFilePath(*selected);
    if (!path.empty()) SaveMacroFile(path);
}

std::string CMacroControlUI::AddMacro() {
    std::string name = list_.Add();
    if (name.empty()) return name;
    ShowNames(static_cast<int>(list_.Size()) - 1);
    ShowSelectedMacro();
    return name;
}

int CMacroControlUI::DeleteMacro() {
    const auto selected = Selected();
    if (!selected || !list_.Delete(*selected)) return -1;
    // The first macro is selected and shown; with none left the macro
    // controls are disabled and no rows remain.
    ShowNames(0);
    ShowSelectedMacro();
    return static_cast<int>(*selected);
}

RenameOutcome CMacroControlUI::RenameMacro() {
    const auto selected = Selected();
    if (!selected) return {};
    const std::string name = page_.Text(controls::kNameEdit);
    const int index = static_cast<int>(*selected);
    switch (list_.Rename(*selected, name)) {
        case RenameResult::Renamed:
            ShowNames(index);
            page_.SetText(controls::kNameEdit, "");
            return {name, index};
        case RenameResult::EmptyName: return {std::string(kRenameEmpty), -1};
        case RenameResult::NameTaken: return {std::string(), index};
        case RenameResult::NoSuchMacro: break;
    }
    return {};
}

std::string CMacroControlUI::ImportMacro(const std::string& path) {
    std::string name = list_.Import(path);
    if (name.empty()) return name;
    ShowNames(static_cast<int>(list_.Size()) - 1);
    ShowSelectedMacro();
    return name;
}

void CMacroControlUI::ExportMacro(const std::string& path) {
    const auto selected = Selected();
    if (selected && !path.empty()) static_cast<void>(list_.Export(*selected, path));
}

bool CMacroControlUI::ListMatchesFile() const {
    return !list_.Folder().empty() && ReadMacroList(list_.Folder()) == list_.Macros();
}

}  // namespace vandrel::macros
