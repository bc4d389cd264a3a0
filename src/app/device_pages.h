// DevicePages: what the main window builds for a device kind the first time
// one of its devices arrives. From the skin it loads the kind's power panel
// (into "device_power_switch"), its tab button (into "device_select_layout",
// hidden) and its page (into "device_switch"); then it makes the device
// object, which drives that page through a page view.
//
// The device class of each kind comes from a table of creators; a kind whose
// class is not there yet gets the device base, which shows the tab and page.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include <QPointer>
#include <QWidget>

#include "devices/device_manager.h"
#include "ui/controls/device_option.h"
#include "ui/controls/device_power.h"
#include "ui/control_factory.h"
#include "ui/widget_page_view.h"

namespace vandrel::app {

inline constexpr const char* kTabContainer = "device_select_layout";
inline constexpr const char* kPageSwitch = "device_switch";
inline constexpr const char* kPowerSwitch = "device_power_switch";
inline constexpr std::size_t kKindCount = 4;

using DeviceCreator = std::function<std::unique_ptr<devices::CMorvaneUSBDevice>(platform::IHidBackend&)>;

// What was built for one kind.
struct KindWidgets {
    QPointer<ui::CDeviceOptionUI> option;
    QPointer<ui::CMpDevicePowerUI> power;
    QPointer<QWidget> page;
    std::unique_ptr<ui::WidgetPageView> pageView;
    int pageIndex = -1;
    int powerIndex = -1;
};

class DevicePages : public devices::IDeviceFactory {
public:
    using NotifySink = ui::WidgetPageView::NotifySink;
    using MessageSink = ui::CDeviceOptionUI::MessageSink;

    // window: the main window's layout root, holding the three containers.
    // The device pages' events go to notify; the devices' messages to messages.
    // windowView: the window's own view, which takes on each tab button.
    DevicePages(QWidget& window, ui::WidgetPageView& windowView, platform::IHidBackend& backend,
                const ui::ControlFactory& windowTags, NotifySink notify, MessageSink messages);
    ~DevicePages() override;

    void SetCreator(std::size_t kindRow, DeviceCreator creator);

    std::optional<devices::DeviceObjects> Create(std::size_t kindRow) override;
    void AttachPage(std::size_t kindRow, devices::CMorvaneUSBDevice& device) override;

    // Stops the tab timers and unlinks the devices: before the devices go.
    void DetachDevices();

    const KindWidgets* Widgets(std::size_t kindRow) const;
    // The kind whose tab this is.
    std::optional<std::size_t> KindOfOption(const ui::CDeviceOptionUI* option) const;

private:
    QWidget* Load(const QString& layout, QWidget* parent) const;

    QWidget& window_;
    ui::WidgetPageView& windowView_;
    platform::IHidBackend& backend_;
    const ui::ControlFactory& windowTags_;
    NotifySink notify_;
    MessageSink messages_;
    std::array<DeviceCreator, kKindCount> creators_;
    std::array<KindWidgets, kKindCount> kinds_;
};

}  // namespace vandrel::app
