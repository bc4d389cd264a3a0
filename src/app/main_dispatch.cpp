// The main window's notify dispatch: the tables route an event to an
// operation, and here each operation the program has is bound to what it
// does. Operations of features not built yet have no binding: they do
// nothing, and each row says so once in the trace.
#include <array>

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QTimer>

#include <json/json.h>

#include "app/bind_on_device.h"
#include "app/desktop_settings.h"
#include "app/main_window.h"
#include "devices/capabilities.h"
#include "devices/device_kind_registry.h"
#include "platform/trace.h"
#include "platform/typed_number.h"
#include "profiles/json_file_store.h"
#include "profiles/utf_text.h"
#include "ui/controls/device_option.h"
#include "ui/find_control.h"
#include "ui/text_format.h"
#include "ui/text_resources.h"

namespace vandrel::app {
namespace {

constexpr int kZelborDpiLowest = 200;
constexpr int kZelborDpiHighest = 6500;
constexpr int kNoticeMs = 8000;
constexpr std::string_view kRepeatTestBox = "repeat_input_richedit";
constexpr std::string_view kLitGroupButton = "custom_bright_color_btn";
// The function page of the lighting (the first tab).
constexpr int kLightingSection = 1;

// The page tabs in the order of the functions they show (1 lighting ... 8 surround).
constexpr std::array<std::string_view, 8> kFunctionTabs{
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab",
};

struct MenuRow {
    std::string_view item;
    Operation operation;
};

// An option raises "selectchanged" when it is switched off too; these act
// only on the option that was switched on.
bool SwitchedOn(const platform::NotifyEvent& event) { return event.wParam != 0; }

// The profile the combo shows becomes the device's. A failed write is said
// by the device itself (the settings notice).
void SelectShownProfile(devices::IProfiles& device) {
    auto* panel = device.ProfilePanel();
    if (panel == nullptr || panel->CurrentIndex() < 0) return;
    panel->SelectProfileEntry(panel->CurrentIndex());
    static_cast<void>(device.SelectProfile(panel->CurrentProfileId()));
}

}  // namespace

void CMainWnd::Notify(const platform::NotifyEvent& event) {
    if (event.type == "timer") {
        OnTimer(static_cast<MainTimerId>(event.wParam));
        return;
    }
    platform::Trace(event.type + " " + event.control);
    if (event.type == "menu") {
        if (event.control == "about_menu") OpenAbout();
        else if (event.control == "exit") Quit();
        else if (event.control == "setwnd_menu") Dispatch({Operation::SettingsWindow, nullptr}, event);
        return;
    }
    if (const auto route = RouteOf(event)) Dispatch(*route, event);
}

void CMainWnd::Dispatch(const Route& route, const platform::NotifyEvent& event) {
    if (route.operation == Operation::Nothing) return;
    if (const auto it = operations_.find(route.operation); it != operations_.end()) {
        it->second(route, event);
        return;
    }
    if (tracedRows_.insert(route.row).second)
        platform::Trace("not in this version (" + std::string(OperationName(route.operation)) + "): " + event.control);
}

void CMainWnd::BindOperations() {
    using O = Operation;
    using devices::IDpiStages;
    using devices::IKeyColours;
    using devices::ILighting;
    using devices::IProfiles;
    using devices::ISystemSettings;
    using devices::SystemSetting;
    using PageView = platform::IPageView;
    using Event = platform::NotifyEvent;
    const auto bind = [this](Operation operation, OperationHandler handler) {
        operations_[operation] = std::move(handler);
    };

    bind(O::HideToTray, [this](const Route&, const auto&) { HideToTray(); });
    bind(O::HideWindow, [this](const Route&, const auto&) { hide(); });
    bind(O::Minimise, [this](const Route&, const auto&) { showMinimized(); });
    bind(O::Maximise, [this](const Route&, const auto&) { showMaximized(); });
    bind(O::Restore, [this](const Route&, const auto&) { showNormal(); });
    bind(O::SelectPreviousTab, [this](const Route&, const auto&) { SelectNeighbourTab(false); });
    bind(O::SelectNextTab, [this](const Route&, const auto&) { SelectNeighbourTab(true); });
    bind(O::ChooseTab, [this](const Route&, const Event& e) {
        if (SwitchedOn(e)) ChooseTab();
    });

    // DPI stages, report rate, pointer and keyboard settings: the control's
    // index and value. A failed write is said by the device itself (the
    // settings notice), so these handlers have nothing to add to the status
    // they get back.
    BindOnDevice<IDpiStages>(O::DpiSlider, [](IDpiStages& s, PageView& p, const Route& r, const Event& e) {
        static_cast<void>(s.SetDpiStagePosition(r.index, p.Value(e.control)));
    });
    BindOnDevice<IDpiStages>(O::DpiSliderMoving, [](IDpiStages& s, PageView& p, const Route& r, const Event& e) {
        s.PreviewDpiStagePosition(r.index, p.Value(e.control));
    });
    BindOnDevice<IDpiStages>(O::DpiEdit, [](IDpiStages& s, PageView& p, const Route& r, const Event& e) {
        static_cast<void>(s.SetDpiStage(r.index, platform::NumberFromText(p.Text(e.control))));
    });
    BindOnDevice<IDpiStages>(O::DpiEnable, [](IDpiStages& s, PageView& p, const Route& r, const Event& e) {
        static_cast<void>(s.EnableDpiStage(r.index, p.Selected(e.control)));
    });
    BindOnDevice<IDpiStages>(O::DpiSelect, [](IDpiStages& s, PageView&, const Route& r, const Event& e) {
        if (SwitchedOn(e)) static_cast<void>(s.SelectDpiStage(r.index));
    });
    BindOnDevice<ISystemSettings>(O::ReportRate, [](ISystemSettings& s, PageView&, const Route& r, const Event& e) {
        if (SwitchedOn(e)) static_cast<void>(s.SetReportRate(r.index));
    });
    BindOnDevice<ISystemSettings>(O::RepeatDelay, [](ISystemSettings& s, PageView&, const Route& r, const Event& e) {
        if (SwitchedOn(e)) static_cast<void>(s.SetSystemValue(SystemSetting::KeyRepeatDelay, r.index));
    });
    struct SystemRow {
        Operation operation;
        SystemSetting setting;
        bool check;  // a check's mark, else a slider's value
    };
    static constexpr std::array<SystemRow, 9> kSystemRows{{
        {O::PointerSpeed, SystemSetting::PointerSpeed, false},
        {O::WheelLines, SystemSetting::WheelLines, false},
        {O::DoubleClick, SystemSetting::DoubleClickTime, false},
        {O::PointerPrecision, SystemSetting::PointerPrecision, true},
        {O::ScrollPage, SystemSetting::ScrollPage, true},
        {O::RepeatRate, SystemSetting::KeyRepeatRate, false},
        {O::WindowsKeyLock, SystemSetting::WindowsKeyLock, true},
        {O::ArrowKeysOnWasd, SystemSetting::ArrowKeysOnWasd, true},
        {O::SixKeyMode, SystemSetting::SixKeyMode, true},
    }};
    for (const SystemRow& row : kSystemRows) {
        BindOnDevice<ISystemSettings>(
            row.operation, [row](ISystemSettings& s, PageView& p, const Route&, const Event& e) {
                static_cast<void>(
                    s.SetSystemValue(row.setting, row.check ? (p.Selected(e.control) ? 1 : 0) : p.Value(e.control)));
            });
    }
    // The repeat test box is the page's own: it only lets the user feel the repeat.
    BindOnDevice<ISystemSettings>(O::RepeatTestReset, [](ISystemSettings&, PageView& p, const Route&, const Event&) {
        p.SetText(kRepeatTestBox, "");
    });

    // Per-key colours: a key clicked on the lighting page, the keys a rubber
    // band marked, the whole group lit or dark.
    bind(O::KeyClick, [this](const Route& r, const Event& e) { KeyClicked(r, e); });
    BindOnDevice<IKeyColours>(O::PerKeyLighting, [this](IKeyColours& k, PageView& p, const Route&, const Event&) {
        if (const std::vector<int> keys = MarkedKeys(p); !keys.empty()) static_cast<void>(k.PaintKeys(keys));
    });
    BindOnDevice<IKeyColours>(O::ColourGroupFill, [](IKeyColours& k, PageView&, const Route&, const Event& e) {
        static_cast<void>(k.FillColourGroup(e.control == kLitGroupButton));
    });

    // The lighting panel reads its own controls and drives the lighting.
    BindOnDevice<ILighting>(O::LightingControl, [](ILighting& l, PageView&, const Route&, const Event& e) {
        // Options report both the one switched off and the one switched on.
        if (e.type == "selectchanged" && e.control != "deng_7color_check" && !SwitchedOn(e)) return;
        if (auto* panel = l.LightPanel()) panel->ApplyControl(e.control, l.LightingDevice());
    });
    BindOnDevice<ILighting>(O::QuickColour, [](ILighting& l, PageView&, const Route&, const Event& e) {
        if (auto* panel = l.LightPanel()) panel->ApplyControl(e.control, l.LightingDevice());
    });
    BindOnDevice<ILighting>(O::PaletteColour, [](ILighting& l, PageView&, const Route&, const Event&) {
        if (auto* panel = l.LightPanel()) panel->ApplyColour(panel->PaletteColour(), l.LightingDevice());
    });
    BindOnDevice<ILighting>(O::SameMode, [this](ILighting& l, PageView&, const Route&, const Event&) {
        auto* panel = l.LightPanel();
        if (panel == nullptr) return;
        const LightingPeers peers = LightingPeersOf(l);
        panel->ApplySameMode(l.LightingDevice(), peers.devices, peers.panels);
    });

    bind(O::FunctionPage, [this](const Route&, const Event& e) {
        if (SwitchedOn(e)) FunctionPage(e.control);
    });
    bind(O::ZelborDpiSlider, [this](const Route& r, const auto&) {
        const std::string n = std::to_string(r.index);
        Page().SetText("zelbor_DPI_edit_" + n, std::to_string(Page().Value("zelbor_DPI_slider_" + n)));
    });
    bind(O::ZelborDpiEdit, [this](const Route& r, const auto&) { ZelborDpiEdit(r.index); });
    bind(O::DesktopDeviceSettings, [this](const Route& r, const auto&) { OpenDesktopPanel(r.index); });
    BindOnDevice<IProfiles>(O::DefaultSettings,
                            [this](IProfiles& p, PageView&, const Route&, const Event&) { ResetToDefaults(p); });
    BindOnDevice<IProfiles>(O::DeviceReset,
                            [this](IProfiles& p, PageView&, const Route&, const Event&) { ResetDevice(p); });

    // The new profile is the one the list file names as selected: the combo
    // and the device follow it, so what the page shows is what runs.
    BindOnDevice<IProfiles>(O::ProfileAdd, [](IProfiles& p, PageView&, const Route&, const Event&) {
        auto* panel = p.ProfilePanel();
        if (panel == nullptr || !panel->AddProfile()) return;
        panel->SelectProfileEntry(panel->ProfileCount() - 1);
        SelectShownProfile(p);
    });
    BindOnDevice<IProfiles>(O::ProfileDuplicate, [](IProfiles& p, PageView&, const Route&, const Event&) {
        if (auto* panel = p.ProfilePanel()) panel->CopyProfile();
    });
    BindOnDevice<IProfiles>(O::ProfileDelete, [](IProfiles& p, PageView&, const Route&, const Event&) {
        if (auto* panel = p.ProfilePanel(); panel && panel->DeleteProfile()) SelectShownProfile(p);
    });
    BindOnDevice<IProfiles>(O::ProfileImport,
                            [this](IProfiles& p, PageView&, const Route&, const Event&) { ImportProfile(p); });
    BindOnDevice<IProfiles>(O::ProfileExport,
                            [this](IProfiles& p, PageView&, const Route&, const Event&) { ExportProfile(p); });
    BindOnDevice<IProfiles>(O::ProfileRename,
                            [this](IProfiles& p, PageView&, const Route&, const Event&) { RenameProfile(p); });
    BindOnDevice<IProfiles>(O::ProfileChosen, [this](IProfiles&, PageView&, const Route&, const Event&) {
        view_->SetTimer(root_->objectName().toStdString(), Number(MainTimerId::kProfileSwitch), kProfileSwitchDelayMs);
    });
    BindOnDevice<IProfiles>(O::ProfileFold, [](IProfiles& p, PageView&, const Route&, const Event&) {
        if (auto* panel = p.ProfilePanel()) panel->ShowMenu(!panel->MenuShown());
    });
}

// --- Operations -----------------------------------------------------------------

// On the lighting page a key takes the lighting colour; on the keys page it
// is the key the key-assignment panel edits.
void CMainWnd::KeyClicked(const Route& route, const platform::NotifyEvent& event) {
    const std::optional<device_io::KindRow> kind = CurrentKind();
    devices::CMorvaneUSBDevice* device = CurrentDevice();
    if (!kind || device == nullptr) return;
    if (device->GetPageSection() == kLightingSection) {
        if (auto* colours = CapabilityFor<devices::IKeyColours>(*kind, route, event)) {
            const std::array<int, 1> key{route.index};
            static_cast<void>(colours->PaintKeys(key));
        }
        return;
    }
    if (ShowsKeyAssignment(*device)) SelectKeyForAssignment(route, event);
}

// The keys of the current device whose buttons the last rubber band marked.
std::vector<int> CMainWnd::MarkedKeys(const platform::IPageView& page) const {
    std::vector<int> keys;
    const devices::CMorvaneUSBDevice* device = CurrentDevice();
    if (device == nullptr) return keys;
    for (std::size_t i = 0; i < device->KeyCount(); ++i)
        if (const std::string* button = device->KeyButton(i); button != nullptr && page.RectSelected(*button))
            keys.push_back(static_cast<int>(i));
    return keys;
}

void CMainWnd::FunctionPage(const std::string& tab) {
    const auto it = std::ranges::find(kFunctionTabs, std::string_view(tab));
    devices::CMorvaneUSBDevice* device = CurrentDevice();
    if (it == kFunctionTabs.end() || device == nullptr) return;
    const int category = static_cast<int>(it - kFunctionTabs.begin()) + 1;
    device->ShowPageSection(category);
    if (auto* profiles = device->Capability<devices::IProfiles>())
        if (auto* panel = profiles->ProfilePanel()) panel->SelectTab(category);
}

// Timer 1055: the profile chosen in the combo becomes the device's. The
// device uploads its macros and key map itself and reports the outcome
// (DeviceMessage::kMacrosRefused, kKeyMapUploaded).
void CMainWnd::SwitchProfile() {
    devices::CMorvaneUSBDevice* device = CurrentDevice();
    auto* profiles = device != nullptr ? device->Capability<devices::IProfiles>() : nullptr;
    if (profiles == nullptr) return;
    SelectShownProfile(*profiles);
    HoldWhileUploading();
}

QString CMainWnd::ChooseFile(bool save, FileKind kind) {
    if (chooseFile_) return chooseFile_(save);
    struct Dialog {
        QLatin1String filterId, filter, exportTitle, importTitle;
    };
    static const Dialog kProfiles{QLatin1String("profile_files_filter"), QLatin1String("Profile Files(*.json)"),
                                  QLatin1String("profile_export_title"), QLatin1String("profile_import_title")};
    static const Dialog kMacros{QLatin1String("macro_files_filter"), QLatin1String("Macro Files(*.mac)"),
                                QLatin1String("macro_export_title"), QLatin1String("macro_import_title")};
    const Dialog& dialog = kind == FileKind::Macro ? kMacros : kProfiles;
    const ui::TextResources& texts = ui::TextResources::Instance();
    const QString filter = texts.Has(dialog.filterId) ? texts.Text(dialog.filterId) : QString(dialog.filter);
    return save ? QFileDialog::getSaveFileName(this, texts.Text(dialog.exportTitle), QString(), filter)
                : QFileDialog::getOpenFileName(this, texts.Text(dialog.importTitle), QString(), filter);
}

// Only a file that names a profile ("profilename" and "profileUUID") is
// taken; any other file is left alone without a message.
void CMainWnd::ImportProfile(devices::IProfiles& profiles) {
    profiles::CDeviceProfileUI* panel = profiles.ProfilePanel();
    if (panel == nullptr || panel->CurrentIndex() == -1) return;
    const QString path = ChooseFile(false);
    if (path.isEmpty()) return;
    const Json::Value document = profiles::CJsonFileStore().ReadJson(path.toStdString());
    if (!document.isObject() || document["profilename"].isNull() || document["profileUUID"].isNull()) return;
    if (panel->ImportProfile(path.toStdString())) SelectShownProfile(profiles);
}

void CMainWnd::ExportProfile(devices::IProfiles& profiles) {
    profiles::CDeviceProfileUI* panel = profiles.ProfilePanel();
    if (panel == nullptr || panel->CurrentIndex() == -1) return;
    const QString path = ChooseFile(true);
    if (!path.isEmpty()) panel->ExportProfile(path.toStdString());
}

void CMainWnd::RenameProfile(devices::IProfiles& profiles) {
    profiles::CDeviceProfileUI* panel = profiles.ProfilePanel();
    if (panel == nullptr) return;
    const int result = panel->RenameProfile(panel->EditedName());
    if (result == profiles::CDeviceProfileUI::kRenameTaken) MessageBox(QStringLiteral("message_text_5"));
    else if (result != profiles::CDeviceProfileUI::kRenamed) MessageBox(QStringLiteral("message_text_25"));
}

void CMainWnd::ResetToDefaults(devices::IProfiles& profiles) {
    if (MessageBox(QStringLiteral("message_text_22"), true) != 1) return;
    static_cast<void>(profiles.ResetToDefaults());  // a failed write is reported by the device's own notice
    if (devices::CMorvaneUSBDevice* device = CurrentDevice()) device->RefreshPage();
    HoldWhileUploading();
}

void CMainWnd::ResetDevice(devices::IProfiles& profiles) {
    if (MessageBox(QStringLiteral("message_text_22"), true) != 1) return;
    // A failed write is reported by the device's own notice; the key map's
    // upload by its messages.
    static_cast<void>(profiles.ResetProfile());
    HoldWhileUploading();
}

void CMainWnd::ZelborDpiEdit(int n) {
    const std::string edit = "zelbor_DPI_edit_" + std::to_string(n);
    const std::string text = Page().Text(edit);
    long value = 0;
    try {
        value = std::stol(text);
    } catch (const std::exception&) {
        value = 0;
    }
    const int clamped = static_cast<int>(std::clamp<long>(value, kZelborDpiLowest, kZelborDpiHighest));
    Page().SetText(edit, std::to_string(clamped));
    Page().SetValue("zelbor_DPI_slider_" + std::to_string(n), clamped);
}

void CMainWnd::OpenDesktopPanel(int n) {
    const auto panel = DesktopPanelOfButton(n);
    if (!panel) return;
    if (!OpenDesktopSettings(*panel)) MessageBox(QStringLiteral("desktop_settings_unknown_text"));
}

void CMainWnd::ShowSettingsNotice(const QString& textId) { ShowNotice(ui::TextResources::Instance().Text(textId)); }

// A quiet line under the tab strip that goes away by itself.
void CMainWnd::ShowNotice(const QString& text, const QString& tooltip) {
    notices_.emplace_back(text, tooltip);
    if (!noticeShown_) ShowNextNotice();
}

void CMainWnd::ShowNextNotice() {
    auto* notice = qobject_cast<QLabel*>(ui::FindControl(root_, QStringLiteral("device_notice")));
    noticeShown_ = notice != nullptr && !notices_.empty();
    if (notice == nullptr) return;
    if (!noticeShown_) {
        notice->setVisible(false);
        return;
    }
    const auto [text, tooltip] = notices_.front();
    notices_.pop_front();
    notice->setText(text);
    notice->setToolTip(tooltip);
    notice->setVisible(true);
    QTimer::singleShot(kNoticeMs, notice, [this] { ShowNextNotice(); });
}

// Said once per file: which file, why, and where the original now is.
void CMainWnd::ShowFileNotice(const platform::FileNotice& notice) {
    struct Row {
        platform::FileNotice::Kind kind;
        const char* textId;
    };
    static constexpr std::array<Row, 3> kTexts{{
        {platform::FileNotice::Kind::kSetAside, "file_set_aside_text"},
        {platform::FileNotice::Kind::kLeftInPlace, "file_left_alone_text"},
        {platform::FileNotice::Kind::kEntriesDropped, "file_entries_dropped_text"},
    }};
    const auto row = std::ranges::find(kTexts, notice.kind, &Row::kind);
    if (row == kTexts.end()) return;
    const auto nameOf = [](const std::string& path) { return path.substr(path.rfind('/') + 1); };
    const std::string text =
        ui::FormatText(ui::TextResources::Instance().Text(QLatin1String(row->textId)).toStdString(),
                       {nameOf(notice.path), notice.reason, nameOf(notice.backup)});
    ShowNotice(QString::fromStdString(text), QString::fromStdString(platform::DescribeNotice(notice)));
}

// Every other device that has lighting, with its panel (null when its page
// has none), in the order of the kind table.
CMainWnd::LightingPeers CMainWnd::LightingPeersOf(const devices::ILighting& current) const {
    LightingPeers peers;
    if (!manager_) return peers;
    for (const device_io::KindRow row : device_io::kAllKindRows) {
        devices::CMorvaneUSBDevice* device = manager_->Device(row);
        auto* lighting = device != nullptr ? device->Capability<devices::ILighting>() : nullptr;
        if (lighting == nullptr || lighting == &current) continue;
        peers.devices.push_back(&lighting->LightingDevice());
        peers.panels.push_back(lighting->LightPanel());
    }
    return peers;
}

// Same mode has something to do only beside a second device with lighting
// whose tab shows: the panels offer it then.
void CMainWnd::RefreshSameModeFlags() {
    if (!manager_) return;
    std::vector<devices::ILighting*> lit;
    for (const device_io::KindRow row : device_io::kAllKindRows) {
        devices::CMorvaneUSBDevice* device = manager_->Device(row);
        auto* lighting = device != nullptr ? device->Capability<devices::ILighting>() : nullptr;
        const ui::CDeviceOptionUI* tab = pages_->Widgets(row)->option;
        if (lighting != nullptr && tab != nullptr && tab->OptionVisible()) lit.push_back(lighting);
    }
    for (devices::ILighting* lighting : lit)
        if (lighting::CLightControlUI* panel = lighting->LightPanel()) panel->SetSameModeFlag(lit.size() > 1);
}

}  // namespace vandrel::app
