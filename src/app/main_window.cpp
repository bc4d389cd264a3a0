#include "app/main_window.h"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <QWindow>

#include "app/about_wnd.h"
#include "app/message_bus.h"
#include "app/msg_wnd.h"
#include "app/registered_messages.h"
#include "app/sleep_watcher.h"
#include "app/window_tags.h"
#include "device_io/device_tables.h"
#include "platform/file_backup.h"
#include "platform/folders.h"
#include "platform/trace.h"
#include "ui/dpi.h"
#include "ui/find_control.h"
#include "ui/layout_loader.h"
#include "ui/qt_text.h"
#include "ui/skin.h"
#include "ui/text_format.h"
#include "ui/text_resources.h"

namespace vandrel::app {
namespace {

constexpr int kRetryOpensMs = 1000;
constexpr int kDensityFirstMs = 100;

// The tray menu: item name and its text id.
struct MenuItem {
    const char* name;
    const char* textId;
};
constexpr MenuItem kTrayMenu[] = {
    {"about_menu", "about_menu_text"},
    {"setwnd_menu", "setwnd_menu_text"},
    {"exit", "exit_menu_text"},
};

}  // namespace

CMainWnd::CMainWnd(platform::IHidBackend& backend, MessageBus* bus, const PrivateFonts* fonts, Settings settings)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      backend_(backend),
      bus_(bus),
      settings_(settings),
      language_(platform::SettingsIni::InConfigFolder(kSettingsFile), fonts) {
    platform::Trace("InitWindow");
    setObjectName(QStringLiteral("MainWnd"));
    setWindowTitle(ui::ToQt(kAppTitle));
    setWindowIcon(QIcon(ui::Skin::Instance().FilePath(QStringLiteral("common/logo.png"))));
    resize(kMainWidth, kMainHeight);
    language_.LoadCatalogue();

    RegisterWindowTags(windowTags_);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    const QString layout = ui::Skin::Instance().LayoutPath(QStringLiteral("XML_MAIN"));
    if (!layout.isEmpty()) {
        ui::LayoutLoader loader(ui::GlobalControlFactory(), &windowTags_);
        root_ = loader.Load(layout, this);
        if (root_ == nullptr) platform::Trace(loader.LastError().toStdString());
    }
    if (root_ == nullptr) root_ = new QWidget(this);  // the skin is missing: an empty window still runs
    root_->setObjectName(root_->objectName().isEmpty() ? QStringLiteral("root") : root_->objectName());
    box->addWidget(root_);
    view_ = std::make_unique<ui::WidgetPageView>(root_);
    view_->SetNotifySink([this](const platform::NotifyEvent& event) { Notify(event); });
    accessNotice_ = std::make_unique<AccessNotice>(*view_);
    BindOperations();
    BindKeyOperations();

    pages_ = std::make_unique<DevicePages>(
        *root_, *view_, backend_, windowTags_, [this](const platform::NotifyEvent& event) { Notify(event); },
        [this](devices::DeviceMessage message, std::intptr_t wParam, std::intptr_t lParam) {
            OnDeviceMessage(message, wParam, lParam);
        });
    pages_->SetPageAttached([this] { RefreshSameModeFlags(); });
    if (settings_.useTray) CreateTray();
    if (bus_ != nullptr)
        connect(bus_, &MessageBus::MessageReceived, this,
                [this](const QString& member, qint64 wParam, qint64 lParam) { OnBusMessage(member, wParam, lParam); });
}

CMainWnd::~CMainWnd() {
    StopWorkers();
    // The devices go before the widgets they draw on.
    manager_.reset();
    pages_.reset();
}

// --- Preparation and shutdown -------------------------------------------------

void CMainWnd::Prepare() {
    if (prepared_) return;
    prepared_ = true;
    // What a save cut short by a crash left behind goes before anything is
    // read; what the user must hear about files reaches the notice line.
    platform::RemoveStaleTemporaries(platform::ConfigRoot());
    platform::RemoveStaleTemporaries(platform::UserDataRoot());
    platform::FileGuard::Instance().SetSink([this](const platform::FileNotice& notice) {
        QMetaObject::invokeMethod(
            this, [this, notice] { ShowFileNotice(notice); }, Qt::QueuedConnection);
    });
    if (bus_ != nullptr) bus_->Broadcast(ui::ToQt(message::kLightControlAnnounce), 1, 1);
    ApplyLanguage(language_.RememberedIndex());
    hide();

    // The scan thread owns the slot list; the manager reads copies of it.
    manager_ = std::make_unique<devices::CDeviceManager>(
        backend_, [this] { return scan_ ? scan_->Slots() : device_io::SlotList{}; }, *pages_, this);
    scanListener_ = std::make_unique<devices::ScanListenerOnUiThread>(dispatcher_, *manager_);
    scan_ = std::make_unique<device_io::DeviceScanThread>(backend_, *scanListener_);
    scan_->Start();
    view_->SetTimer(root_->objectName().toStdString(), Number(MainTimerId::kDensity), kDensityFirstMs);
    connect(new SleepWatcher(this), &SleepWatcher::SleepChanged, this, &CMainWnd::OnSleepChanged);
}

void CMainWnd::StopWorkers() {
    if (stopped_) return;
    stopped_ = true;
    platform::Trace("退出测试");
    platform::FileGuard::Instance().SetSink(nullptr);
    // The dispatcher first: a scan report waiting for this thread is let go,
    // so stopping the scan cannot wait on ourselves.
    dispatcher_.Close();
    if (scan_) scan_->Stop();
    // No tab timer may reach a device from now on; then each device stops its
    // own workers (streamer, notification threads).
    if (pages_) pages_->DetachDevices();
    manager_.reset();
}

void CMainWnd::Quit() {
    CloseSecondaryWindows();
    hide();
    StopWorkers();
    if (tray_ != nullptr) tray_->hide();
    QCoreApplication::exit(0);
}

// The platform's close (window manager, session end) ends the program;
// "closebtn" only hides the window.
void CMainWnd::closeEvent(QCloseEvent* event) {
    event->accept();
    Quit();
}

// --- Showing ------------------------------------------------------------------

// The DPI-changed path: moved to another screen, the window adapts to it.
void CMainWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ApplyWindowFlags();
    if (watchingScreen_ || windowHandle() == nullptr) return;
    watchingScreen_ = true;
    connect(windowHandle(), &QWindow::screenChanged, this, [this](QScreen*) {
        platform::Trace("界面 DPI 发生变化");
        AdaptToMonitor();
    });
}

