#include "app/device_pages.h"

#include <QBoxLayout>
#include <QStackedWidget>

#include "device_io/device_tables.h"
#include "ui/dpi.h"
#include "ui/find_control.h"
#include "ui/layout_loader.h"
#include "ui/qt_text.h"
#include "ui/skin.h"
#include "ui/text_resources.h"

namespace vandrel::app {
namespace {


// The tab button reaches its device's host calls; the button itself is owned
// by the window, so the host only forwards while the button exists.
class OptionHost : public devices::IDeviceHost {
public:
    explicit OptionHost(ui::CDeviceOptionUI* option) : option_(option) {}

    void ArmTimer(int timerId, int periodMs) override {
        // From any thread: the button moves the arming to the UI thread.
        if (ui::CDeviceOptionUI* option = option_.data()) option->ArmTimer(timerId, periodMs);
    }
    void KillTimer(int timerId) override {
        if (option_) option_->KillTimer(timerId);
    }
    bool OptionVisible() const override { return option_ && option_->OptionVisible(); }
    void ShowOption(bool visible) override {
        if (option_) option_->ShowOption(visible);
    }
    bool OptionSelected() const override { return option_ && option_->OptionSelected(); }
    void PostMainMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) override {
        if (option_) option_->PostMainMessage(message, wParam, lParam);
    }

private:
    QPointer<ui::CDeviceOptionUI> option_;
};

// The kind numbers the tab and power panel show, by kind row.
constexpr std::array<int, kKindCount> kPanelKinds{2, 1, 3, 7};

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

DevicePages::DevicePages(QWidget& window, ui::WidgetPageView& windowView, platform::IHidBackend& backend,
                         const ui::ControlFactory& windowTags, NotifySink notify, MessageSink messages)
    : window_(window), windowView_(windowView), backend_(backend), windowTags_(windowTags), notify_(std::move(notify)), messages_(std::move(messages)) {}

DevicePages::~DevicePages() = default;

void DevicePages::SetCreator(std::size_t kindRow, DeviceCreator creator) {
    if (kindRow < creators_.size()) creators_[kindRow] = std::move(creator);
}

QWidget* DevicePages::Load(const QString& layout, QWidget* parent) const {
    const QString path = ui::Skin::Instance().LayoutPath(layout);
    if (path.isEmpty()) return nullptr;
    ui::LayoutLoader loader(ui::GlobalControlFactory(), &windowTags_);
    QWidget* root = loader.Load(path, parent);
    if (root != nullptr) {
        ui::TextResources::Instance().ApplyTexts(root);
        ui::ApplyDpi(root, ui::CurrentDpi());
    }
    return root;
}

std::optional<devices::DeviceObjects> DevicePages::Create(std::size_t kindRow) {
    if (kindRow >= kKindCount) return std::nullopt;
    auto* tabs = ui::FindControl(&window_, QLatin1String(kTabContainer));
    auto* pages = qobject_cast<QStackedWidget*>(ui::FindControl(&window_, QLatin1String(kPageSwitch)));
    auto* powers = qobject_cast<QStackedWidget*>(ui::FindControl(&window_, QLatin1String(kPowerSwitch)));
    if (tabs == nullptr || pages == nullptr || powers == nullptr) return std::nullopt;

    const device_io::DeviceKindRow& kind = device_io::DeviceKindTable()[kindRow];
    const device_io::DevicePageRow& pageRow = device_io::DevicePageTable()[kindRow];
    // Built in this order; if one fails, nothing of the kind stays.
    std::unique_ptr<QWidget> power(Load(ui::ToQt(device_io::kPowerPanelLayout), nullptr));
    std::unique_ptr<QWidget> option(Load(ui::ToQt(kind.optionLayout), nullptr));
    std::unique_ptr<QWidget> page(Load(ui::ToQt(pageRow.pageLayout), nullptr));
    auto* powerPanel = qobject_cast<ui::CMpDevicePowerUI*>(power.get());
    auto* optionButton = qobject_cast<ui::CDeviceOptionUI*>(option.get());
    if (powerPanel == nullptr || optionButton == nullptr || page == nullptr) return std::nullopt;

    KindWidgets& built = kinds_[kindRow];
    const int panelKind = kPanelKinds[kindRow];
    powerPanel->SetKind(panelKind, 0);
    built.powerIndex = powers->addWidget(power.release());
    built.pageIndex = pages->addWidget(page.get());
    built.page = page.release();
    built.power = powerPanel;
    built.option = optionButton;
    built.pageView = std::make_unique<ui::WidgetPageView>(built.page.data());
    built.pageView->SetNotifySink(notify_);

    optionButton->setVisible(false);
    AddToContainer(tabs, option.release());
    windowView_.Adopt(optionButton);
    optionButton->SetKind(panelKind, 0);
    optionButton->SetGroup(QLatin1String(kTabContainer));
    optionButton->BindTab(QLatin1String(kPageSwitch), built.pageIndex);
    optionButton->SetDeviceName(ui::ToQt(kind.kindName), static_cast<int>(kindRow));
    optionButton->SetNameText(ui::TextResources::Instance().Text(optionButton->Icons().tooltipId));
    optionButton->SetMessageSink(messages_);

    devices::DeviceObjects objects;
    objects.host = std::make_unique<OptionHost>(optionButton);
    objects.device = creators_[kindRow] ? creators_[kindRow](backend_) : std::make_unique<devices::CMorvaneUSBDevice>(backend_);
    if (!objects.device) return std::nullopt;
    return objects;
}

void DevicePages::AttachPage(std::size_t kindRow, devices::CMorvaneUSBDevice& device) {
    if (kindRow >= kKindCount) return;
    KindWidgets& built = kinds_[kindRow];
    if (built.option) built.option->SetDevice(&device);
    if (built.pageView) device.Attach(*built.pageView);
}

void DevicePages::DetachDevices() {
    for (KindWidgets& kind : kinds_)
        if (kind.option) kind.option->Detach();
}

const KindWidgets* DevicePages::Widgets(std::size_t kindRow) const {
    return kindRow < kKindCount ? &kinds_[kindRow] : nullptr;
}

std::optional<std::size_t> DevicePages::KindOfOption(const ui::CDeviceOptionUI* option) const {
    for (std::size_t i = 0; i < kKindCount; ++i)
        if (option != nullptr && kinds_[i].option == option) return i;
    return std::nullopt;
}

}  // namespace vandrel::app
