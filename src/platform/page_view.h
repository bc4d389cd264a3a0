// The page-view seam: device and panel logic reads and writes the controls of a
// page by their layout names and receives notify events as plain values. The
// Qt layer implements it over a loaded layout; tests use a map-backed fake. So
// the dispatch from a control name to device frames runs without a display.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vandrel::platform {

// One notify event, named as the toolkit names them ("click", "valuechanged",
// "selectchanged", "itemselect", "timer", "textchanged", "killfocus", ...).
struct NotifyEvent {
    std::string type;
    std::string control;  // the sender's layout name
    std::intptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// A control below a container, as layouts describe it: its layout name, its
// control class ("DeviceKeyButton") and its user-data text ("key_3").
struct ChildControl {
    std::string name;
    std::string className;
    std::string userData;
};

// One item of a list or combo box: a text shown as given, or the id of a
// language text, shown in the current language and following its changes.
struct ItemText {
    std::string text;
    bool isTextId = false;

    static ItemText Literal(std::string text) { return {std::move(text), false}; }
    static ItemText Id(std::string id) { return {std::move(id), true}; }
    bool operator==(const ItemText&) const = default;
};

// One cell of a table row: its text, shown as given, and the name of the
// style it is drawn with ("" for the table's own).
struct RowCell {
    std::string text;
    std::string style;

    bool operator==(const RowCell&) const = default;
};

// One row of a table: its cells from the first column on, and a text the
// logic keeps with the row and reads back unchanged (not shown).
struct ListRow {
    std::vector<RowCell> cells;
    std::string userData;

    bool operator==(const ListRow&) const = default;
};

// Controls are addressed by layout name. Operations on a name that the page
// does not have do nothing and read as empty, 0 or false.
class IPageView {
public:
    virtual ~IPageView() = default;

    virtual bool HasControl(std::string_view name) const = 0;

    // Sliders, progress bars, spin values.
    virtual int Value(std::string_view name) const = 0;
    virtual void SetValue(std::string_view name, int value) = 0;
    virtual void SetRange(std::string_view name, int minimum, int maximum) = 0;

    // Labels, edits, buttons: UTF-8 text. SetText shows the text exactly as
    // given, whatever it looks like, and ends any language text the control
    // followed; SetTextId shows the language text of an id (the id itself
    // when the language has none) and follows later language changes.
    virtual std::string Text(std::string_view name) const = 0;
    virtual void SetText(std::string_view name, std::string_view text) = 0;
    virtual void SetTextId(std::string_view name, std::string_view id) = 0;

    // Check boxes, option buttons, selectable buttons.
    virtual bool Selected(std::string_view name) const = 0;
    virtual void SetSelected(std::string_view name, bool selected) = 0;

    virtual bool Visible(std::string_view name) const = 0;
    virtual void SetVisible(std::string_view name, bool visible) = 0;
    virtual bool Enabled(std::string_view name) const = 0;
    virtual void SetEnabled(std::string_view name, bool enabled) = 0;

    // Lists and combo boxes: item texts and the selected index (-1 for none).
    // Items reads the texts shown. SetItems shows every item as given;
    // SetItemTexts says of each item whether it is a language text id.
    virtual std::vector<std::string> Items(std::string_view name) const = 0;
    virtual void SetItems(std::string_view name, const std::vector<std::string>& items) = 0;
    virtual void SetItemTexts(std::string_view name, const std::vector<ItemText>& items) = 0;
    virtual void SetItemVisible(std::string_view name, int index, bool visible) = 0;
    virtual bool ItemVisible(std::string_view name, int index) const = 0;
    // Lists, combo boxes and tables: the current item or row (-1 for none).
    virtual int CurrentIndex(std::string_view name) const = 0;
    virtual void SetCurrentIndex(std::string_view name, int index) = 0;

    // Tables: every row at once. Rows reads the cells as they are now, an
    // edited cell with the text the user left in it; the current row stays
    // while it is still a row, else none is current.
    virtual std::vector<ListRow> Rows(std::string_view name) const = 0;
    virtual void SetRows(std::string_view name, const std::vector<ListRow>& rows) = 0;

    // Tab layouts and switch containers: the page shown.
    virtual int CurrentPage(std::string_view name) const = 0;
    virtual void SetCurrentPage(std::string_view name, int page) = 0;

    // The direct children of a container, in layout order.
    virtual std::vector<ChildControl> Children(std::string_view container) const = 0;
    // Every named control below a container at any depth, in layout order,
    // each followed by its own descendants: key buttons inside the picture
    // panel of a container are found without knowing how deep they sit.
    virtual std::vector<ChildControl> Descendants(std::string_view container) const = 0;

    // Key buttons: whether the rubber band of their picture panel has marked
    // them (apart from Selected, the button's own checked state); false for
    // any other control.
    virtual bool RectSelected(std::string_view name) const = 0;
    // Key buttons: the key-set mark, drawn over the button where a key has
    // been given a function of its own; false and no change for any other
    // control.
    virtual bool Marked(std::string_view name) const = 0;
    virtual void SetMarked(std::string_view name, bool marked) = 0;

    // The tip shown while the pointer rests on a control, as plain text.
    virtual std::string ToolTip(std::string_view name) const = 0;
    virtual void SetToolTip(std::string_view name, std::string_view text) = 0;

    // Background colour as 0xAARRGGBB (colour swatches, LED previews).
    virtual void SetColour(std::string_view name, std::uint32_t argb) = 0;
    virtual std::uint32_t Colour(std::string_view name) const = 0;

    // Per-control timers; each tick arrives as a "timer" notify event whose
    // wParam is the timer id.
    virtual void SetTimer(std::string_view name, int timerId, int periodMs) = 0;
    virtual void KillTimer(std::string_view name, int timerId) = 0;
};

}  // namespace vandrel::platform
