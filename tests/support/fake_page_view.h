// A page view for tests: every control is an entry of a map, created by Add.
// Operations on a name that was not added do nothing and read as empty, 0 or
// false, as on a real page. Tests set up the controls a piece of logic needs,
// run it, and look at the controls through Find.
//
// Behaviour worth knowing when writing a test:
// - SetValue clamps to the range of SetRange (no clamping before a range is set);
// - SetCurrentIndex outside the items (or the rows of a table) selects none (-1);
// - SetItems and SetRows keep the current index while it still names an item
//   or row, else -1;
// - any control takes a mark (SetMarked) and a tool tip; a test adds only the
//   controls the logic should reach;
// - SetTextId and SetItemTexts look nothing up: the control keeps the id as
//   its text and marks it as an id (textIsId, itemIsId), so a test sees
//   whether logic asked for a language text or for a literal one.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/page_view.h"

namespace vandrel::testing {

class FakePageView : public platform::IPageView {
public:
    struct Control {
        int value = 0;
        int minimum = INT_MIN;
        int maximum = INT_MAX;
        std::string text;
        bool textIsId = false;  // text is a language text id, set by SetTextId
        bool selected = false;
        bool visible = true;
        bool enabled = true;
        std::vector<std::string> items;
        std::vector<bool> itemIsId;  // parallel to items: set by SetItemTexts
        int currentIndex = -1;
        int currentPage = 0;
        std::uint32_t colour = 0;
        std::map<int, int> timers;      // timer id -> period in ms
        std::vector<bool> itemVisible;  // parallel to items; missing entries are visible
        std::string className;
        std::string userData;
        std::string parent;         // container name; Children lists by it, in name order
        bool rectSelected = false;  // a key button marked by a rubber band
        bool marked = false;        // a key button's key-set mark
        std::string toolTip;
        std::vector<platform::ListRow> rows;  // a table's rows
    };

    FakePageView() = default;
    FakePageView(std::initializer_list<std::string_view> names) {
        for (const std::string_view name : names) Add(name);
    }

    Control& Add(std::string_view name) { return controls_[std::string(name)]; }
    void Remove(std::string_view name) {
        if (const auto it = controls_.find(name); it != controls_.end()) controls_.erase(it);
    }
    Control* Find(std::string_view name) {
        const auto it = controls_.find(name);
        return it == controls_.end() ? nullptr : &it->second;
    }
    const Control* Find(std::string_view name) const {
        const auto it = controls_.find(name);
        return it == controls_.end() ? nullptr : &it->second;
    }

    bool HasControl(std::string_view name) const override { return Find(name) != nullptr; }

    int Value(std::string_view name) const override { return Read(name, &Control::value, 0); }
    void SetValue(std::string_view name, int value) override {
        Change(name, [value](Control& c) { c.value = std::clamp(value, c.minimum, std::max(c.minimum, c.maximum)); });
    }
    void SetRange(std::string_view name, int minimum, int maximum) override {
        Change(name, [minimum, maximum](Control& c) {
            c.minimum = minimum;
            c.maximum = maximum;
            c.value = std::clamp(c.value, minimum, std::max(minimum, maximum));
        });
    }

    std::string Text(std::string_view name) const override { return Read(name, &Control::text, std::string()); }
    void SetText(std::string_view name, std::string_view text) override {
        Change(name, [text](Control& c) {
            c.text = std::string(text);
            c.textIsId = false;
        });
    }
    void SetTextId(std::string_view name, std::string_view id) override {
        Change(name, [id](Control& c) {
            c.text = std::string(id);
            c.textIsId = true;
        });
    }

    bool Selected(std::string_view name) const override { return Read(name, &Control::selected, false); }
    void SetSelected(std::string_view name, bool selected) override {
        Change(name, [selected](Control& c) { c.selected = selected; });
    }

    bool Visible(std::string_view name) const override { return Read(name, &Control::visible, false); }
    void SetVisible(std::string_view name, bool visible) override {
        Change(name, [visible](Control& c) { c.visible = visible; });
    }
    bool Enabled(std::string_view name) const override { return Read(name, &Control::enabled, false); }
    void SetEnabled(std::string_view name, bool enabled) override {
        Change(name, [enabled](Control& c) { c.enabled = enabled; });
    }

