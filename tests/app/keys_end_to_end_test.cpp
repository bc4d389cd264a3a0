// Keys and macros through the whole program, offscreen, over the simulated
// mouse and keyboard: a key chosen on the picture, its function set in the
// key-assignment panel with real widgets (a key captured from a key event
// with its native scan code), "key_butt_prosave" sending macros and key map
// in that order, and what the window says when the device cannot take them.
// Real files in a temporary folder, the devices' real command workers.
// With VANDREL_TEST_SHOTS=folder it leaves pictures of the panels there.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <json/json.h>

#include "app/main_window.h"
#include "device_io/device_tables.h"
#include "devices/keyboard/keyboard_device.h"
#include "devices/mouse/mouse_device.h"
#include "devices/mouse/mouse_record.h"
#include "macros/macro_file.h"
#include "macros/macro_image.h"
#include "platform/folders.h"
#include "profiles/json_file_store.h"
#include "program_files.h"
#include "protocol/commands.h"
#include "protocol/report_frame.h"
#include "sim/sim_backend.h"
#include "sim/sim_macro_image.h"
#include "ui/controls/device_key_button.h"
#include "ui/find_control.h"
#include "ui/text_resources.h"

using namespace vandrel;
using sim::SimKind;
using sim::SimLink;
using sim::SimRegion;
namespace cmd = protocol::cmd;
namespace frame = protocol::frame;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr int kWaitMs = 5000;
// Items of the key-assignment panel's function combo (its family numbers).
constexpr int kDefaultFamily = 0;
constexpr int kKeyboardFamily = 6;
constexpr int kMacroFamily = 9;
constexpr int kRepeatMode = 4;
constexpr int kMouseKey = 3;
constexpr int kKeyboardKey = 43;
// X11 and Wayland key codes: the evdev code + 8.
constexpr quint32 kNativeA = 30 + 8;
constexpr quint32 kNativeTab = 15 + 8;
constexpr std::uint8_t kKeyEvent = 10;  // a macro event of a keyboard key

// `count` key events of usage 4 ("A"), down and up by turns, 20 ms apart.
std::vector<macros::MacroEvent> Events(int count) {
    std::vector<macros::MacroEvent> events;
    for (int i = 0; i < count; ++i) events.push_back({kKeyEvent, 4, i % 2 == 0, static_cast<std::uint16_t>(20 + i)});
    return events;
}

std::vector<sim::SimMacroRecord> Records(const std::vector<macros::MacroEvent>& events) {
    std::vector<sim::SimMacroRecord> records;
    for (const macros::MacroEvent& e : events) {
        const macros::EventRecord r = macros::EventToBytes(e);
        records.push_back({static_cast<std::uint16_t>(r[0] | r[1] << 8), r[2], r[3]});
    }
    return records;
}

// The commands the device received, the lighting left out, each transfer
// (frames of one command at consecutive offsets) once.
std::vector<std::uint8_t> Commands(const sim::SimFirmware& firmware) {
    std::vector<std::uint8_t> commands;
    int next = -1;
    for (const sim::SimFrameRecord& record : firmware.Frames()) {
        const protocol::Frame& f = record.frame;
        const std::uint8_t command = f[frame::kCommand];
        if (command == cmd::kLightStream || command == cmd::kWritePage || command == cmd::kWriteAt ||
            command == cmd::kHostLighting || command == cmd::kReadSmall)
            continue;
        const int offset = f[frame::kOffsetLow] | f[frame::kOffsetHigh] << 8;
        if (!commands.empty() && commands.back() == command && offset == next && f[frame::kLength] > 0) {
            next += f[frame::kLength];
            continue;
        }
        commands.push_back(command);
        next = offset + f[frame::kLength];
    }
    return commands;
}

// Closes every message box the window opens and keeps their texts.
class MessageBoxes {
public:
    MessageBoxes() {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            QWidget* box = QApplication::activeModalWidget();
            if (box == nullptr) return;
            shown_.push_back(qobject_cast<QLabel*>(ui::FindControl(box, QStringLiteral("MessageText")))->text());
            qobject_cast<QAbstractButton*>(ui::FindControl(box, QStringLiteral("confirm_btn")))->click();
        });
        poll_.start(20);
    }
    const QStringList& Shown() const { return shown_; }

