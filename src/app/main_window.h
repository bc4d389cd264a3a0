// CMainWnd: the program's one main window. It builds its content from the
// skin layout "XML_MAIN", shows one tab per attached device in
// "device_select_layout" and the device's page in "device_switch", runs the
// device scan and the device manager, turns notify events of its controls
// into operations, owns the tray icon, the language and the pixel density,
// and opens the secondary windows. It owns the workers and stops them all,
// each within its bound, before it goes.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/access_notice.h"
#include "app/device_pages.h"
#include "app/language.h"
#include "app/notify_dispatch.h"
#include "app/qt_ui_dispatcher.h"
#include "device_io/device_scan_thread.h"
#include "devices/device_manager.h"
#include "platform/file_guard.h"
#include "platform/key_table.h"
#include "ui/control_factory.h"
#include "ui/key_capture_filter.h"
#include "ui/widget_page_view.h"

class QSystemTrayIcon;
class QMenu;

namespace vandrel::app {

class MessageBus;
class PrivateFonts;
class SecondaryWindow;

// Timers of the main window; the page view takes and reports them as numbers.
enum class MainTimerId : int { kDensity = 1011, kProfileSwitch = 1055, kRetryOpens = 1090 };
constexpr int Number(MainTimerId timer) { return static_cast<int>(timer); }

// Delay between a choice in the profile combo and the switch.
inline constexpr int kProfileSwitchDelayMs = 400;

inline constexpr int kMainWidth = 800;
inline constexpr int kMainHeight = 572;
inline constexpr int kAdaptedWidth = 1000;
inline constexpr int kAdaptedHeight = 640;

class CMainWnd : public QWidget, public devices::IDeviceManagerEvents {
    Q_OBJECT

public:
    struct Settings {
        bool useTray = true;
        bool startHidden = false;  // the first scan leaves the window in the tray
    };

    CMainWnd(platform::IHidBackend& backend, MessageBus* bus, const PrivateFonts* fonts, Settings settings);
    CMainWnd(platform::IHidBackend& backend, MessageBus* bus, const PrivateFonts* fonts)
        : CMainWnd(backend, bus, fonts, Settings{}) {}
    ~CMainWnd() override;

    // The preparation: language, pages, workers, timers. Runs once.
    void Prepare();
    // Stops every worker; the window stays. Safe to call more than once.
    void StopWorkers();
    // Closes the secondary windows, stops the workers and ends the program.
    void Quit();

    // Shows "No_device_Link" when no tab is attached, restores the window and
    // brings it to the front.
    void ShowAndRaise();
    void ApplyLanguage(int index);
    int LanguageIndex() const { return language_.Current(); }
    const LanguageSwitcher& Language() const { return language_; }

    // The device of the first attached and selected tab; nullptr when none.
    devices::CMorvaneUSBDevice* CurrentDevice() const;
    std::optional<device_io::KindRow> CurrentKind() const;
    devices::CDeviceManager& Manager() { return *manager_; }
    DevicePages& Pages() { return *pages_; }
    device_io::DeviceScanThread& Scan() { return *scan_; }
    platform::IPageView& Page() { return *view_; }
    QWidget* Root() const { return root_; }
    bool FirstScanDone() const { return firstScanDone_; }
    int Dpi() const { return dpi_; }

    // A message box owned by this window with a language text; 1 for OK.
    int MessageBox(const QString& textId, bool withCancel = false);
    void ShowMacrosRefused(int result);
    // The about window, modal.
    void OpenAbout();
    // The monitor density adaptation (timer 1011 and the first size event).
    void AdaptToMonitor();
    void FitToNotice();

    // A notify event of the window's controls (also from tests).
    void Notify(const platform::NotifyEvent& event);
    // A registered message from another program.
    void OnBusMessage(const QString& member, qint64 wParam, qint64 lParam);
    // The system goes to sleep (true) or woke up (false): while asleep the
    // devices get no host lighting, after it they get the light-control
    // flag again.
    void OnSleepChanged(bool sleeping);
    bool Awake() const { return awake_; }

    // A message of a device to the window (3329 power state, 3331 link,
    // 3332 settings not taken).
    void OnDeviceMessage(devices::DeviceMessage message, std::intptr_t wParam, std::intptr_t lParam);

    // Asks for a profile file to import (save = false) or a file to export
    // to; an empty path means the user cancelled. Tests replace the dialogs.
    using FileChooser = std::function<QString(bool save)>;
    enum class FileKind { Profile, Macro };
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

signals:
    void FirstScanCompleted();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    using OperationHandler = std::function<void(const Route&, const platform::NotifyEvent&)>;

    // IDeviceManagerEvents
    void OnDevicesChanged(bool arrived) override;
    void OnSelectionChanged(std::optional<device_io::KindRow> kindRow) override;
    void OnOpenFailed(std::size_t slot, const std::string& path) override;
    void OnFirstScanCompleted() override;
    void OnAccessDenied(const std::string& path) override;
    void OnAccessDenialEnded(const std::string& path) override;

