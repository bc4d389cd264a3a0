#include "app/device_pages.h"

#include <utility>

#include <QBoxLayout>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QTimer>

#include "device_io/device_tables.h"
#include "devices/device_kind_registry.h"
#include "platform/trace.h"
#include "profiles/device_profile_ui.h"
#include "ui/dpi.h"
#include "ui/find_control.h"
#include "ui/layout_loader.h"
#include "ui/qt_text.h"
#include "ui/skin.h"
#include "ui/text_resources.h"

namespace vandrel::app {
namespace {

using device_io::DeviceType;
using device_io::Index;
using device_io::KindRow;
using device_io::TypeNumber;

// The tab button reaches its device's host calls; the button itself is owned
// by the window, so the host only forwards while the button exists.
class OptionHost : public devices::IDeviceHost {
public:
    explicit OptionHost(ui::CDeviceOptionUI* option) : option_(option) {}

    void ArmTimer(devices::TimerId timerId, int periodMs) override {
        // From any thread: the button moves the arming to the UI thread.
        if (ui::CDeviceOptionUI* option = option_.data()) option->ArmTimer(timerId, periodMs);
    }
    void KillTimer(devices::TimerId timerId) override {
        if (option_) option_->KillTimer(timerId);
    }
    bool OptionVisible() const override { return option_ && option_->OptionVisible(); }
    void ShowOption(bool visible) override {
        if (option_) option_->ShowOption(visible);
    }
    bool OptionSelected() const override { return option_ && option_->OptionSelected(); }
    void PostMainMessage(devices::DeviceMessage message, std::intptr_t wParam, std::intptr_t lParam) override {
        if (option_) option_->PostMainMessage(message, wParam, lParam);
    }

private:
    QPointer<ui::CDeviceOptionUI> option_;
};

// The kind number the tab and power panel show: the number of the kind's
// cable type, which is how the panels number the kinds.
int PanelKindOf(KindRow row) { return TypeNumber(device_io::DeviceKind(row).deviceType); }

static_assert(TypeNumber(DeviceType::Keyboard) == profiles::kKindKeyboard &&
                  TypeNumber(DeviceType::Mouse) == profiles::kKindMouse &&
                  TypeNumber(DeviceType::MousePad) == profiles::kKindMousePad &&
                  TypeNumber(DeviceType::Headset) == profiles::kKindHeadset,
              "the panels' kind numbers are the cable types' numbers");

void AddToContainer(QWidget* container, QWidget* child) {
    if (auto* box = qobject_cast<QBoxLayout*>(container->layout())) {
        // Before the trailing stretch, when the layout has one.
        const int count = box->count();
        const bool stretchAtEnd = count > 0 && box->itemAt(count - 1)->spacerItem() != nullptr;
        box->insertWidget(stretchAtEnd ? count - 1 : count, child);
    } else {
        child->setParent(container);
    }
}

}  // namespace

// When the waiting pages are built: one per turn of the event loop, from the
// window's next paint on (so after the frame it makes), and by the deadline
// when the window does not paint.
class PageSchedule : public QObject {
public:
    // buildNext builds one waiting page; false when none waits.
    PageSchedule(QWidget& window, std::function<bool()> buildNext) : buildNext_(std::move(buildNext)) {
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (buildNext_()) timer_.start(0);
        });
        window.installEventFilter(this);
    }

    // A page waits for its turn.
    void PageWaiting() {
        if (!timer_.isActive()) timer_.start(kPageDeadlineMs);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint && timer_.isActive() && timer_.interval() > 0) timer_.start(0);
        return false;
    }

private:
    std::function<bool()> buildNext_;
    QTimer timer_;
};

DevicePages::DevicePages(QWidget& window, ui::WidgetPageView& windowView, platform::IHidBackend& backend,
                         const ui::ControlFactory& windowTags, NotifySink notify, MessageSink messages)
    : window_(window),
      windowView_(windowView),
      backend_(backend),
      windowTags_(windowTags),
      notify_(std::move(notify)),
      messages_(std::move(messages)),
      schedule_(std::make_unique<PageSchedule>(window, [this] { return BuildNextPage(); })) {
    // The page the switch turns to is built before it is shown.
    if (auto* pages = qobject_cast<QStackedWidget*>(ui::FindControl(&window_, QLatin1String(kPageSwitch)))) {
        QObject::connect(pages, &QStackedWidget::currentChanged, schedule_.get(),
                         [this](int index) { OnPageShown(index); });
    }
}

DevicePages::~DevicePages() = default;

QWidget* DevicePages::Load(const QString& layout, QWidget* parent) const {
    const QString path = ui::Skin::Instance().LayoutPath(layout);
    if (path.isEmpty()) return nullptr;
    ui::LayoutLoader loader(ui::GlobalControlFactory(), &windowTags_);
    QWidget* root = loader.Load(path, parent);
    if (root == nullptr) {
        platform::Trace(loader.LastError().toStdString());
        return nullptr;
    }
    ui::TextResources::Instance().ApplyTexts(root);
    ui::ApplyDpi(root, ui::CurrentDpi());
    return root;
}