// Hidden to the tray or minimised (a spontaneous hide): nothing paints.
void CMainWnd::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    ApplyWindowFlags();
}

void CMainWnd::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::ActivationChange) ApplyWindowFlags();
}

// What the devices must know of the window: hidden or not, active or not, and
// whose page is shown (only that device paints its previews).
void CMainWnd::ApplyWindowFlags() {
    if (!manager_) return;
    const bool hidden = !isVisible() || isMinimized();
    const bool active = isActiveWindow();
    const devices::CMorvaneUSBDevice* current = CurrentDevice();
    for (const device_io::KindRow row : device_io::kAllKindRows) {
        devices::CMorvaneUSBDevice* device = manager_->Device(row);
        if (device == nullptr) continue;
        device->SetWindowHidden(hidden);
        device->SetWindowActive(active);
        device->SetLivePreview(device == current);
    }
}

void CMainWnd::OnSleepChanged(bool sleeping) {
    awake_ = !sleeping;
    if (!manager_) return;
    for (const device_io::KindRow row : device_io::kAllKindRows)
        if (devices::CMorvaneUSBDevice* device = manager_->Device(row))
            device->SetHostLighting(awake_ && lightControl_);
}

void CMainWnd::ShowAndRaise() {
    RefreshNoDevice();
    showNormal();
    raise();
    activateWindow();
}

void CMainWnd::RefreshNoDevice() {
    const bool anyTab = manager_ && manager_->AnyOptionVisible();
    // "No_device_Link" is page 0 of the page switch.
    if (!anyTab) {
        view_->SetCurrentPage(kPageSwitch, 0);
        view_->SetCurrentPage(kPowerSwitch, 0);
    }
    view_->SetVisible("No_device_Link", !anyTab);
}

void CMainWnd::AdaptToMonitor() {
    const bool wasShown = isVisible() && !isMinimized();
    QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    const QSize full = screen != nullptr ? screen->geometry().size() : QSize(kMainWidth, kMainHeight);
    dpi_ = ui::CheckedDpi(ui::MonitorDpi(full.width(), full.height()), "MAIN_WND DPI SET ERROR");
    // Every window takes the density; this one is 1000 x 640 at 96 DPI.
    ui::SetAllDpi(dpi_);
    FitToNotice();
    if (screen != nullptr) move(screen->availableGeometry().center() - rect().center());
    if (wasShown) show();
}

// The access notice row does not take its height from the pages: while it
// shows, the window is taller by that much.
void CMainWnd::FitToNotice() {
    const double scale = static_cast<double>(dpi_) / ui::kBaseDpi;
    const int width = static_cast<int>(kAdaptedWidth * scale);
    int height = static_cast<int>(kAdaptedHeight * scale);
    if (const QWidget* row = ui::FindControl(root_, QLatin1String(kAccessNoticeRow));
        row != nullptr && row->isVisibleTo(this))
        height += row->hasHeightForWidth() ? row->heightForWidth(width) : row->sizeHint().height();
    resize(width, height);
}

