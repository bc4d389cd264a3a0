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

#include "app/desktop_settings.h"
#include "app/main_window.h"
#include "devices/mouse/mouse_device.h"
#include "platform/trace.h"
#include "profiles/json_file_store.h"
#include "profiles/utf_text.h"
#include "ui/find_control.h"
#include "ui/text_format.h"
#include "ui/text_resources.h"

namespace vandrel::app {
namespace {

constexpr int kZelborDpiLowest = 200;
constexpr int kZelborDpiHighest = 6500;
constexpr int kNoticeMs = 8000;

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
    if (laterTraced_.insert(route.row).second)
        platform::Trace("not in this version (" + std::string(OperationName(route.operation)) + "): " + event.control);
}

devices::CMorvaneMouseDevice* CMainWnd::CurrentMouse() const {
    return dynamic_cast<devices::CMorvaneMouseDevice*>(CurrentDevice());
}

void CMainWnd::BindOperations() {
    using O = Operation;
    const auto bind = [this](Operation operation, OperationHandler handler) {
        operations_[operation] = std::move(handler);
    };
    // The mouse's own operations take the control's index.
    const auto onMouse = [this, &bind](Operation operation, auto action) {
        bind(operation, [this, action](const Route& route, const platform::NotifyEvent& event) {
            if (devices::CMorvaneMouseDevice* mouse = CurrentMouse()) action(*mouse, route, event);
        });
    };

    bind(O::HideToTray, [this](const Route&, const auto&) { HideToTray(); });
    bind(O::HideWindow, [this](const Route&, const auto&) { hide(); });
    bind(O::Minimise, [this](const Route&, const auto&) { showMinimized(); });
    bind(O::Maximise, [this](const Route&, const auto&) { showMaximized(); });
    bind(O::Restore, [this](const Route&, const auto&) { showNormal(); });
    bind(O::SelectPreviousTab, [this](const Route&, const auto&) { SelectNeighbourTab(false); });
    bind(O::SelectNextTab, [this](const Route&, const auto&) { SelectNeighbourTab(true); });
    bind(O::ChooseTab, [this](const Route&, const platform::NotifyEvent& e) {
        if (SwitchedOn(e)) ChooseTab();
    });

    onMouse(O::DpiSlider, [](auto& mouse, const Route& r, const auto&) { mouse.OnDpiSliderChanged(r.index); });
    onMouse(O::DpiSliderMoving, [](auto& mouse, const Route& r, const auto&) { mouse.OnDpiSliderMoving(r.index); });
    onMouse(O::DpiEdit, [](auto& mouse, const Route& r, const auto&) { mouse.OnDpiEditCommitted(r.index); });
    onMouse(O::DpiEnable, [](auto& mouse, const Route& r, const auto&) { mouse.OnDpiEnableChanged(r.index); });
    onMouse(O::DpiSelect, [](auto& mouse, const Route& r, const platform::NotifyEvent& e) {
        if (SwitchedOn(e)) mouse.OnDpiStageSelected(r.index);
    });
    onMouse(O::ReportRate, [](auto& mouse, const Route& r, const platform::NotifyEvent& e) {
        if (SwitchedOn(e)) mouse.OnReportRateSelected(r.index);
    });
    onMouse(O::PointerSpeed, [](auto& mouse, const Route&, const auto&) { mouse.OnPointerSpeedChanged(); });
    onMouse(O::WheelLines, [](auto& mouse, const Route&, const auto&) { mouse.OnWheelLinesChanged(); });
    onMouse(O::DoubleClick, [](auto& mouse, const Route&, const auto&) { mouse.OnDoubleClickChanged(); });
    onMouse(O::PointerPrecision, [](auto& mouse, const Route&, const auto&) { mouse.OnPointerPrecisionChanged(); });
    onMouse(O::ScrollPage, [](auto& mouse, const Route&, const auto&) { mouse.OnScrollPageChanged(); });
    onMouse(O::LightingControl, [](auto& mouse, const Route&, const platform::NotifyEvent& e) {
        // Options report both the one switched off and the one switched on.
        if (e.type == "selectchanged" && e.control != "deng_7color_check" && !SwitchedOn(e)) return;
        mouse.OnLightingControl(e.control);
    });
    onMouse(O::QuickColour,
            [](auto& mouse, const Route&, const platform::NotifyEvent& e) { mouse.OnLightingControl(e.control); });
    onMouse(O::PaletteColour, [](auto& mouse, const Route&, const auto&) {
        if (const auto* panel = mouse.LightPanel()) mouse.OnLightingColour(panel->PaletteColour());
    });
    onMouse(O::SameMode, [](auto& mouse, const Route&, const auto&) {
        if (auto* panel = mouse.LightPanel()) panel->ApplySameMode(mouse.LightingDevice(), {}, {});
    });

    bind(O::FunctionPage, [this](const Route&, const platform::NotifyEvent& e) {
        if (SwitchedOn(e)) FunctionPage(e.control);
    });
    bind(O::ZelborDpiSlider, [this](const Route& r, const auto&) {
        const std::string n = std::to_string(r.index);
        Page().SetText("zelbor_DPI_edit_" + n, std::to_string(Page().Value("zelbor_DPI_slider_" + n)));
    });
    bind(O::ZelborDpiEdit, [this](const Route& r, const auto&) { ZelborDpiEdit(r.index); });
    bind(O::DesktopDeviceSettings, [this](const Route& r, const auto&) { OpenDesktopPanel(r.index); });
    bind(O::DefaultSettings, [this](const Route&, const auto&) { ResetToDefaults(); });
    bind(O::DeviceReset, [this](const Route&, const auto&) { ResetDevice(); });

    // The new profile is the one the list file names as selected: the combo
    // and the mouse follow it, so what the page shows is what runs.
    onMouse(O::ProfileAdd, [](auto& mouse, const Route&, const auto&) {
        auto* panel = mouse.ProfilePanel();
        if (panel == nullptr || !panel->AddProfile()) return;
        panel->SelectProfileEntry(panel->ProfileCount() - 1);
        mouse.OnProfileSelected();
    });
    onMouse(O::ProfileDuplicate, [](auto& mouse, const Route&, const auto&) {
        if (auto* panel = mouse.ProfilePanel()) panel->CopyProfile();
    });
    onMouse(O::ProfileDelete, [](auto& mouse, const Route&, const auto&) {
        if (auto* panel = mouse.ProfilePanel(); panel && panel->DeleteProfile()) mouse.OnProfileSelected();
    });
    bind(O::ProfileImport, [this](const Route&, const auto&) { ImportProfile(); });
    bind(O::ProfileExport, [this](const Route&, const auto&) { ExportProfile(); });
    bind(O::ProfileRename, [this](const Route&, const auto&) { RenameProfile(); });
    bind(O::ProfileChosen, [this](const Route&, const auto&) {
        view_->SetTimer(root_->objectName().toStdString(), Number(MainTimerId::kProfileSwitch), kProfileSwitchDelayMs);
    });
    onMouse(O::ProfileFold, [](auto& mouse, const Route&, const auto&) {
        if (auto* panel = mouse.ProfilePanel()) panel->ShowMenu(!panel->MenuShown());
    });
}

// --- Operations -----------------------------------------------------------------

void CMainWnd::FunctionPage(const std::string& tab) {
    const auto it = std::ranges::find(kFunctionTabs, std::string_view(tab));
    devices::CMorvaneUSBDevice* device = CurrentDevice();
    if (it == kFunctionTabs.end() || device == nullptr) return;
    const int category = static_cast<int>(it - kFunctionTabs.begin()) + 1;
    device->ShowPageSection(category);
    if (devices::CMorvaneMouseDevice* mouse = CurrentMouse())
        if (auto* panel = mouse->ProfilePanel()) panel->SelectTab(category);
}

// Timer 1055: the profile chosen in the combo becomes the device's.
void CMainWnd::SwitchProfile() {
    if (devices::CMorvaneMouseDevice* mouse = CurrentMouse()) {
        if (auto* panel = mouse->ProfilePanel()) panel->SelectProfileEntry(panel->CurrentIndex());
        mouse->OnProfileSelected();
        if (mouse->UploadMacros() < 0) MessageBox(QStringLiteral("message_text_7"));
    }
}

QString CMainWnd::ChooseFile(bool save) {
    if (chooseFile_) return chooseFile_(save);
    const ui::TextResources& texts = ui::TextResources::Instance();
    const QString filter = texts.Has(QStringLiteral("profile_files_filter"))
                               ? texts.Text(QStringLiteral("profile_files_filter"))
                               : QStringLiteral("Profile Files(*.json)");
    return save ? QFileDialog::getSaveFileName(this, texts.Text(QStringLiteral("profile_export_title")), QString(),
                                               filter)
                : QFileDialog::getOpenFileName(this, texts.Text(QStringLiteral("profile_import_title")), QString(),
                                               filter);
}

// Only a file that names a profile ("profilename" and "profileUUID") is
// taken; any other file is left alone without a message.
void CMainWnd::ImportProfile() {
    devices::CMorvaneMouseDevice* mouse = CurrentMouse();
    profiles::CDeviceProfileUI* panel = mouse != nullptr ? mouse->ProfilePanel() : nullptr;
    if (panel == nullptr || panel->CurrentIndex() == -1) return;
    const QString path = ChooseFile(false);
    if (path.isEmpty()) return;
    const Json::Value document = profiles::CJsonFileStore().ReadJson(path.toStdString());
    if (!document.isObject() || document["profilename"].isNull() || document["profileUUID"].isNull()) return;
    if (panel->ImportProfile(path.toStdString())) mouse->OnProfileSelected();
}

void CMainWnd::ExportProfile() {
    devices::CMorvaneMouseDevice* mouse = CurrentMouse();
    profiles::CDeviceProfileUI* panel = mouse != nullptr ? mouse->ProfilePanel() : nullptr;
    if (panel == nullptr || panel->CurrentIndex() == -1) return;
    const QString path = ChooseFile(true);
    if (!path.isEmpty()) panel->ExportProfile(path.toStdString());
}

void CMainWnd::RenameProfile() {
    devices::CMorvaneMouseDevice* mouse = CurrentMouse();
    profiles::CDeviceProfileUI* panel = mouse != nullptr ? mouse->ProfilePanel() : nullptr;
    if (panel == nullptr) return;
    const int result = panel->RenameProfile(panel->EditedName());
    if (result == profiles::CDeviceProfileUI::kRenameTaken) MessageBox(QStringLiteral("message_text_5"));
    else if (result != profiles::CDeviceProfileUI::kRenamed) MessageBox(QStringLiteral("message_text_25"));
}

void CMainWnd::ResetToDefaults() {
    devices::CMorvaneMouseDevice* mouse = CurrentMouse();
    if (mouse == nullptr || MessageBox(QStringLiteral("message_text_22"), true) != 1) return;
    mouse->ResetToDefaults();
    mouse->RefreshPage();
}

void CMainWnd::ResetDevice() {
    devices::CMorvaneMouseDevice* mouse = CurrentMouse();
    if (mouse == nullptr || MessageBox(QStringLiteral("message_text_22"), true) != 1) return;
    mouse->OnProfileReset();
    if (mouse->UploadMacros() < 0) MessageBox(QStringLiteral("message_text_7"));
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
    if (n != 0 && n != 1) return;
    if (!OpenDesktopSettings(static_cast<DesktopPanel>(n))) MessageBox(QStringLiteral("desktop_settings_unknown_text"));
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

}  // namespace vandrel::app
