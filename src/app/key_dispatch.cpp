// The main window's key and macro operations: a key of the device picture
// chosen for assignment, the key-assignment panel's controls, key capture
// while its key edit has the focus, the macro list and its files, and the
// upload of macros and key map with what the window shows of it.
//
// Every handler acts on the current device's key-map capability and its
// panels; the device keeps the key list, the profile and the uploads.
#include <array>

#include <QApplication>

#include "app/bind_on_device.h"
#include "app/main_window.h"
#include "devices/capabilities.h"
#include "devices/key_panels.h"
#include "keys/key_set_control.h"
#include "macros/macro_control.h"
#include "ui/find_control.h"
#include "ui/key_capture_filter.h"
#include "ui/text_resources.h"

namespace vandrel::app {
namespace {

namespace ks = keys::keyset_controls;
namespace mc = macros::macro_controls;

// The function page of key assignment (the second tab).
constexpr int kKeysSection = 2;
constexpr profiles::KeyCode kLeftButton{0x10, 0x01, 0x00};

// What could start another upload, or change what one sends, while one runs.
constexpr std::array<std::string_view, 6> kWriteButtons{
    ks::kWriteButton, mc::kAddButton, mc::kDeleteButton, mc::kImportButton, "device_reset_btn", "default_btn",
};

// Whether `position` is the only key that clicks the left button: taking it
// away would leave the mouse without one.
bool OnlyLeftButton(const devices::IKeyMap& keys, int position) {
    int left = 0;
    bool isLeft = false;
    for (const profiles::KeyEntry& entry : keys.KeyList()) {
        if (entry.assignment != kLeftButton) continue;
        ++left;
        isLeft = isLeft || entry.index == position;
    }
    return isLeft && left == 1;
}

}  // namespace

void CMainWnd::BindKeyOperations() {
    using devices::IKeyMap;
    using O = Operation;
    using PageView = platform::IPageView;
    using Event = platform::NotifyEvent;
    keyCapture_ = new ui::KeyCaptureFilter([this](const platform::KeyRecord& key) { OnCapturedKey(key); }, this);
    qApp->installEventFilter(keyCapture_);

    BindOnDevice<IKeyMap>(O::KeyEditor,
                          [this](IKeyMap& k, PageView&, const Route& r, const Event& e) { KeyEditorEvent(k, r, e); });
    operations_[Operation::KeyCapture] = [this](const Route&, const Event& e) { KeyCaptureFocus(e); };
    BindOnDevice<IKeyMap>(O::KeyMapUpload,
                          [this](IKeyMap& k, PageView&, const Route&, const Event&) { WriteKeyMap(k); });
    BindOnDevice<IKeyMap>(O::MacroList,
                          [this](IKeyMap& k, PageView&, const Route&, const Event& e) { MacroListEvent(k, e); });
}

// A key of the picture on the keys page becomes the key being edited.
void CMainWnd::SelectKeyForAssignment(const Route& route, const platform::NotifyEvent& event) {
    const std::optional<device_io::KindRow> kind = CurrentKind();
    auto* keys = kind ? CapabilityFor<devices::IKeyMap>(*kind, route, event) : nullptr;
    if (keys == nullptr) return;
    if (*kind == device_io::KindRow::Mouse && OnlyLeftButton(*keys, route.index)) {
        MessageBox(QStringLiteral("message_text_6"));
        return;
    }
    keys->SelectKey(route.index);
}

bool CMainWnd::ShowsKeyAssignment(const devices::CMorvaneUSBDevice& device) const {
    return device.GetPageSection() == kKeysSection;
}

void CMainWnd::KeyEditorEvent(devices::IKeyMap& keys, const Route& route, const platform::NotifyEvent& event) {
    devices::KeyPanels* panels = keys.Panels();
    if (panels == nullptr) return;
    keys::CKeySetControlUI& panel = panels->KeyPanel();
    const std::string& control = event.control;
    if (route.index >= 0) {  // a modifier option, switched on or off by the user
        if (panel.OnModifierClicked(route.index)) ApplyKeyAssignment(keys);
        return;
    }
    if (control == ks::kDefaultButton) {
        panel.OnDefaultClicked();
    } else if (control == ks::kCancelButton) {
        panel.OnCancelClicked();
    } else if (control == ks::kSaveButton) {
        ApplyKeyAssignment(keys);
    } else if (event.type == "killfocus") {
        if (panel.OnEditFinished(control)) ApplyKeyAssignment(keys);
    } else if (event.type == "itemselect") {
        if (control == ks::kFunctionCombo) panel.OnFunctionChosen();
        else if (control == ks::kMacroModeCombo) panel.OnModeChosen();
        ApplyKeyAssignment(keys);
    }
}

// The panel's record into the device's key list and its profile (in
// memory); the labels follow. The device gets it with "key_butt_prosave".
void CMainWnd::ApplyKeyAssignment(devices::IKeyMap& keys) {
    devices::KeyPanels* panels = keys.Panels();
    const int position = keys.SelectedKey();
    if (panels == nullptr || position < 0) return;
    keys.SetKeyAssignment(position, panels->KeyPanel().BuildCode());
    keys.RefreshKeyLabels();
    panels->KeyPanel().EnableButtons(true);
}

// The key edit gained the focus: key presses are captured until it loses it.
void CMainWnd::KeyCaptureFocus(const platform::NotifyEvent& event) {
    if (event.type != "setfocus") {
        keyCapture_->Disarm();
        return;
    }
    const std::optional<device_io::KindRow> kind = CurrentKind();
    const KindWidgets* widgets = kind ? pages_->Widgets(*kind) : nullptr;
    QWidget* edit = widgets != nullptr && widgets->page
                        ? ui::FindControl(widgets->page, QString::fromStdString(event.control))
                        : nullptr;
    if (edit != nullptr) keyCapture_->Arm(edit);
}

// The key map of a kind's device; nullptr without the device or the capability.
devices::IKeyMap* CMainWnd::KeyMapOf(std::optional<device_io::KindRow> kind) const {
    devices::CMorvaneUSBDevice* device = kind && manager_ ? manager_->Device(*kind) : nullptr;
    return device != nullptr ? device->Capability<devices::IKeyMap>() : nullptr;
}

void CMainWnd::OnCapturedKey(const platform::KeyRecord& key) {
    devices::IKeyMap* keys = KeyMapOf(CurrentKind());
    devices::KeyPanels* panels = keys != nullptr ? keys->Panels() : nullptr;
    if (panels != nullptr && panels->KeyPanel().Capture(key.virtualKey, key.extended)) ApplyKeyAssignment(*keys);
}

// "key_butt_prosave": macros, then the key map, on the device's worker; the
// outcome comes back as device messages (OnKeyMapUploadEnded).
void CMainWnd::WriteKeyMap(devices::IKeyMap& keys) {
    const std::optional<device_io::KindRow> kind = CurrentKind();
    if (!kind || keys.Uploading()) return;
    if (devices::KeyPanels* panels = keys.Panels()) panels->KeyPanel().EnableButtons(false);
    keyMapWrites_.insert(*kind);
    keys.UploadMacrosAndKeyMap();
    HoldWriteButtons(*kind, true);
}

// While an upload runs nothing that would start another can be clicked.
void CMainWnd::HoldWriteButtons(device_io::KindRow kind, bool hold) {
    const KindWidgets* widgets = pages_->Widgets(kind);
    platform::IPageView* page = widgets->pageView.get();
    if (page == nullptr) return;
    for (const std::string_view button : kWriteButtons) {
        // The panel's write button stays off after its upload until the next change.
        if (!hold && button == ks::kWriteButton) continue;
        page->SetEnabled(button, !hold);
    }
    if (hold) return;
    // Deleting needs a macro chosen.
    devices::IKeyMap* keys = KeyMapOf(kind);
    if (keys != nullptr && keys->Panels() != nullptr)
        page->SetEnabled(mc::kDeleteButton, keys->Panels()->MacroPanel().SelectedMacro() >= 0);
}

// After something that made the current device upload (a profile switch or
// reset), its write buttons wait for the upload's end.
void CMainWnd::HoldWhileUploading() {
    const std::optional<device_io::KindRow> kind = CurrentKind();
    const devices::IKeyMap* keys = KeyMapOf(kind);
    if (keys != nullptr && keys->Uploading()) HoldWriteButtons(*kind, true);
}

// The macros of an upload from "key_butt_prosave" were too large: the key
// being edited goes back to its default, as the device keeps it.
void CMainWnd::OnMacrosTooLarge(device_io::KindRow kind) {
    if (!keyMapWrites_.contains(kind)) return;
    devices::IKeyMap* keys = KeyMapOf(kind);
    if (keys == nullptr || keys->Panels() == nullptr) return;
    keys->Panels()->KeyPanel().ShowDefault();
    ApplyKeyAssignment(*keys);
    keys->Panels()->KeyPanel().EnableButtons(false);
}

// The upload ended: the buttons come back, and after "key_butt_prosave" the
// profile is saved once the key map is on the device.
void CMainWnd::OnKeyMapUploadEnded(device_io::KindRow kind, bool written) {
    HoldWriteButtons(kind, false);
    if (keyMapWrites_.erase(kind) == 0 || !written) return;
    if (devices::CMorvaneUSBDevice* device = manager_ ? manager_->Device(kind) : nullptr) device->SaveProfile();
}

void CMainWnd::MacroListEvent(devices::IKeyMap& keys, const platform::NotifyEvent& event) {
    devices::KeyPanels* panels = keys.Panels();
    if (panels == nullptr) return;
    macros::CMacroControlUI& macros = panels->MacroPanel();
    const std::string& control = event.control;
    if (control == mc::kNameList) {
        macros.ShowSelectedMacro();
    } else if (control == mc::kAddButton) {
        if (!macros.AddMacro().empty()) panels->MacroNamesChanged();
    } else if (control == mc::kRenameButton) {
        const macros::RenameOutcome renamed = macros.RenameMacro();
        if (renamed.text.empty() && renamed.index >= 0) {
            MessageBox(QStringLiteral("message_text_5"));
        } else if (!renamed.text.empty() && renamed.index >= 0) {
            panels->MacroNamesChanged();
            keys.RefreshKeyLabels();
        }
    } else if (control == mc::kDeleteButton) {
        if (keys.Uploading()) return;
        const std::optional<device_io::KindRow> kind = CurrentKind();
        static_cast<void>(keys.DeleteSelectedMacro(
            [this](std::string_view textId) { return MessageBox(QString::fromUtf8(textId), true) == 1; }));
        if (kind && keys.Uploading()) HoldWriteButtons(*kind, true);
    } else if (control == mc::kImportButton) {
        const QString path = ChooseFile(false, FileKind::Macro);
        if (!path.isEmpty() && !macros.ImportMacro(path.toStdString()).empty()) panels->MacroNamesChanged();
    } else if (control == mc::kExportButton) {
        if (macros.SelectedMacro() < 0) return;
        const QString path = ChooseFile(true, FileKind::Macro);
        if (!path.isEmpty()) macros.ExportMacro(path.toStdString());
    }
}

// Labels name functions in the window's language.
void CMainWnd::RefreshKeyLabels() {
    for (const device_io::KindRow row : device_io::kAllKindRows)
        if (devices::IKeyMap* keys = KeyMapOf(row)) keys->RefreshKeyLabels();
}

}  // namespace vandrel::app