private:
    QTimer poll_;
    QStringList shown_;
};

QString Text(const char* id) { return ui::TextResources::Instance().Text(QLatin1String(id)); }

}  // namespace

class KeysEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testing::UseProgramFiles(temp_); }

    void cleanup() {
        window_.reset();
        backend_.reset();
        QVERIFY(QDir(temp_.filePath(QStringLiteral("data"))).removeRecursively());
        QVERIFY(QDir(temp_.filePath(QStringLiteral("config"))).removeRecursively());
    }

    // A mouse key set to repeat macro_1 five times: in the profile's key list
    // at once, on the mouse after "key_butt_prosave", macros first.
    void mouseKeyRunsAMacroOnceWritten() {
        const std::vector<macros::MacroEvent> macro1 = Events(4);
        WriteMacros("mouse", {{"macro_1", macro1}, {"macro_2", Events(2)}});
        Start(SimKind::Mouse, SimLink::Cable);
        ChooseKey("mouse", QStringLiteral("mouse_key_%1").arg(kMouseKey));

        Control<QComboBox>("mouse", "keyset_function_combo")->setCurrentIndex(kMacroFamily);
        Control<QComboBox>("mouse", "keyset_macro_combo")->setCurrentIndex(0);
        Control<QComboBox>("mouse", "keyset_macro_over_combo")->setCurrentIndex(kRepeatMode);
        auto* repeat = Control<QLineEdit>("mouse", "keyset_macro_cycle_edit");
        repeat->setText(QStringLiteral("5"));
        emit repeat->editingFinished();
        QCOMPARE(Mouse()->KeyList()[kMouseKey].assignment, (profiles::KeyCode{0x71, 0, 5}));
        QVERIFY(Control<QAbstractButton>("mouse", "key_butt_prosave")->isEnabled());
        Shot("mouse-key-macro");

        firmware_->ClearFrames();
        Control<QAbstractButton>("mouse", "key_butt_prosave")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!Mouse()->Uploading() && Mouse()->CommandsIdle(), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(KeyListEntry("mouse", kMouseKey), 0x710005, kWaitMs);
        // Each upload opens with the information read: the macros', then the key map's.
        const Bytes sent{cmd::kReadInfo, cmd::kSequenceBegin, cmd::kWriteMacros, cmd::kSequenceEnd,
                         cmd::kReadInfo, cmd::kSequenceBegin, cmd::kWriteKeyMap, cmd::kSequenceEnd};
        QCOMPARE(Commands(*firmware_), sent);
        const std::optional<sim::SimMacros> image = sim::DecodeMacroImage(firmware_->ReadRegion(SimRegion::Macros));
        QVERIFY(image.has_value());
        QVERIFY(*image == sim::SimMacros{Records(macro1)});
        QCOMPARE(KeyMapSlot(Mouse()->PositionSlot(kMouseKey)), (Bytes{0x71, 0x00, 0x05}));
        QVERIFY(!Control<QAbstractButton>("mouse", "key_butt_prosave")->isEnabled());
        // The key's label names its macro.
        QVERIFY(Control<QWidget>("mouse", QStringLiteral("mouse_key_%1").arg(kMouseKey))
                    ->toolTip()
                    .contains(QStringLiteral("macro_1")));
    }

    // On the keyboard: Ctrl checked, the key edit focused, "A" pressed: the
    // key becomes Ctrl+A; Tab is captured too and the focus stays.
    void keyboardKeyTakesACapturedCombination() {
        Start(SimKind::Keyboard, SimLink::Cable);
        ChooseKey("keyboard", QStringLiteral("key_%1").arg(kKeyboardKey));
        Control<QComboBox>("keyboard", "keyset_function_combo")->setCurrentIndex(kKeyboardFamily);
        Control<QAbstractButton>("keyboard", "key_ComBox_check_1")->click();
        auto* edit = Control<QLineEdit>("keyboard", "keyset_keyboard_text_edit");
        QApplication::setActiveWindow(window_.get());
        edit->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(edit), kWaitMs);

        Press(kNativeA);
        QCOMPARE(Keyboard()->KeyList()[kKeyboardKey].assignment, (profiles::KeyCode{0x20, 0x01, 0x04}));
        const QString label = Control<QWidget>("keyboard", QStringLiteral("key_%1").arg(kKeyboardKey))->toolTip();
        QVERIFY2(label.contains(Text("keyboard_key_LCtrl")) && label.contains(Text("keyboard_key_A")),
                 qPrintable(label));
        QCOMPARE(edit->text(), Text("keyboard_key_A"));

        Shot("keyboard-key-captured");
        Press(kNativeTab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit));
        QCOMPARE(Keyboard()->KeyList()[kKeyboardKey].assignment, (profiles::KeyCode{0x20, 0x01, 0x2B}));
        Press(kNativeA);

        Control<QAbstractButton>("keyboard", "key_butt_prosave")->click();
        QTRY_COMPARE_WITH_TIMEOUT(KeyListEntry("keyboard", kKeyboardKey), 0x200104, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!Keyboard()->Uploading() && Keyboard()->CommandsIdle(), kWaitMs);
        const devices::keyboard::PositionMaps maps = Keyboard()->Maps();
        QCOMPARE(KeyMapSlot(maps.keySlot[kKeyboardKey]), (Bytes{0x20, 0x01, 0x04}));
    }

    // The only key that clicks the left button is not offered for
    // assignment: the mouse would be left without one.
    void onlyLeftButtonStaysTheLeftButton() {
        Start(SimKind::Mouse, SimLink::Cable);
        MessageBoxes boxes;
        Control<QAbstractButton>("mouse", "key_Op_tab")->click();
        Control<QAbstractButton>("mouse", "mouse_key_0")->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.Shown(), QStringList{Text("message_text_6")}, kWaitMs);
        QCOMPARE(Mouse()->SelectedKey(), -1);
        QVERIFY(!Control<QWidget>("mouse", "keyset_layout")->isVisible());
        // Any other button is.
        Control<QAbstractButton>("mouse", "mouse_key_1")->click();
        QTRY_VERIFY_WITH_TIMEOUT(Control<QWidget>("mouse", "keyset_layout")->isVisible(), kWaitMs);
        QCOMPARE(Mouse()->SelectedKey(), 1);
        QCOMPARE(boxes.Shown().size(), 1);
    }

    // The receiver loses the mouse for the upload's link query: the window
    // says the macros did not go out, and no key map is written.
    void unreachableMouseGetsNoKeyMap() {
        WriteMacros("mouse", {{"macro_1", Events(2)}});
        Start(SimKind::Mouse, SimLink::Receiver);
        ChooseKey("mouse", QStringLiteral("mouse_key_%1").arg(kMouseKey));
        Control<QComboBox>("mouse", "keyset_function_combo")->setCurrentIndex(kMacroFamily);
        Control<QComboBox>("mouse", "keyset_macro_combo")->setCurrentIndex(0);

        MessageBoxes boxes;
        firmware_->ClearFrames();
        firmware_->QueueCommandFault(cmd::kLinkQuery, sim::SimFault::ReceiverNoDevice);
        Control<QAbstractButton>("mouse", "key_butt_prosave")->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.Shown(), QStringList{Text("message_text_7")}, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!Mouse()->Uploading() && Mouse()->CommandsIdle(), kWaitMs);
        QVERIFY(firmware_->FramesOf(cmd::kWriteKeyMap).empty());
        // The assignment stays in the profile the program runs.
        QCOMPARE(Mouse()->KeyList()[kMouseKey].assignment, (profiles::KeyCode{0x70, 0, 0}));
        QVERIFY(Control<QWidget>("mouse", "device_reset_btn")->isEnabled());
    }

    // Macros larger than the mouse's memory: the message says how many
    // actions too many, nothing is written and the key is back to its default.
    void macrosTooLargeLeaveTheKeyOnItsDefault() {
        // Two units (256 bytes) of macro memory for 16 + 12 + 4 x 68 = 300 bytes.
        WriteMacros("mouse", {{"macro_1", Events(34)}, {"macro_2", Events(34)}});
        Start(SimKind::Mouse, SimLink::Cable);
        QVERIFY(firmware_->WriteRegion(SimRegion::Info, 18, Bytes{2}));
        // Another key already runs macro_2.
        ChooseKey("mouse", QStringLiteral("mouse_key_%1").arg(4));
        Control<QComboBox>("mouse", "keyset_function_combo")->setCurrentIndex(kMacroFamily);
        Control<QComboBox>("mouse", "keyset_macro_combo")->setCurrentIndex(1);
        ChooseKey("mouse", QStringLiteral("mouse_key_%1").arg(kMouseKey));
        Control<QComboBox>("mouse", "keyset_function_combo")->setCurrentIndex(kMacroFamily);
        Control<QComboBox>("mouse", "keyset_macro_combo")->setCurrentIndex(0);

        MessageBoxes boxes;
        firmware_->ClearFrames();
        Control<QAbstractButton>("mouse", "key_butt_prosave")->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.Shown().size(), 1, kWaitMs);
        QCOMPARE(boxes.Shown().front(), Text("message_text_16").replace(QStringLiteral("%d"), QStringLiteral("12")));
        QTRY_VERIFY_WITH_TIMEOUT(!Mouse()->Uploading() && Mouse()->CommandsIdle(), kWaitMs);
        QVERIFY(firmware_->FramesOf(cmd::kWriteMacros).empty());
        QVERIFY(firmware_->FramesOf(cmd::kWriteKeyMap).empty());
        QCOMPARE(Mouse()->KeyList()[kMouseKey].assignment, devices::mouse::kFactoryKeyCodes[kMouseKey]);
        QCOMPARE(Control<QComboBox>("mouse", "keyset_function_combo")->currentIndex(), kDefaultFamily);
        QVERIFY(Control<ui::CDeviceKeyButtonUI>("mouse", QStringLiteral("mouse_key_%1").arg(kMouseKey))->KeySetOn());
    }

    // The macro list through its buttons: names reach the key panel's
    // choices; a name taken is refused; a file exported comes back as a new
    // macro with its events.
    void macroListFollowsItsButtons() {
        WriteMacros("mouse", {{"macro_1", Events(2)}});
        Start(SimKind::Mouse, SimLink::Cable);
        Control<QAbstractButton>("mouse", "macro_Op_tab")->click();
        auto* list = Control<QListWidget>("mouse", "macro_name_list");
        QCOMPARE(list->count(), 1);
        Control<QAbstractButton>("mouse", "macro_btn_name_add")->click();
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("macro_2"));
        QCOMPARE(Control<QComboBox>("mouse", "keyset_macro_combo")->count(), 2);

        MessageBoxes boxes;
        Control<QLineEdit>("mouse", "macro_edit_macroname")->setText(QStringLiteral("MACRO_1"));
        Control<QAbstractButton>("mouse", "macro_btn_name_edit")->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.Shown(), QStringList{Text("message_text_5")}, kWaitMs);

        list->setCurrentRow(0);
        const QString exported = temp_.filePath(QStringLiteral("exported.mac"));
        window_->SetFileChooser([&](bool) { return exported; });
        Control<QAbstractButton>("mouse", "macro_btn_export")->click();
        QVERIFY(QFile::exists(exported));
        Control<QAbstractButton>("mouse", "macro_btn_import")->click();
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(2)->text(), QStringLiteral("macro_3"));
        QCOMPARE(Control<QComboBox>("mouse", "keyset_macro_combo")->itemText(2), QStringLiteral("macro_3"));
        QCOMPARE(list->currentRow(), 2);
        Shot("mouse-macro-list");
        // Shown with the events it was exported with.
        QCOMPARE(Control<QTableWidget>("mouse", "macro_action_list")->rowCount(), 2);
    }

