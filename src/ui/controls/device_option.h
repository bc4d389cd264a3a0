// CDeviceOptionUI ("DeviceOption"): the tab button of one attached device.
// It shows the device kind's icons and name, binds the tab to the device's
// page, marks the device for synchronised lighting, and hosts the device's
// connection-watch timers (1000-1007): it is the device's IDeviceHost.
//
// Sub-controls, found on first use: "device_select" (the tab option),
// "synchro_device_select" (the synchronised-lighting mark) and
// "device_select_name" (the name label).
#pragma once

#include <functional>
#include <map>
#include <memory>

#include <QString>
#include <QWidget>

#include "devices/device_host.h"

class QAbstractButton;
class QLabel;
class QTimer;

namespace vandrel::devices {
class CMorvaneUSBDevice;
}

namespace vandrel::ui {

// The four icons and the tooltip text id of a device kind.
struct KindIcons {
    QString normal;
    QString selected;
    QString synchroNormal;
    QString synchroSelected;
    QString tooltipId;
};

// The icon stem of a kind and sub-kind; nothing for a mouse pad whose sub-kind
// is neither soft (1) nor hard (0): it keeps the icons it had.
std::optional<QString> KindIconStem(int kind, int subKind);
KindIcons IconsOfStem(const QString& stem);

class CDeviceOptionUI : public QWidget, public devices::IDeviceHost {
    Q_OBJECT

public:
    using MessageSink = std::function<void(devices::DeviceMessage message, std::intptr_t wParam, std::intptr_t lParam)>;

    explicit CDeviceOptionUI(QWidget* parent = nullptr);
    ~CDeviceOptionUI() override;

    void SetKind(int kind, int subKind);
    int Kind() const { return kind_; }
    int SubKind() const { return subKind_; }
    const KindIcons& Icons() const { return icons_; }
    // The icons "device_select" shows now (plain or synchronised pair).
    QString ShownNormalIcon() const { return shownNormal_; }
    QString ShownSelectedIcon() const { return shownSelected_; }

    void SetSynchronised(bool on);
    bool IsSynchronised() const;
    void ShowSynchronisedMark(bool on);

    void SelectTab(bool on);
    bool IsSelected() const;
    void BindTab(const QString& tabLayoutName, int pageIndex);
    int BoundPageIndex() const;  // -1 without "device_select"
    const QString& BoundTabLayout() const { return tabLayout_; }
    void SetGroup(const QString& name);
    void SetNameText(const QString& text);
    void SetDeviceName(const QString& name, int index);
    const QString& DeviceName() const { return deviceName_; }
    int DeviceIndex() const { return deviceIndex_; }

    devices::CMorvaneUSBDevice* Device() const { return device_; }
    void SetDevice(devices::CMorvaneUSBDevice* device);

    // Where the device's messages to the main window go (UI thread).
    void SetMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }
    bool IsTimerArmed(devices::TimerId timer) const;
    // Stops every timer and forgets the device: called before the device goes.
    void Detach();

    // IDeviceHost
    void ArmTimer(devices::TimerId timer, int periodMs) override;
    void KillTimer(devices::TimerId timer) override;
    bool OptionVisible() const override { return visibleFlag_; }
    void ShowOption(bool visible) override;
    bool OptionSelected() const override { return IsSelected(); }
    void PostMainMessage(devices::DeviceMessage message, std::intptr_t wParam, std::intptr_t lParam) override;

private:
    QAbstractButton* Select() const;
    QAbstractButton* SynchroMark() const;
    void ShowIcons();
    void ArmOnUiThread(devices::TimerId timer, int periodMs);
    void Fire(devices::TimerId timer);

    int kind_ = 0;
    int subKind_ = 0;
    bool visibleFlag_ = true;
    QString deviceName_;
    int deviceIndex_ = -1;
    QString tabLayout_;
    int pageIndex_ = -1;
    KindIcons icons_;
    QString shownNormal_;
    QString shownSelected_;
    devices::CMorvaneUSBDevice* device_ = nullptr;
    MessageSink messageSink_;
    std::map<devices::TimerId, std::unique_ptr<QTimer>> timers_;
};

}  // namespace vandrel::ui
