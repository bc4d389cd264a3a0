// A control that paints an LED preview colour of its own: the page view
// hands it the colour straight, without a style sheet, which would restyle
// the control at every change.
#pragma once

#include <cstdint>

namespace vandrel::ui {

class IPreviewColour {
public:
    virtual ~IPreviewColour() = default;
    // 0xAARRGGBB; an unchanged colour costs nothing.
    virtual void SetPreviewArgb(std::uint32_t argb) = 0;
    // 0 when none was set.
    virtual std::uint32_t PreviewArgb() const = 0;
};

}  // namespace vandrel::ui