std::optional<devices::DeviceObjects> DevicePages::Create(KindRow kindRow) {
    auto* tabs = ui::FindControl(&window_, QLatin1String(kTabContainer));
    auto* pages = qobject_cast<QStackedWidget*>(ui::FindControl(&window_, QLatin1String(kPageSwitch)));
    auto* powers = qobject_cast<QStackedWidget*>(ui::FindControl(&window_, QLatin1String(kPowerSwitch)));
    if (tabs == nullptr || pages == nullptr || powers == nullptr) return std::nullopt;

    const device_io::DeviceKindRow& kind = device_io::DeviceKind(kindRow);
    // Built in this order; if one fails, nothing of the kind stays. The page
    // only has to be there: it is built later (see the header).
    std::unique_ptr<QWidget> power(Load(ui::ToQt(device_io::kPowerPanelLayout), nullptr));
    std::unique_ptr<QWidget> option(Load(ui::ToQt(kind.optionLayout), nullptr));
    const bool pageThere = !ui::Skin::Instance().LayoutPath(ui::ToQt(devices::PageLayoutOf(kindRow))).isEmpty();
    auto* powerPanel = qobject_cast<ui::CMpDevicePowerUI*>(power.get());
    auto* optionButton = qobject_cast<ui::CDeviceOptionUI*>(option.get());
    if (powerPanel == nullptr || optionButton == nullptr || !pageThere) return std::nullopt;

    KindWidgets& built = kinds_[Index(kindRow)];
    const int panelKind = PanelKindOf(kindRow);
    powerPanel->SetKind(panelKind, 0);
    built.powerIndex = powers->addWidget(power.release());
    built.power = powerPanel;
    built.option = optionButton;
    // The page fills its place as it would fill the page switch: the place
    // lays it out as the switch does.
    auto place = std::make_unique<QWidget>();
    new QStackedLayout(place.get());  // owned by the place
    waiting_[Index(kindRow)].place = place.get();
    built.pageIndex = pages->addWidget(place.release());
    schedule_->PageWaiting();

    optionButton->setVisible(false);
    AddToContainer(tabs, option.release());
    windowView_.Adopt(optionButton);
    optionButton->SetKind(panelKind, 0);
    optionButton->SetGroup(QLatin1String(kTabContainer));
    optionButton->BindTab(QLatin1String(kPageSwitch), built.pageIndex);
    optionButton->SetDeviceName(ui::ToQt(kind.kindName), device_io::KindRowNumber(kindRow));
    optionButton->SetNameText(ui::TextResources::Instance().Text(optionButton->Icons().tooltipId));
    optionButton->SetMessageSink(messages_);

    devices::DeviceObjects objects;
    objects.host = std::make_unique<OptionHost>(optionButton);
    const devices::DeviceKindEntry* entry = devices::DeviceKindRegistry::Instance().Find(kindRow);
    devices::DeviceContext context{backend_};
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        context.screenWidth = screen->geometry().width();
        context.screenHeight = screen->geometry().height();
    }
    objects.device = entry != nullptr && entry->create ? entry->create(context)
                                                       : std::make_unique<devices::CMorvaneUSBDevice>(backend_);
    if (!objects.device) return std::nullopt;
    if (auto* power = objects.device->Capability<devices::IPower>())
        power->SetPowerSink([this, kindRow](std::span<const std::uint8_t> report) { ShowPower(kindRow, report); });
    return objects;
}

void DevicePages::AttachPage(KindRow kindRow, devices::CMorvaneUSBDevice& device) {
    KindWidgets& built = kinds_[Index(kindRow)];
    WaitingPage& waiting = waiting_[Index(kindRow)];
    if (built.option) built.option->SetDevice(&device);
    if (built.pageView) {
        device.Attach(*built.pageView);
        if (attached_) attached_();
    } else if (waiting.place) {
        waiting.device = &device;
    }
}

void DevicePages::DetachDevices() {
    for (KindWidgets& kind : kinds_)
        if (kind.option) kind.option->Detach();
    for (WaitingPage& page : waiting_) page.device = nullptr;
}

void DevicePages::BuildPage(KindRow kindRow) {
    WaitingPage& waiting = waiting_[Index(kindRow)];
    if (!waiting.place) return;
    // Taken first: showing the page cannot start its build again.
    QWidget* const place = std::exchange(waiting.place, nullptr);
    devices::CMorvaneUSBDevice* const device = std::exchange(waiting.device, nullptr);
    QWidget* page = Load(ui::ToQt(devices::PageLayoutOf(kindRow)), place);
    if (page == nullptr) return;  // a broken layout leaves the place empty
    place->layout()->addWidget(page);

    KindWidgets& built = kinds_[Index(kindRow)];
    built.page = page;
    built.pageView = std::make_unique<ui::WidgetPageView>(page);
    built.pageView->SetNotifySink(notify_);
    if (device != nullptr) {
        device->Attach(*built.pageView);
        if (attached_) attached_();
    }
}

bool DevicePages::BuildNextPage() {
    for (const KindRow row : device_io::kAllKindRows) {
        if (waiting_[Index(row)].place) {
            BuildPage(row);
            return true;
        }
    }
    return false;
}

void DevicePages::OnPageShown(int pageIndex) {
    for (const KindRow row : device_io::kAllKindRows)
        if (waiting_[Index(row)].place && kinds_[Index(row)].pageIndex == pageIndex) BuildPage(row);
}

void DevicePages::ShowPower(KindRow kindRow, std::span<const std::uint8_t> report) {
    const KindWidgets& built = kinds_[Index(kindRow)];
    if (!built.power) return;
    built.power->Update(report.data(), report.size());
    built.power->Show(true);
}

const KindWidgets* DevicePages::Widgets(KindRow kindRow) const { return &kinds_.at(Index(kindRow)); }

std::optional<KindRow> DevicePages::KindOfOption(const ui::CDeviceOptionUI* option) const {
    if (option == nullptr) return std::nullopt;
    for (const KindRow row : device_io::kAllKindRows)
        if (kinds_[Index(row)].option == option) return row;
    return std::nullopt;
}

}  // namespace vandrel::app