void CMainWnd::HideToTray() {
    CloseSecondaryWindows();
    // Without a tray the window could not be found again: it is minimised.
    if (tray_ != nullptr && tray_->isVisible()) hide();
    else showMinimized();
}

void CMainWnd::ToggleFromTray() {
    RefreshNoDevice();
    const bool shown = isVisible() && !isMinimized();
    CloseSecondaryWindows();
    if (shown) {
        hide();
    } else {
        AdaptToMonitor();
        ShowAndRaise();
    }
}

void CMainWnd::CloseSecondaryWindows() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* secondary = qobject_cast<SecondaryWindow*>(window); secondary != nullptr && secondary->isVisible())
            secondary->reject();
}

// --- Tray -----------------------------------------------------------------------

void CMainWnd::CreateTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(ui::ToQt(kAppTitle));
    trayMenu_ = new QMenu(this);
    for (const MenuItem& item : kTrayMenu) {
        QAction* action = trayMenu_->addAction(ui::TextResources::Instance().Text(QLatin1String(item.textId)));
        action->setObjectName(QLatin1String(item.name));
        action->setProperty(ui::kTextIdProperty, QLatin1String(item.textId));
        connect(action, &QAction::triggered, this, [this, name = std::string(item.name)] {
            Notify({"menu", name, 0, 0});
        });
    }
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) ToggleFromTray();
    });
    tray_->show();
}

// --- Language -------------------------------------------------------------

void CMainWnd::ApplyLanguage(int index) {
    language_.Apply(index, [this] { LanguageChanged(); });
}

void CMainWnd::LanguageChanged() {
    if (trayMenu_ != nullptr)
        for (QAction* action : trayMenu_->actions())
            action->setText(ui::TextResources::Instance().Text(action->property(ui::kTextIdProperty).toString()));
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* secondary = qobject_cast<SecondaryWindow*>(window)) secondary->OnLanguageChanged();
    RefreshKeyLabels();
    update();
}

// --- Secondary windows ---------------------------------------------------------

int CMainWnd::MessageBox(const QString& textId, bool withCancel) {
    return ShowMessage(this, QString(), textId, dpi_, true, withCancel ? MessageButtons::OkCancel : MessageButtons::Ok);
}

// The macros did not reach the device (and so neither did its key map):
// too large by `result` event records, or not written at all.
void CMainWnd::ShowMacrosRefused(int result) {
    if (result <= 0) {
        MessageBox(QStringLiteral("message_text_7"));
        return;
    }
    const std::string text = ui::FormatText(
        ui::TextResources::Instance().Text(QStringLiteral("message_text_16")).toStdString(), {std::to_string(result)});
    ShowMessage(this, QString(), QString::fromStdString(text), dpi_, false, MessageButtons::Ok);
}

void CMainWnd::OpenAbout() {
    if (about_) return;
    CAboutWnd about(this);
    about_ = &about;
    about.SetVersion(ui::ToQt(device_io::CatalogueVersion()));
    about.move(frameGeometry().center() - about.rect().center());
    about.exec();
}

// --- Devices --------------------------------------------------------------------

devices::CMorvaneUSBDevice* CMainWnd::CurrentDevice() const {
    const auto kind = CurrentKind();
    return kind && manager_ ? manager_->Device(*kind) : nullptr;
}

std::optional<device_io::KindRow> CMainWnd::CurrentKind() const {
    // Tabs in the order the container holds them.
    QWidget* tabs = ui::FindControl(root_, QLatin1String(kTabContainer));
    if (tabs == nullptr || !pages_) return std::nullopt;
    for (QObject* child : tabs->children()) {
        auto* option = qobject_cast<ui::CDeviceOptionUI*>(child);
        if (option == nullptr || !option->OptionVisible() || !option->IsSelected()) continue;
        return pages_->KindOfOption(option);
    }
    return std::nullopt;
}

void CMainWnd::ShowTab(device_io::KindRow kindRow, bool select) {
    const KindWidgets* widgets = pages_->Widgets(kindRow);
    if (widgets == nullptr || !widgets->option) return;
    if (select) {
        widgets->option->SelectTab(true);
        view_->SetCurrentPage(kPageSwitch, widgets->pageIndex);
        view_->SetCurrentPage(kPowerSwitch, widgets->powerIndex);
    }
    RefreshNoDevice();
    ApplyWindowFlags();
}

void CMainWnd::ChooseTab() {
    if (const auto kind = CurrentKind()) ShowTab(*kind, true);
}

