#include "ui/controls/device_option.h"

#include <optional>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QIcon>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include "devices/device_option_timers.h"
#include "devices/usb_device.h"
#include "profiles/device_profile_ui.h"
#include "ui/find_control.h"
#include "ui/skin.h"
#include "ui/text_resources.h"

namespace vandrel::ui {
namespace {

struct StemRow {
    int kind;
    std::optional<int> subKind;  // nothing: any
    const char* stem;            // nullptr: keep the icons
};

// A mouse pad's sub-kind: soft (1) or hard (0).
constexpr int kSoftPad = 1;
constexpr int kHardPad = 0;

// First match wins; a kind in no row is an unknown device.
constexpr StemRow kStems[] = {
    {profiles::kKindKeyboard, std::nullopt, "kb"},    {profiles::kKindMouse, std::nullopt, "ms"},
    {profiles::kKindMousePad, kSoftPad, "soft_mp"},   {profiles::kKindMousePad, kHardPad, "hard_mp"},
    {profiles::kKindMousePad, std::nullopt, nullptr}, {profiles::kKindOtherHeadset, std::nullopt, "hd"},
    {profiles::kKindHeadset, std::nullopt, "hd"},     {profiles::kKindHub, std::nullopt, "hub"},
};
constexpr const char* kUnknownStem = "unknow";

// Option groups by name: tabs in different containers still exclude each other.
QButtonGroup& GroupNamed(const QString& name) {
    static std::map<QString, std::unique_ptr<QButtonGroup>> groups;
    auto& group = groups[name];
    if (!group) {
        group = std::make_unique<QButtonGroup>();
        group->setExclusive(true);
    }
    return *group;
}

QIcon TwoStateIcon(const QString& normal, const QString& selected) {
    QIcon icon;
    const QString n = Skin::Instance().FilePath(normal);
    const QString s = Skin::Instance().FilePath(selected);
    icon.addFile(n, {}, QIcon::Normal, QIcon::Off);
    icon.addFile(n, {}, QIcon::Disabled, QIcon::Off);
    icon.addFile(s, {}, QIcon::Normal, QIcon::On);
    icon.addFile(s, {}, QIcon::Active, QIcon::On);
    return icon;
}

}  // namespace

std::optional<QString> KindIconStem(int kind, int subKind) {
    for (const StemRow& row : kStems) {
        if (row.kind != kind || (row.subKind && *row.subKind != subKind)) continue;
        if (row.stem == nullptr) return std::nullopt;
        return QString::fromLatin1(row.stem);
    }
    return QString::fromLatin1(kUnknownStem);
}

KindIcons IconsOfStem(const QString& stem) {
    const QString base = QStringLiteral("common/device_ico/") + stem;
    return {base + QStringLiteral("_device_normal.png"), base + QStringLiteral("_device_selected.png"),
            base + QStringLiteral("_device_synchro_normal.png"), base + QStringLiteral("_device_synchro_selected.png"),
            stem + QStringLiteral("_device_name_text")};
}

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent) : QWidget(parent), icons_(IconsOfStem(kUnknownStem)) {}

CDeviceOptionUI::~CDeviceOptionUI() = default;

QAbstractButton* CDeviceOptionUI::Select() const {
    return qobject_cast<QAbstractButton*>(
        FindControlBelow(const_cast<CDeviceOptionUI*>(this), QStringLiteral("device_select")));
}

QAbstractButton* CDeviceOptionUI::SynchroMark() const {
    return qobject_cast<QAbstractButton*>(
        FindControlBelow(const_cast<CDeviceOptionUI*>(this), QStringLiteral("synchro_device_select")));
}

void CDeviceOptionUI::SetKind(int kind, int subKind) {
    kind_ = kind;
    subKind_ = subKind;
    const std::optional<QString> stem = KindIconStem(kind, subKind);
    if (!stem) return;
    icons_ = IconsOfStem(*stem);
    if (QAbstractButton* select = Select()) SetTooltipId(select, icons_.tooltipId);
    ShowIcons();
}

void CDeviceOptionUI::ShowIcons() {
    const bool synchro = IsSynchronised();
    shownNormal_ = synchro ? icons_.synchroNormal : icons_.normal;
    shownSelected_ = synchro ? icons_.synchroSelected : icons_.selected;
    if (QAbstractButton* select = Select()) select->setIcon(TwoStateIcon(shownNormal_, shownSelected_));
}

