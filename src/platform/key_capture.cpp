#include "platform/key_capture.h"

namespace vandrel::platform {

std::optional<KeyRecord> KeyCapture::Press(std::uint32_t nativeScanCode) const {
    if (nativeScanCode < nativeOffset_) return std::nullopt;
    const std::optional<KeyRecord> record = KeyRecordForEvdevCode(nativeScanCode - nativeOffset_);
    if (!record || record->virtualKey == 0 || record->virtualKey == kNotCapturableVirtualKey) return std::nullopt;
    return record;
}

}  // namespace vandrel::platform
