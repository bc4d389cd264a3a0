#include "macros/macro_recorder.h"

#include <algorithm>
#include <iterator>

#include "keys/key_catalogue.h"

namespace vandrel::macros {
namespace {

constexpr std::uint16_t kLongestDelay = 65535;

struct MouseRow {
    std::uint32_t message;
    int xButton;  // 0: any
    std::uint8_t button;
    bool down;
};

// Left, right and middle by message; the X buttons by message and button.
constexpr std::array<MouseRow, 10> kMouseRows{{
    {0x201, 0, 0x01, true},
    {0x202, 0, 0x01, false},
    {0x204, 0, 0x02, true},
    {0x205, 0, 0x02, false},
    {0x207, 0, 0x04, true},
    {0x208, 0, 0x04, false},
    {0x20B, 2, 0x10, true},
    {0x20C, 2, 0x10, false},
    {0x20B, 1, 0x08, true},
    {0x20C, 1, 0x08, false},
}};

std::size_t Index(Placement placement) { return static_cast<std::size_t>(placement); }

bool ValidSelection(const RecordedRows& rows) {
    return rows.selected >= 0 && static_cast<std::size_t>(rows.selected) < rows.events.size();
}

}  // namespace

std::optional<MacroEvent> MouseEvent(MouseMessage mouse) {
    const auto row = std::ranges::find_if(kMouseRows, [&](const MouseRow& r) {
        return r.message == mouse.message && (r.xButton == 0 || r.xButton == mouse.xButton);
    });
    if (row == kMouseRows.end()) return std::nullopt;
    return MacroEvent{kMouseButtonType, row->button, row->down, 0};
}

std::optional<MacroEvent> KeyEvent(const platform::KeyRecord& key, bool down) {
    const std::optional<std::size_t> entry = keys::FindByScanCode(key.scanCode, key.extended);
    if (!entry) return std::nullopt;
    const keys::KeyCode& code = keys::KeyCatalogue()[*entry].code;
    if (code.code2 != 0) return MacroEvent{kKeyType, code.code2, down, 0};
    return MacroEvent{kModifierType, code.code1, down, 0};
}

void MacroRecorder::Begin(TimeMode mode, std::uint16_t constantDelay) {
    mode_ = mode;
    constantDelay_ = constantDelay;
    startMs_ = clock_.NowMs();
    lastKey_ = {};
    lastMouse_ = {};
    held_.clear();
}

bool MacroRecorder::RecordKey(Placement placement, const platform::KeyRecord& key, bool down, RecordedRows& rows) {
    // A key held down repeats its press: one row for it.
    std::optional<std::pair<std::uint8_t, bool>>& last = lastKey_[Index(placement)];
    const std::pair<std::uint8_t, bool> id{key.scanCode, key.extended};
    if (down) {
        if (last == id) return false;
        last = id;
    } else if (last == id) {
        last.reset();
    }
    const std::optional<MacroEvent> event = KeyEvent(key, down);
    return event && Place(placement, *event, rows);
}

bool MacroRecorder::RecordMouse(Placement placement, MouseMessage mouse, RecordedRows& rows) {
    const std::optional<MacroEvent> event = MouseEvent(mouse);
    if (!event) return false;
    std::optional<std::uint32_t>& last = lastMouse_[Index(placement)];
    if (last == mouse.message) return false;
    last = mouse.message;
    return Place(placement, *event, rows);
}

bool MacroRecorder::ReleaseHeld(Placement placement, RecordedRows& rows) {
    if (placement == Placement::Replace) return false;
    const std::vector<Held> held = held_;
    bool changed = false;
    for (const Held& h : held) changed = Place(placement, {h.type, h.button, false, 0}, rows) || changed;
    held_.clear();
    lastKey_[Index(placement)].reset();
    lastMouse_[Index(placement)].reset();
    return changed;
}

std::uint16_t MacroRecorder::NextDelay() {
    switch (mode_) {
        case TimeMode::Recorded: {
            const std::uint64_t now = clock_.NowMs();
            const std::uint64_t elapsed = now - startMs_;
            startMs_ = now;
            return static_cast<std::uint16_t>(std::min<std::uint64_t>(elapsed, kLongestDelay));
        }
        case TimeMode::Constant: return constantDelay_;
        case TimeMode::None: break;
    }
    return 0;
}

void MacroRecorder::NoteHeld(const MacroEvent& event) {
    const Held h{event.type, event.button};
    const auto found = std::ranges::find(held_, h);
    if (event.down && found == held_.end()) held_.push_back(h);
    if (!event.down && found != held_.end()) held_.erase(found);
}

bool MacroRecorder::Place(Placement placement, const MacroEvent& event, RecordedRows& rows) {
    if (placement == Placement::Replace) {
        // The selected row takes the key or button; its action and delay stay.
        if (!ValidSelection(rows)) return false;
        MacroEvent& row = rows.events[static_cast<std::size_t>(rows.selected)];
        row.type = event.type;
        row.button = event.button;
        return true;
    }
    if (rows.events.size() >= kMaxRecordedRows) return false;
    if (placement != Placement::Append && !ValidSelection(rows)) return false;
    const std::size_t selected = static_cast<std::size_t>(std::max(rows.selected, 0));
    const std::size_t at = placement == Placement::Append   ? rows.events.size()
                           : placement == Placement::Before ? selected
                                                            : selected + 1;
    const std::uint16_t delay = NextDelay();
    const bool firstRow = placement == Placement::Before ? at == 0 : rows.events.empty();
    MacroEvent row = event;
    row.delay = !firstRow && mode_ == TimeMode::Constant ? constantDelay_ : 0;
    rows.events.insert(rows.events.begin() + static_cast<std::ptrdiff_t>(at), row);
    // The row before the new one waited for it.
    if (!firstRow && rowPending_ && at > 0) rows.events[at - 1].delay = delay;
    rowPending_ = true;
    rows.selected = placement == Placement::Append   ? static_cast<int>(rows.events.size() - 1)
                    : placement == Placement::Before ? static_cast<int>(at + 1)
                                                     : static_cast<int>(at);
    NoteHeld(event);
    return true;
}

}  // namespace vandrel::macros
