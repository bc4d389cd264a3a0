#include "ui/controls/device_power.h"

#include <algorithm>
#include <array>
#include <optional>

#include <QLabel>
#include <QPixmap>
#include <QProgressBar>

#include "profiles/device_profile_ui.h"
#include "ui/controls/image_description.h"
#include "ui/find_control.h"
#include "ui/text_resources.h"

namespace vandrel::ui {
namespace {

// By charging state (byte 1). The wireless picture hides the progress bar.
struct ChargeRow {
    std::uint8_t state;
    const char* image;
    const char* wirelessImage;  // nullptr: as image
};
constexpr ChargeRow kChargeRows[] = {
    {0, "file='power/powered.png'", nullptr},
    {1, "file='power/powering.png'", "file='power/wuxian_powering.png'"},
    {2, "file='power/power.png'", nullptr},
};

// By the phone on a mouse pad (byte 5); anything else is no phone.
struct PhoneRow {
    std::uint8_t code;
    const char* tooltipId;
    const char* image;
};
constexpr PhoneRow kPhones[] = {
    {1, "Phone_type_iphone", "file='power/Phone_type_iphone.png'"},
    {2, "Phone_type_samsung", "file='power/Phone_type_samsung.png'"},
    {3, "Phone_type_other", "file='power/Phone_type_other.png'"},
};
constexpr PhoneRow kNoPhone{0, "Phone_type_no_device", "file='power/Phone_type_no_device.png'"};

}  // namespace

void ShowImage(QLabel* label, const QString& description) {
    if (label == nullptr) return;
    label->setProperty(kImageProperty, description);
    const QPixmap picture = SkinPixmap(ParseImageDescription(description).file);
    if (picture.isNull()) label->clear();
    else label->setPixmap(picture);
}

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent) : QWidget(parent) {}

void CMpDevicePowerUI::SetKind(int kind, int subKind) {
    kind_ = kind;
    subKind_ = subKind;
}

void CMpDevicePowerUI::Show(bool on) {
    if (QWidget* panel = FindControl(this, QStringLiteral("device_power_Layout"))) panel->setVisible(on);
}

void CMpDevicePowerUI::Update(const std::uint8_t* report, std::size_t length) {
    QWidget* panel = FindControl(this, QStringLiteral("device_power_Layout"));
    auto* value = qobject_cast<QLabel*>(FindControl(this, QStringLiteral("device_power_value")));
    auto* progress = qobject_cast<QProgressBar*>(FindControl(this, QStringLiteral("device_Power_progress")));
    auto* status = qobject_cast<QLabel*>(FindControl(this, QStringLiteral("device_power_status")));
    auto* logo = qobject_cast<QLabel*>(FindControl(this, QStringLiteral("device_wuxian_logo")));
    if (panel == nullptr || value == nullptr || progress == nullptr || status == nullptr || logo == nullptr) return;

    std::array<std::uint8_t, kReportCapacity> bytes{};
    if (report != nullptr) std::copy_n(report, std::min(length, bytes.size()), bytes.begin());
    const int level = bytes[0];

    progress->setRange(0, 100);
    progress->setValue(std::clamp(100 - level, 0, 100));
    value->setText(QString::number(level) + QLatin1Char('%'));

    wireless_ = bytes[3] != 0;
    if (kind_ == profiles::kKindMouse) logo->setVisible(wireless_);

    const auto row = std::ranges::find(kChargeRows, bytes[1], &ChargeRow::state);
    if (row != std::end(kChargeRows)) {
        const bool wirelessCharging = wireless_ && row->wirelessImage != nullptr;
        progress->setVisible(!wirelessCharging);
        ShowImage(status, QString::fromLatin1(wirelessCharging ? row->wirelessImage : row->image));
    }

    if (kind_ == profiles::kKindMousePad) {
        auto* phone = qobject_cast<QLabel*>(FindControl(this, QStringLiteral("device_phone_type")));
        const auto found = std::ranges::find(kPhones, bytes[5], &PhoneRow::code);
        const PhoneRow& shown = found != std::end(kPhones) ? *found : kNoPhone;
        if (phone != nullptr) {
            phone->setVisible(true);
            SetTooltipId(phone, QString::fromLatin1(shown.tooltipId));
            ShowImage(phone, QString::fromLatin1(shown.image));
        }
    }
}

}  // namespace vandrel::ui
