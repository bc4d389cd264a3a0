// Key capture for the key-assignment panel and macro recording: a key press
// the window receives, by its native scan code, becomes the record of the
// Windows-style hook when it is a key that can be captured.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/key_table.h"

namespace vandrel::platform {

class KeyCapture {
public:
    // `nativeOffset`: what the window system adds to the evdev code (8 under
    // X11 and Wayland).
    explicit KeyCapture(std::uint32_t nativeOffset = kNativeScanCodeOffset) : nativeOffset_(nativeOffset) {}

    // The hook's record of a key press; nothing for a key the table does not
    // list and for one whose virtual key is 0 or 0xFF (no capture takes it).
    std::optional<KeyRecord> Press(std::uint32_t nativeScanCode) const;

private:
    std::uint32_t nativeOffset_;
};

}  // namespace vandrel::platform
