// DevicePages: what the main window builds for a device kind the first time
// one of its devices arrives. From the skin it loads the kind's power panel
// (into "device_power_switch") and its tab button (into
// "device_select_layout", hidden), and gives its page a place in
// "device_switch"; then it makes the device object, which drives that page
// through a page view.
//
// A page is built later than its place: the first frame shows only the page
// of the selected tab. A page is built when the page switch first turns to
// it; the others one at a time once the window has painted, or, in a window
// that does not paint (started in the tray, tests), kPageDeadlineMs after
// their device arrived. The device is given its page when the page is built,
// always before its first synchronisation reads the page.
//
// The device class of each kind comes from the device kind registry; a kind
// whose class is not there yet gets the device base, which shows the tab and
// page.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include <QPointer>
#include <QWidget>

#include "device_io/device_tables.h"
#include "devices/device_manager.h"
#include "devices/device_option_timers.h"
#include "ui/control_factory.h"
#include "ui/controls/device_option.h"
#include "ui/controls/device_power.h"
#include "ui/widget_page_view.h"

namespace vandrel::app {

inline constexpr const char* kTabContainer = "device_select_layout";
inline constexpr const char* kPageSwitch = "device_switch";
inline constexpr const char* kPowerSwitch = "device_power_switch";
// At the latest this long after its device arrived a page is built; the
// device reads its page from its first synchronisation on.
inline constexpr int kPageDeadlineMs = devices::period::kFirstSyncMs / 2;

// What was built for one kind.
struct KindWidgets {
    QPointer<ui::CDeviceOptionUI> option;
    QPointer<ui::CMpDevicePowerUI> power;
    QPointer<QWidget> page;                        // the page's layout root, once built
    std::unique_ptr<ui::WidgetPageView> pageView;  // over the page, once built
    int pageIndex = -1;                            // of the page's place in the page switch
    int powerIndex = -1;
};

class PageSchedule;

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

    std::optional<devices::DeviceObjects> Create(device_io::KindRow kindRow) override;
    void AttachPage(device_io::KindRow kindRow, devices::CMorvaneUSBDevice& device) override;

    // Stops the tab timers and unlinks the devices: before the devices go.
    void DetachDevices();
    // Told each time a device is attached to its built page (its panels exist from then on).
    void SetPageAttached(std::function<void()> attached) { attached_ = std::move(attached); }

    // Never null.
    const KindWidgets* Widgets(device_io::KindRow kindRow) const;
    // The kind whose tab this is.
    std::optional<device_io::KindRow> KindOfOption(const ui::CDeviceOptionUI* option) const;

private:
    // A page not built yet: its place in the page switch, and its device once
    // that is there.
    struct WaitingPage {
        QPointer<QWidget> place;
        devices::CMorvaneUSBDevice* device = nullptr;
    };

    QWidget* Load(const QString& layout, QWidget* parent) const;
    // Builds the page of a kind if it is still waiting, and gives it its device.
    void BuildPage(device_io::KindRow kindRow);
    // Builds one waiting page; false when none waits.
    bool BuildNextPage();
    void OnPageShown(int pageIndex);
    // A power-state read of a kind's device, for its power panel.
    void ShowPower(device_io::KindRow kindRow, std::span<const std::uint8_t> report);

    QWidget& window_;
    ui::WidgetPageView& windowView_;
    platform::IHidBackend& backend_;
    const ui::ControlFactory& windowTags_;
    NotifySink notify_;
    MessageSink messages_;
    std::function<void()> attached_;
    // By Index of the kind row.
    std::array<KindWidgets, device_io::kKindCount> kinds_;
    std::array<WaitingPage, device_io::kKindCount> waiting_;
    std::unique_ptr<PageSchedule> schedule_;
};

}  // namespace vandrel::app
