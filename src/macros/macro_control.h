// CMacroControlUI: the logic of a device page's macro panel. It shows the
// device's macro list ("macro_name_list") and the events of the selected
// macro as rows of "macro_action_list", and keeps "macro.config" and the
// event files in step with every change. It works on the page through the
// page-view seam, so it runs without a display.
//
// A row of the event list has three cells: the event's name, its action
// ("down"/"up", or a movement's distance) and its delay in milliseconds, the
// one cell the user edits. The row's user data is the event as JSON text, so
// a row carries its event wherever it is moved; the panel keeps the events
// in row order as well.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macros/macro_file.h"
#include "macros/macro_list.h"
#include "platform/page_view.h"

namespace vandrel::macros {

namespace macro_controls {
inline constexpr std::string_view kNameList = "macro_name_list";
inline constexpr std::string_view kNameEdit = "macro_edit_macroname";
inline constexpr std::string_view kActionList = "macro_action_list";
inline constexpr std::string_view kActionLayout = "macro_action_layout";
inline constexpr std::string_view kMoveLayout = "mouse_move_layout";
inline constexpr std::string_view kAddButton = "macro_btn_name_add";
inline constexpr std::string_view kDeleteButton = "macro_btn_name_sub";
inline constexpr std::string_view kRenameButton = "macro_btn_name_edit";
inline constexpr std::string_view kImportButton = "macro_btn_import";
inline constexpr std::string_view kExportButton = "macro_btn_export";
// The delay cell's edit, the sender of its "killfocus" event.
inline constexpr std::string_view kDelayEdit = "macro_delay";
}  // namespace macro_controls

namespace macro_styles {
inline constexpr std::string_view kKeyboard = "macro_label_keyboard_style";
inline constexpr std::string_view kMouse = "macro_label_mouse_style";
inline constexpr std::string_view kDown = "macro_label_down_style";
inline constexpr std::string_view kUp = "macro_label_up_style";
inline constexpr std::string_view kText = "macro_label_text_style";
}  // namespace macro_styles

// Language text ids of the action cell.
inline constexpr std::string_view kDownTextId = "macro_action_down";
inline constexpr std::string_view kUpTextId = "macro_action_up";

// The text of a language text id in the language shown.
using TranslateFunction = std::function<std::string(std::string_view id)>;

// The language text id naming an event: a keyboard or modifier key by the
// key catalogue, a mouse button or a movement by its own id; "" for an
// event no name fits (mouse kinds 2 and 3, unknown keys and kinds).
std::string_view EventNameId(const MacroEvent& event);

// The row showing `event`, its texts through `translate` (ids shown as they
// are without one).
platform::ListRow EventRow(const MacroEvent& event, const TranslateFunction& translate = {});

// A delay cell's text as milliseconds: decimal digits with blanks around
// them, clamped to 0..65535; anything else reads as 0.
std::uint16_t DelayFromText(std::string_view text);

// What RenameMacro did: the new name and the macro's index when renamed;
// "IsEmpty" and -1 for a blank name; "" and the selected index for a name
// some macro has already; "" and -1 without a selection.
struct RenameOutcome {
    std::string text;
    int index = -1;

    bool operator==(const RenameOutcome&) const = default;
};

inline constexpr std::string_view kRenameEmpty = "IsEmpty";

class CMacroControlUI {
public:
    explicit CMacroControlUI(platform::IPageView& page, TranslateFunction translate = {});

    // The device's user data folder, where "macro.config" and the event
    // files live, and the store that writes them. The list is read again by
    // LoadMacroList.
    void SetMacroFolder(std::string folder, profiles::CJsonFileStore store = {});
    const std::string& MacroFolder() const { return list_.Folder(); }

    // Fills the name list from "macro.config" (nothing without a folder).
    void LoadMacroList();
    std::vector<std::string> MacroNames() const { return list_.Names(); }
    // The selected macro's index; -1 with no selection or an empty list.
    int SelectedMacro() const;
    // Run when the selection changes: enables the macro controls and shows
    // the selected macro's events; no selection: no rows.
    void ShowSelectedMacro();

    // Shows the events of the event file at `path` as rows.
    void LoadMacroFile(const std::string& path);
    // Writes the rows as the event file at `path`, under the selected macro's
    // name and identifier; an empty delay cell is saved, and shown, as 0.
    // Nothing without a selected macro whose identifier names a file.
    void SaveMacroFile(const std::string& path);
    // SaveMacroFile into the selected macro's own event file.
    void SaveSelectedMacro();

    // A new macro, named "macro_<n>", selected and shown; its name, or ""
    // when the list is full.
    std::string AddMacro();
    // Removes the selected macro and its event file, and selects the first;
    // the removed index, or -1 when nothing was removed.
    int DeleteMacro();
    // Gives the selected macro the name typed into "macro_edit_macroname".
    RenameOutcome RenameMacro();
    // A new macro holding a copy of the event file at `path`; its name, or ""
    // when nothing was imported.
    std::string ImportMacro(const std::string& path);
    // Copies the selected macro's event file to `path`.
    void ExportMacro(const std::string& path);

    // The events the rows shown carry, in row order (up to a row without one).
    std::vector<MacroEvent> Events() const;
    // Whether "macro.config" on disk holds the list as the panel has it.
    bool ListMatchesFile() const;

private:
    void ShowNames(int select);
    void EnableMacroControls(bool enabled);
    void ShowEvents(const std::vector<MacroEvent>& events);
    std::optional<std::size_t> Selected() const;

    platform::IPageView& page_;
    TranslateFunction translate_;
    CMacroList list_;
};

}  // namespace vandrel::macros
