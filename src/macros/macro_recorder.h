// MacroRecorder: turns the keys and mouse buttons the window receives while
// a macro is recorded into event rows, placed at the end of the list, before
// or after the selected row, or in place of the selected row's key or button.
//
// Delays: in recorded time a row's delay is the time until the next event
// (the millisecond clock's), in constant time the constant delay, otherwise
// 0; the newest row waits with 0 until the next one arrives. A key held down
// gives one "down" row however often it repeats. A list takes at most
// kMaxRecordedRows rows.
//
// The window only sees its own key releases: when the recording stops or
// the window loses the focus, ReleaseHeld gives every key or button recorded
// down and not yet up its "up" row, so a macro never leaves one held.
//
// Pure logic over the rows it is given; the macro panel shows them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "macros/macro_file.h"
#include "platform/key_table.h"
#include "platform/millisecond_clock.h"

namespace vandrel::macros {

inline constexpr std::size_t kMaxRecordedRows = 4000;
inline constexpr std::uint8_t kKeyType = 10;      // a key, by its HID usage
inline constexpr std::uint8_t kModifierType = 9;  // a modifier key, by its bit
inline constexpr std::uint8_t kMouseButtonType = 1;

enum class Placement { Append, Before, After, Replace };
inline constexpr std::size_t kPlacements = 4;

enum class TimeMode { Recorded = 1, Constant = 2, None = 3 };

// The rows a recording works on and the selected row (-1: none).
struct RecordedRows {
    std::vector<MacroEvent> events;
    int selected = -1;
};

// Mouse buttons as the window reports them: the Windows-style message
// (0x201 left down ... 0x20C X button up) and, for the X buttons, which one
// (1 back, 2 forward).
struct MouseMessage {
    std::uint32_t message = 0;
    int xButton = 0;
};

class MacroRecorder {
public:
    explicit MacroRecorder(const platform::IMillisecondClock& clock) : clock_(clock) {}

    // A recording starts: its time mode and constant delay; the clock starts.
    void Begin(TimeMode mode, std::uint16_t constantDelay);

    // A key went down or up. True when the rows changed.
    bool RecordKey(Placement placement, const platform::KeyRecord& key, bool down, RecordedRows& rows);
    // A mouse button went down or up. True when the rows changed.
    bool RecordMouse(Placement placement, MouseMessage mouse, RecordedRows& rows);
    // The "up" rows of what was recorded down and is not up yet, placed as
    // `placement` places rows (a replacing recording adds none). True when
    // the rows changed.
    bool ReleaseHeld(Placement placement, RecordedRows& rows);

private:
    struct Held {
        std::uint8_t type = 0;
        std::uint8_t button = 0;
        bool operator==(const Held&) const = default;
    };

    bool Place(Placement placement, const MacroEvent& event, RecordedRows& rows);
    std::uint16_t NextDelay();
    void NoteHeld(const MacroEvent& event);

    const platform::IMillisecondClock& clock_;
    TimeMode mode_ = TimeMode::Recorded;
    std::uint16_t constantDelay_ = 0;
    std::uint64_t startMs_ = 0;
    // Set by the first row ever recorded; from then on a new row gives the
    // row before it its delay.
    bool rowPending_ = false;
    // Per placement: the key last pressed (scan code, extended), the mouse
    // message last taken.
    std::array<std::optional<std::pair<std::uint8_t, bool>>, kPlacements> lastKey_{};
    std::array<std::optional<std::uint32_t>, kPlacements> lastMouse_{};
    std::vector<Held> held_;  // in the order they went down
};

// The mouse message's event: type 1 with the button bit, "down" or "up";
// nothing for a message or X button that is no button.
std::optional<MacroEvent> MouseEvent(MouseMessage mouse);
// The key's event: type 10 with its HID usage, or type 9 with its modifier
// bit; nothing for a key the catalogue cannot record.
std::optional<MacroEvent> KeyEvent(const platform::KeyRecord& key, bool down);

}  // namespace vandrel::macros
