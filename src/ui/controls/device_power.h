// CMpDevicePowerUI ("MpDevicePower"): a device's battery and charging state
// on its page, from the six-byte power report of the device:
//   byte 0 level in percent, byte 1 0 charged / 1 charging / 2 on battery,
//   byte 3 1 over the wireless link, byte 5 (mouse pads) the phone on the
//   charging surface.
// Sub-controls: "device_power_Layout", "device_power_value",
// "device_Power_progress", "device_power_status", "device_wuxian_logo",
// "device_phone_type". An update needs all of the first five.
#pragma once

#include <cstddef>
#include <cstdint>

#include <QString>
#include <QWidget>

class QLabel;

namespace vandrel::ui {

// The image description a picture label shows, in the dynamic property
// "image" ("file='power/powered.png'").
inline constexpr const char* kImageProperty = "image";

// Shows an image description's file on a label (nothing when it is missing)
// and keeps the description in the label's "image" property.
void ShowImage(QLabel* label, const QString& description);

class CMpDevicePowerUI : public QWidget {
    Q_OBJECT

public:
    static constexpr std::size_t kReportCapacity = 64;

    explicit CMpDevicePowerUI(QWidget* parent = nullptr);

    // A kind number of the panels (profiles::kKind...).
    void SetKind(int kind, int subKind);
    int Kind() const { return kind_; }
    void Show(bool on);
    void Update(const std::uint8_t* report, std::size_t length);
    bool Wireless() const { return wireless_; }

private:
    int kind_ = 0;
    int subKind_ = 0;
    bool wireless_ = false;
};

}  // namespace vandrel::ui