    // Notify dispatch (main_dispatch.cpp): the window's operations.
    void BindOperations();
    void Dispatch(const Route& route, const platform::NotifyEvent& event);
    // Binds an operation that runs on a capability of the current device;
    // see main_dispatch.cpp.
    template <class C, class Action>
    void BindOnDevice(Operation operation, Action action);
    // The device and its capability for a device operation; nothing, said
    // once in the trace, when the device's kind does not bind the operation
    // or the device lacks the capability.
    template <class C>
    C* CapabilityFor(device_io::KindRow kind, const Route& route, const platform::NotifyEvent& event);
    void FunctionPage(const std::string& tab);
    void SwitchProfile();
    void ImportProfile(devices::IProfiles& profiles);
    void ExportProfile(devices::IProfiles& profiles);
    void RenameProfile(devices::IProfiles& profiles);
    void ResetToDefaults(devices::IProfiles& profiles);
    void ResetDevice(devices::IProfiles& profiles);
    void KeyClicked(const Route& route, const platform::NotifyEvent& event);
    std::vector<int> MarkedKeys(const platform::IPageView& page) const;
    void ZelborDpiEdit(int n);
    void OpenDesktopPanel(int n);
    // Same mode: the other devices with lighting and their panels (parallel).
    struct LightingPeers {
        std::vector<lighting::ILightingDevice*> devices;
        std::vector<lighting::CLightControlUI*> panels;
    };
    LightingPeers LightingPeersOf(const devices::ILighting& current) const;
    void RefreshSameModeFlags();
    void ShowSettingsNotice(const QString& textId);
    // The notice line under the tab strip: one notice at a time, each for a
    // while, the next once it goes.
    void ShowNotice(const QString& text, const QString& tooltip = {});
    void ShowNextNotice();
    void ShowFileNotice(const platform::FileNotice& notice);
    QString ChooseFile(bool save, FileKind kind = FileKind::Profile);

    // Keys and macros (key_dispatch.cpp).
    void BindKeyOperations();
    devices::IKeyMap* KeyMapOf(std::optional<device_io::KindRow> kind) const;
    void SelectKeyForAssignment(const Route& route, const platform::NotifyEvent& event);
    bool ShowsKeyAssignment(const devices::CMorvaneUSBDevice& device) const;
    void KeyEditorEvent(devices::IKeyMap& keys, const Route& route, const platform::NotifyEvent& event);
    void ApplyKeyAssignment(devices::IKeyMap& keys);
    void KeyCaptureFocus(const platform::NotifyEvent& event);
    void OnCapturedKey(const platform::KeyRecord& key);
    void WriteKeyMap(devices::IKeyMap& keys);
    void HoldWriteButtons(device_io::KindRow kind, bool hold);
    void HoldWhileUploading();
    void OnMacrosTooLarge(device_io::KindRow kind);
    void OnKeyMapUploadEnded(device_io::KindRow kind, bool written);
    void MacroListEvent(devices::IKeyMap& keys, const platform::NotifyEvent& event);
    void RefreshKeyLabels();

    void CreateTray();
    void OnTimer(MainTimerId timer);
    void HideToTray();
    void ToggleFromTray();
    void CloseSecondaryWindows();
    void RefreshNoDevice();
    void ChooseTab();
    void SelectNeighbourTab(bool next);
    void ShowTab(device_io::KindRow kindRow, bool select);
    void ApplyWindowFlags();
    void LanguageChanged();

    platform::IHidBackend& backend_;
    MessageBus* bus_;
    Settings settings_;
    LanguageSwitcher language_;
    ui::ControlFactory windowTags_;
    QWidget* root_ = nullptr;  // owned by the window
    std::unique_ptr<ui::WidgetPageView> view_;
    std::unique_ptr<AccessNotice> accessNotice_;  // speaks through view_
    std::map<Operation, OperationHandler> operations_;
    // Rows of later features, or that the current device cannot run: said once.
    std::set<const DispatchRow*> tracedRows_;
    FileChooser chooseFile_;
    ui::KeyCaptureFilter* keyCapture_ = nullptr;  // owned by the window
    // Kinds whose "key_butt_prosave" upload has not ended yet.
    std::set<device_io::KindRow> keyMapWrites_;

    QtUiDispatcher dispatcher_{*this};
    std::unique_ptr<DevicePages> pages_;
    std::unique_ptr<devices::CDeviceManager> manager_;
    std::unique_ptr<devices::ScanListenerOnUiThread> scanListener_;
    std::unique_ptr<device_io::DeviceScanThread> scan_;

    QSystemTrayIcon* tray_ = nullptr;  // owned by the window
    QMenu* trayMenu_ = nullptr;        // owned by the window
    QPointer<SecondaryWindow> about_;

    int dpi_ = 96;
    bool prepared_ = false;
    bool stopped_ = false;
    bool firstScanDone_ = false;
    std::deque<std::pair<QString, QString>> notices_;  // text and tooltip, waiting
    bool noticeShown_ = false;
    bool awake_ = true;         // cleared while the system sleeps
    bool lightControl_ = true;  // whether this program drives the devices' lighting
    bool watchingScreen_ = false;
    QPoint dragOffset_;
};

}  // namespace vandrel::app