void CDeviceOptionUI::SetSynchronised(bool on) {
    if (QAbstractButton* mark = SynchroMark()) {
        mark->setCheckable(true);
        mark->setChecked(on);
    }
    ShowIcons();
}

bool CDeviceOptionUI::IsSynchronised() const {
    const QAbstractButton* mark = SynchroMark();
    return mark != nullptr && mark->isChecked();
}

void CDeviceOptionUI::ShowSynchronisedMark(bool on) {
    if (QAbstractButton* mark = SynchroMark()) mark->setVisible(on);
    ShowIcons();
}

void CDeviceOptionUI::SelectTab(bool on) {
    if (QAbstractButton* select = Select()) {
        select->setCheckable(true);
        select->setChecked(on);
    }
}

bool CDeviceOptionUI::IsSelected() const {
    const QAbstractButton* select = Select();
    return select != nullptr && select->isChecked();
}

void CDeviceOptionUI::BindTab(const QString& tabLayoutName, int pageIndex) {
    tabLayout_ = tabLayoutName;
    pageIndex_ = pageIndex;
}

int CDeviceOptionUI::BoundPageIndex() const { return Select() == nullptr ? -1 : pageIndex_; }

void CDeviceOptionUI::SetGroup(const QString& name) {
    if (QAbstractButton* select = Select()) {
        select->setCheckable(true);
        GroupNamed(name).addButton(select);
    }
}

void CDeviceOptionUI::SetNameText(const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(FindControlBelow(this, QStringLiteral("device_select_name"))))
        label->setText(text);
}

void CDeviceOptionUI::SetDeviceName(const QString& name, int index) {
    deviceName_ = name;
    if (index >= 0) deviceIndex_ = index;
}

// The device reaches the button through the host the device manager gave it.
void CDeviceOptionUI::SetDevice(devices::CMorvaneUSBDevice* device) { device_ = device; }

void CDeviceOptionUI::ShowOption(bool visible) {
    visibleFlag_ = visible;
    setVisible(visible);
}

// From a device's worker the message is handed to the UI thread, unless the
// tab has gone meanwhile.
void CDeviceOptionUI::PostMainMessage(devices::DeviceMessage message, std::intptr_t wParam, std::intptr_t lParam) {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this,
            [self = QPointer<CDeviceOptionUI>(this), message, wParam, lParam] {
                if (self) self->PostMainMessage(message, wParam, lParam);
            },
            Qt::QueuedConnection);
        return;
    }
    if (messageSink_) messageSink_(message, wParam, lParam);
}

// --- Timers -------------------------------------------------------------------

void CDeviceOptionUI::ArmTimer(devices::TimerId timer, int periodMs) {
    if (QThread::currentThread() == thread()) {
        ArmOnUiThread(timer, periodMs);
        return;
    }
    // From a device's worker: the timer is armed on the UI thread, unless the
    // tab has gone meanwhile.
    QMetaObject::invokeMethod(
        this,
        [self = QPointer<CDeviceOptionUI>(this), timer, periodMs] {
            if (self) self->ArmOnUiThread(timer, periodMs);
        },
        Qt::QueuedConnection);
}

void CDeviceOptionUI::ArmOnUiThread(devices::TimerId timer, int periodMs) {
    if (device_ == nullptr) return;  // detached: the device is gone or not yet there
    auto& shot = timers_[timer];
    if (!shot) {
        shot = std::make_unique<QTimer>();
        shot->setSingleShot(true);
        QObject::connect(shot.get(), &QTimer::timeout, this, [this, timer] { Fire(timer); });
    }
    shot->start(std::max(periodMs, 0));
}

void CDeviceOptionUI::KillTimer(devices::TimerId timer) {
    if (const auto it = timers_.find(timer); it != timers_.end()) it->second->stop();
}

void CDeviceOptionUI::Detach() {
    timers_.clear();
    device_ = nullptr;
}

bool CDeviceOptionUI::IsTimerArmed(devices::TimerId timer) const {
    const auto it = timers_.find(timer);
    return it != timers_.end() && it->second->isActive();
}

void CDeviceOptionUI::Fire(devices::TimerId timer) {
    if (device_ != nullptr) devices::DeviceOptionTimers(*device_, *this).OnTimer(timer);
}

}  // namespace vandrel::ui