void CMainWnd::SelectNeighbourTab(bool next) {
    QWidget* tabs = ui::FindControl(root_, QLatin1String(kTabContainer));
    if (tabs == nullptr) return;
    std::vector<ui::CDeviceOptionUI*> visible;
    for (QObject* child : tabs->children())
        if (auto* option = qobject_cast<ui::CDeviceOptionUI*>(child); option != nullptr && option->OptionVisible())
            visible.push_back(option);
    const auto selected = std::ranges::find_if(visible, &ui::CDeviceOptionUI::IsSelected);
    if (selected == visible.end()) return;
    const auto target = next ? std::next(selected) : selected;
    if (!next && selected == visible.begin()) return;
    ui::CDeviceOptionUI* chosen = next ? (target == visible.end() ? nullptr : *target) : *std::prev(selected);
    if (chosen == nullptr) return;
    if (const auto kind = pages_->KindOfOption(chosen)) ShowTab(*kind, true);
}

void CMainWnd::OnDevicesChanged(bool arrived) {
    RefreshNoDevice();
    RefreshSameModeFlags();
    ApplyWindowFlags();
    if (arrived && firstScanDone_) ShowAndRaise();
    if (manager_ && manager_->HasFailedOpens())
        view_->SetTimer(root_->objectName().toStdString(), Number(MainTimerId::kRetryOpens), kRetryOpensMs);
}

void CMainWnd::OnSelectionChanged(std::optional<device_io::KindRow> kindRow) {
    if (kindRow) ShowTab(*kindRow, true);
    else RefreshNoDevice();
}

void CMainWnd::OnOpenFailed(std::size_t slot, const std::string& path) {
    platform::Trace("打开设备失败: " + path + " (slot " + std::to_string(slot) + ")");
}

void CMainWnd::OnFirstScanCompleted() {
    firstScanDone_ = true;
    if (!settings_.startHidden) ShowAndRaise();
    emit FirstScanCompleted();
}

void CMainWnd::OnAccessDenied(const std::string& path) {
    accessNotice_->Denied(path);
    FitToNotice();
}

void CMainWnd::OnAccessDenialEnded(const std::string& path) {
    accessNotice_->Ended(path);
    FitToNotice();
}

void CMainWnd::OnDeviceMessage(devices::DeviceMessage message, std::intptr_t wParam, std::intptr_t lParam) {
    if (message == devices::DeviceMessage::kSettingsWriteFailed) {
        ShowSettingsNotice(QStringLiteral("settings_write_failed_text"));
        return;
    }
    if (message == devices::DeviceMessage::kMacrosRefused) {
        // The key shows its default before the message box, which lets
        // later messages in while it is open.
        if (const auto kindRow = device_io::KindRowOfNumber(wParam); kindRow && lParam > 0) OnMacrosTooLarge(*kindRow);
        ShowMacrosRefused(static_cast<int>(lParam));
        return;
    }
    if (message == devices::DeviceMessage::kKeyMapUploaded) {
        if (const auto kindRow = device_io::KindRowOfNumber(wParam))
            OnKeyMapUploadEnded(*kindRow, lParam == protocol::ToInt(protocol::Status::Ok));
        return;
    }
    if (message != devices::DeviceMessage::kOptionLink || !manager_) return;
    if (const auto kindRow = device_io::KindRowOfNumber(wParam)) {
        // A change of selection reaches the tabs through OnSelectionChanged.
        manager_->SetLinkReachable(*kindRow, lParam != 0);
        RefreshNoDevice();
    }
}

// --- Messages from other programs -----------------------------------------------

void CMainWnd::OnBusMessage(const QString& member, qint64 wParam, qint64 lParam) {
    platform::Trace(QStringLiteral("message %1 %2 %3").arg(member).arg(wParam).arg(lParam).toStdString());
    if (member == ui::ToQt(message::kTitle)) ShowAndRaise();
}

void CMainWnd::OnTimer(MainTimerId timer) {
    const std::string rootName = root_->objectName().toStdString();
    switch (timer) {
        case MainTimerId::kDensity:
            view_->KillTimer(rootName, Number(timer));
            AdaptToMonitor();
            update();
            break;
        case MainTimerId::kProfileSwitch:
            view_->KillTimer(rootName, Number(timer));
            SwitchProfile();
            break;
        case MainTimerId::kRetryOpens:
            view_->KillTimer(rootName, Number(timer));
            if (manager_) manager_->RetryFailedOpens();
            break;
        default: break;
    }
}

// --- Moving the frameless window -------------------------------------------------

void CMainWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QWidget::mousePressEvent(event);
}

void CMainWnd::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) move(event->globalPosition().toPoint() - dragOffset_);
    QWidget::mouseMoveEvent(event);
}

}  // namespace vandrel::app