    std::vector<std::string> Items(std::string_view name) const override {
        return Read(name, &Control::items, std::vector<std::string>());
    }
    void SetItems(std::string_view name, const std::vector<std::string>& items) override {
        std::vector<platform::ItemText> literal;
        for (const std::string& item : items) literal.push_back(platform::ItemText::Literal(item));
        SetItemTexts(name, literal);
    }
    void SetItemTexts(std::string_view name, const std::vector<platform::ItemText>& items) override {
        Change(name, [&items](Control& c) {
            c.itemVisible.clear();
            c.items.clear();
            c.itemIsId.clear();
            for (const platform::ItemText& item : items) {
                c.items.push_back(item.text);
                c.itemIsId.push_back(item.isTextId);
            }
            if (c.currentIndex >= Count(c)) c.currentIndex = -1;
        });
    }
    void SetItemVisible(std::string_view name, int index, bool visible) override {
        Change(name, [index, visible](Control& c) {
            if (index < 0 || index >= static_cast<int>(c.items.size())) return;
            c.itemVisible.resize(c.items.size(), true);
            c.itemVisible[static_cast<std::size_t>(index)] = visible;
        });
    }
    bool ItemVisible(std::string_view name, int index) const override {
        const Control* c = Find(name);
        if (!c || index < 0 || index >= static_cast<int>(c->items.size())) return false;
        return static_cast<std::size_t>(index) >= c->itemVisible.size() ||
               c->itemVisible[static_cast<std::size_t>(index)];
    }
    int CurrentIndex(std::string_view name) const override { return Read(name, &Control::currentIndex, -1); }
    void SetCurrentIndex(std::string_view name, int index) override {
        Change(name, [index](Control& c) { c.currentIndex = (index >= 0 && index < Count(c)) ? index : -1; });
    }

    std::vector<platform::ListRow> Rows(std::string_view name) const override {
        return Read(name, &Control::rows, std::vector<platform::ListRow>());
    }
    void SetRows(std::string_view name, const std::vector<platform::ListRow>& rows) override {
        Change(name, [&rows](Control& c) {
            c.rows = rows;
            if (c.currentIndex >= Count(c)) c.currentIndex = -1;
        });
    }

    int CurrentPage(std::string_view name) const override { return Read(name, &Control::currentPage, 0); }
    void SetCurrentPage(std::string_view name, int page) override {
        Change(name, [page](Control& c) { c.currentPage = page; });
    }

    std::vector<platform::ChildControl> Children(std::string_view container) const override {
        std::vector<platform::ChildControl> children;
        for (const auto& [name, control] : controls_)
            if (control.parent == container) children.push_back({name, control.className, control.userData});
        return children;
    }

    // Each child followed by its own descendants, children in name order.
    std::vector<platform::ChildControl> Descendants(std::string_view container) const override {
        std::vector<platform::ChildControl> found;
        for (platform::ChildControl& child : Children(container)) {
            const std::string name = child.name;
            found.push_back(std::move(child));
            // A control that is its own parent would never end.
            if (name == container) continue;
            for (platform::ChildControl& below : Descendants(name)) found.push_back(std::move(below));
        }
        return found;
    }

    bool RectSelected(std::string_view name) const override { return Read(name, &Control::rectSelected, false); }
    bool Marked(std::string_view name) const override { return Read(name, &Control::marked, false); }
    void SetMarked(std::string_view name, bool marked) override {
        Change(name, [marked](Control& c) { c.marked = marked; });
    }

    std::string ToolTip(std::string_view name) const override { return Read(name, &Control::toolTip, std::string()); }
    void SetToolTip(std::string_view name, std::string_view text) override {
        Change(name, [text](Control& c) { c.toolTip = std::string(text); });
    }

    void SetColour(std::string_view name, std::uint32_t argb) override {
        Change(name, [argb](Control& c) { c.colour = argb; });
    }
    std::uint32_t Colour(std::string_view name) const override { return Read(name, &Control::colour, 0u); }

    void SetTimer(std::string_view name, int timerId, int periodMs) override {
        Change(name, [timerId, periodMs](Control& c) { c.timers[timerId] = periodMs; });
    }
    void KillTimer(std::string_view name, int timerId) override {
        Change(name, [timerId](Control& c) { c.timers.erase(timerId); });
    }

private:
    // Items of a list or combo, rows of a table: whichever the control has.
    static int Count(const Control& c) { return static_cast<int>(std::max(c.items.size(), c.rows.size())); }

    template <typename T>
    T Read(std::string_view name, T Control::*field, T missing) const {
        const Control* control = Find(name);
        return control == nullptr ? missing : control->*field;
    }
    void Change(std::string_view name, const std::function<void(Control&)>& change) {
        if (Control* control = Find(name)) change(*control);
    }

    std::map<std::string, Control, std::less<>> controls_;
};

}  // namespace vandrel::testing