private:
    // With VANDREL_TEST_SHOTS=folder, a picture of the window there.
    void Shot(const char* name) const {
        if (const QByteArray folder = qgetenv("VANDREL_TEST_SHOTS"); !folder.isEmpty())
            QVERIFY(window_->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name) +
                                         QStringLiteral(".png")));
    }

    void Start(SimKind kind, SimLink link) {
        backend_ = std::make_unique<sim::SimBackend>();
        firmware_ = &backend_->Plug(kind, link);
        window_ =
            std::make_unique<app::CMainWnd>(*backend_, nullptr, nullptr, app::CMainWnd::Settings{.useTray = false});
        window_->Prepare();
        window_->show();
        QTRY_VERIFY_WITH_TIMEOUT(window_->FirstScanDone(), kWaitMs);
        if (kind == SimKind::Mouse) {
            QTRY_VERIFY_WITH_TIMEOUT(Mouse() != nullptr && Mouse()->KeyMapRead(), kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(window_->Pages().Widgets(Row("mouse"))->page != nullptr, kWaitMs);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(Keyboard() != nullptr && Keyboard()->KeyMapRead(), kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(window_->Pages().Widgets(Row("keyboard"))->page != nullptr, kWaitMs);
        }
        QTRY_VERIFY_WITH_TIMEOUT(window_->CurrentDevice() != nullptr, kWaitMs);
    }

    // The keys page, then the key on the picture.
    void ChooseKey(const char* kind, const QString& button) {
        Control<QAbstractButton>(kind, "key_Op_tab")->click();
        Control<QAbstractButton>(kind, button)->click();
        QTRY_VERIFY_WITH_TIMEOUT(Control<QWidget>(kind, "keyset_layout")->isVisible(), kWaitMs);
    }

    // A key as the window system delivers it: to the window, with its native code.
    void Press(quint32 nativeScanCode) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, nativeScanCode, 0, 0);
        QApplication::sendEvent(window_->windowHandle(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, nativeScanCode, 0, 0);
        QApplication::sendEvent(window_->windowHandle(), &release);
    }

    void WriteMacros(const char* kind,
                     const std::vector<std::pair<std::string, std::vector<macros::MacroEvent>>>& list) {
        const std::string folder = platform::UserDataFolder(kind);
        QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
        Json::Value config;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string id = "m" + std::to_string(i);
            config["MacroInfo"][Json::ArrayIndex(i)]["MacroName"] = list[i].first;
            config["MacroInfo"][Json::ArrayIndex(i)]["Guid"] = id;
            QCOMPARE(macros::WriteMacroFile(folder + id + ".mac", {list[i].first, id, list[i].second}),
                     profiles::WriteStatus::Ok);
        }
        QCOMPARE(profiles::CJsonFileStore().WriteJson(folder + "macro.config", config), profiles::WriteStatus::Ok);
    }

    Bytes KeyMapSlot(std::size_t slot) const {
        const Bytes map = firmware_->ReadRegion(SimRegion::KeyMap);
        if (slot * 3 + 3 > map.size()) return {};
        return {map.begin() + static_cast<std::ptrdiff_t>(slot * 3),
                map.begin() + static_cast<std::ptrdiff_t>(slot * 3 + 3)};
    }

    // The stored "Assignment" of a key in the profile file.
    int KeyListEntry(const char* kind, int key) const {
        const Json::Value document =
            profiles::CJsonFileStore().ReadJson(window_->Manager().Device(Row(kind))->GetProfilePath());
        return document["Device"][0]["KeyList"][Json::ArrayIndex(key)]["Assignment"].asInt();
    }

    static device_io::KindRow Row(const char* kind) { return *device_io::FindDeviceKindByName(kind); }
    devices::CMorvaneMouseDevice* Mouse() const {
        return window_ ? dynamic_cast<devices::CMorvaneMouseDevice*>(window_->Manager().Device(Row("mouse"))) : nullptr;
    }
    devices::CMorvaneKeyboardDevice* Keyboard() const {
        return window_ ? dynamic_cast<devices::CMorvaneKeyboardDevice*>(window_->Manager().Device(Row("keyboard")))
                       : nullptr;
    }
    template <typename T>
    T* Control(const char* kind, const QString& name) const {
        auto* control = qobject_cast<T*>(ui::FindControl(window_->Pages().Widgets(Row(kind))->page.data(), name));
        if (control == nullptr) qFatal("the %s page has no %s", kind, qPrintable(name));
        return control;
    }
    template <typename T>
    T* Control(const char* kind, const char* name) const {
        return Control<T>(kind, QLatin1String(name));
    }

    QTemporaryDir temp_;
    std::unique_ptr<sim::SimBackend> backend_;
    sim::SimFirmware* firmware_ = nullptr;
    std::unique_ptr<app::CMainWnd> window_;
};

QTEST_MAIN(KeysEndToEndTest)
#include "keys_end_to_end_test.moc"
