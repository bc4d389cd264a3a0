// The whole program with a simulated keyboard, offscreen: the window, the
// scan, the device manager, the keyboard with its command worker and lighting
// thread, its page and the profile files, through the real widgets and real
// files in a temporary folder. The simulated keyboard numbers its key slots
// down its matrix columns and its LEDs in a serpentine, so a key's slot, LED
// and page position all differ.
#include <algorithm>
#include <memory>
#include <vector>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <json/json.h>

#include "app/main_window.h"
#include "device_io/device_tables.h"
#include "devices/keyboard/keyboard_device.h"
#include "devices/mouse/mouse_device.h"
#include "macros/macro_file.h"
#include "platform/folders.h"
#include "profiles/json_file_store.h"
#include "program_files.h"
#include "protocol/commands.h"
#include "sim/sim_backend.h"
#include "sim/sim_models.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/device_option.h"
#include "ui/find_control.h"
#include "ui/text_resources.h"

using namespace vandrel;
using sim::SimKind;
using sim::SimLink;
using sim::SimRegion;
namespace cmd = protocol::cmd;

namespace {

constexpr int kWaitMs = 5000;
constexpr std::size_t kKeyA = 64;
constexpr std::size_t kKeyB = 89;
constexpr std::size_t kPageStride = sim::kColourPageStride;
// The keyboard's effects as the page lists them.
constexpr int kBreathing = 5;
constexpr int kStatic = 6;
constexpr int kReactive = 7;
constexpr int kPerKey = 20;
// The list of default_light.json the keyboard's effects come from.
constexpr int kKeyboardLightList = 0;

// The record the keyboard holds when the program starts: breathing at
// brightness 3, speed byte 1 (speed 3), blue, colour group 0.
constexpr std::uint8_t kStartBrightness = 3;
constexpr std::uint8_t kStartSpeedByte = 1;
constexpr std::uint8_t kStartSpeed = 4 - kStartSpeedByte;

struct Rgb {
    std::uint8_t r, g, b;
};

// The device code of entry `entry` of list `list` of the default light names.
int EffectCode(int list, int entry) {
    const Json::Value names = profiles::CJsonFileStore().ReadJson(platform::DefaultLightNamesPath());
    return names["DefaultLightName"][list][entry]["value"].asInt();
}

std::vector<std::uint8_t> StartRecord() {
    std::vector<std::uint8_t> record(sim::RecordSize(SimKind::Keyboard), 0);
    record[1] = static_cast<std::uint8_t>(EffectCode(kKeyboardLightList, kBreathing));
    record[2] = kStartBrightness;
    record[3] = kStartSpeedByte;
    record[8] = 0xFF;
    return record;
}

// The simulated keyboard's key slot of a page position: the slot whose
// factory key map entry holds the position's key.
std::uint8_t SlotOf(std::size_t position) {
    const sim::SimModel& model = sim::ModelOf(SimKind::Keyboard);
    const std::vector<std::uint8_t> map = sim::FactoryKeyMap(SimKind::Keyboard, model.keySlots);
    const sim::SimKeyCode& key = model.factoryKeys[position];
    for (std::size_t s = 0; s * 3 + 2 < map.size(); ++s)
        if (map[s * 3] == key.type && map[s * 3 + 1] == key.code1 && map[s * 3 + 2] == key.code2)
            return static_cast<std::uint8_t>(s);
    qFatal("position %zu has no key slot", position);
}

std::uint8_t LedOf(std::size_t position) {
    return sim::FactoryLedMap(SimKind::Keyboard, sim::ModelOf(SimKind::Keyboard).keySlots)[SlotOf(position)];
}

std::vector<std::uint8_t> FactoryCode(std::size_t position) {
    const sim::SimKeyCode& key = sim::ModelOf(SimKind::Keyboard).factoryKeys[position];
    return {key.type, key.code1, key.code2};
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t n) {
    if (at + n > bytes.size()) return {};
    return {bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

// A key's colour in colour page `group` of the keyboard's memory.
std::vector<std::uint8_t> PageColour(const sim::SimFirmware& firmware, int group, std::size_t position) {
    return Slice(firmware.ReadRegion(SimRegion::ColourPages),
                 static_cast<std::size_t>(group) * kPageStride + std::size_t{LedOf(position)} * 3, 3);
}

std::vector<std::uint8_t> Bytes(Rgb c) { return {c.r, c.g, c.b}; }

// Whole colour pages written: each write's first frame goes to the page's start.
int PageWrites(const sim::SimFirmware& firmware, int group) {
    const auto frames = firmware.FramesOf(cmd::kWritePage);
    return static_cast<int>(std::ranges::count_if(frames, [group](const sim::SimFrameRecord& r) {
        return (r.frame[protocol::frame::kOffsetLow] | r.frame[protocol::frame::kOffsetHigh] << 8) ==
               group * static_cast<int>(kPageStride);
    }));
}

// The light records written at offset 0, in order.
std::vector<std::vector<std::uint8_t>> RecordWrites(const sim::SimFirmware& firmware) {
    std::vector<std::vector<std::uint8_t>> records;
    for (const sim::SimFrameRecord& r : firmware.FramesOf(cmd::kWriteAt)) {
        const protocol::Frame& f = r.frame;
        if (f[protocol::frame::kLength] != 27 || f[protocol::frame::kOffsetLow] != 0 ||
            f[protocol::frame::kOffsetHigh] != 0)
            continue;
        records.emplace_back(f.begin() + protocol::frame::kPayload, f.begin() + protocol::frame::kPayload + 27);
    }
    return records;
}

// A left-button drag on `panel` from `from` to `to` (panel coordinates), as
// the select panel receives it.
void Drag(QWidget* panel, QPoint from, QPoint to) {
    const auto send = [panel](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(panel->mapToGlobal(at)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(panel, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

QString KeyName(std::size_t position) { return QStringLiteral("key_%1").arg(position); }

}  // namespace

class KeyboardEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        testing::UseProgramFiles(temp_);
        // The keyboard's slots, LEDs and page positions differ: a mix-up shows.
        QVERIFY(SlotOf(kKeyA) != kKeyA && LedOf(kKeyA) != kKeyA && LedOf(kKeyA) != SlotOf(kKeyA));
    }

    void init() {
        backend_ = std::make_unique<sim::SimBackend>();
        firmware_ = &backend_->Plug(SimKind::Keyboard, SimLink::Cable);
        QVERIFY(firmware_->WriteRecord(0, StartRecord()));
        firmware_->SetOnboardProfile(0);
        window_ =
            std::make_unique<app::CMainWnd>(*backend_, nullptr, nullptr, app::CMainWnd::Settings{.useTray = false});
        window_->Prepare();
        QTRY_VERIFY_WITH_TIMEOUT(window_->FirstScanDone(), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(Keyboard() != nullptr, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(Keyboard()->KeyMapRead(), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(Control<QComboBox>("light_combo_modeSelect")->currentIndex(), kBreathing, kWaitMs);
    }

    void cleanup() {
        window_.reset();
        backend_.reset();
        // Every case starts with the user folders of a first start.
        QVERIFY(QDir(temp_.filePath(QStringLiteral("data"))).removeRecursively());
        QVERIFY(QDir(temp_.filePath(QStringLiteral("config"))).removeRecursively());
    }

    // The record read at the start is what the tab, the page and the profile show.
    void keyboardAppearsWithTheLightingItHolds() {
        QVERIFY(Tab()->OptionVisible());
        QVERIFY(Tab()->IsSelected());
        QVERIFY(!window_->Page().Visible("No_device_Link"));
        QCOMPARE(Control<QSlider>("deng_light_slider")->value(), int{kStartBrightness});
        QCOMPARE(Control<QSlider>("deng_speed_slider")->value(), int{kStartSpeed});
        QCOMPARE(Control<QLineEdit>("deng_edit_B")->text(), QStringLiteral("255"));
        const Json::Value light = Section()["LightInfo"];
        QCOMPARE(light["SelectItem"].asInt(), kBreathing);
        QCOMPARE(light["Light"].asInt(), int{kStartBrightness});
        QCOMPARE(light["Speed"].asInt(), int{kStartSpeed});
        QCOMPARE(light["Blue"].asInt(), 0xFF);
    }

    // The per-key effect: its record and colour page, a clicked key, a rubber
    // band over three keys, the whole group dark.
    void perKeyColoursReachTheKeyboardsColourPageAndTheProfile() {
        firmware_->ClearFrames();
        Control<QComboBox>("light_combo_modeSelect")->setCurrentIndex(kPerKey);
        QTRY_VERIFY_WITH_TIMEOUT(!RecordWrites(*firmware_).empty(), kWaitMs);
        const std::vector<std::uint8_t> record = RecordWrites(*firmware_).back();
        QCOMPARE(int{record[1]}, EffectCode(kKeyboardLightList, kPerKey));
        QCOMPARE(int{record[2]}, int{kStartBrightness});
        QCOMPARE(int{record[3]}, 4 - kStartSpeed);
        QTRY_VERIFY_WITH_TIMEOUT(PageWrites(*firmware_, Group()) > 0, kWaitMs);
        QCOMPARE(Section()["LightInfo"]["SelectItem"].asInt(), kPerKey);

        // Red through the colour edits.
        SetColour({0xFF, 0, 0});
        QTRY_COMPARE_WITH_TIMEOUT(Slice(firmware_->Record(0), 6, 3), Bytes({0xFF, 0, 0}), kWaitMs);

        // A key clicked on the lighting page takes the colour.
        Control<QAbstractButton>("deng_Op_tab")->click();
        QTRY_VERIFY_WITH_TIMEOUT(Keyboard()->CommandsIdle(), kWaitMs);
        Control<QAbstractButton>(KeyName(kKeyA))->click();
        QTRY_COMPARE_WITH_TIMEOUT(PageColour(*firmware_, Group(), kKeyA), Bytes({0xFF, 0, 0}), kWaitMs);
        QCOMPARE(StoredKeyColour(Group(), kKeyA), Bytes({0xFF, 0, 0}));
        QCOMPARE(PageColour(*firmware_, Group(), kKeyA + 1), Bytes({0, 0, 0}));

        // Three keys in one rubber band: one page write.
        SetColour({0, 0xFF, 0});
        QTRY_VERIFY_WITH_TIMEOUT(Keyboard()->CommandsIdle(), kWaitMs);
        firmware_->ClearFrames();
        QWidget* panel = Control<QWidget>("device_key_light");
        const auto centre = [panel, this](std::size_t position) {
            QWidget* key = Control<QWidget>(KeyName(position));
            return key->mapTo(panel, key->rect().center());
        };
        Drag(panel, centre(kKeyA + 1), centre(kKeyA + 3));
        for (std::size_t position = kKeyA + 1; position <= kKeyA + 3; ++position) {
            QVERIFY(Control<ui::CDeviceKeyButtonUI>(KeyName(position))->RectSelected());
            QTRY_COMPARE_WITH_TIMEOUT(PageColour(*firmware_, Group(), position), Bytes({0, 0xFF, 0}), kWaitMs);
            QCOMPARE(StoredKeyColour(Group(), position), Bytes({0, 0xFF, 0}));
        }
        QVERIFY(!Control<ui::CDeviceKeyButtonUI>(KeyName(kKeyA))->RectSelected());
        QCOMPARE(PageColour(*firmware_, Group(), kKeyA), Bytes({0xFF, 0, 0}));
        QTRY_VERIFY_WITH_TIMEOUT(Keyboard()->CommandsIdle(), kWaitMs);
        QCOMPARE(PageWrites(*firmware_, Group()), 1);
        QVERIFY(RecordWrites(*firmware_).empty());

        // The whole group dark.
        Control<QAbstractButton>("custom_off_color_btn")->click();
        const std::size_t pageBytes = Keyboard()->KeySlots() * 3;
        QTRY_COMPARE_WITH_TIMEOUT(Slice(firmware_->ReadRegion(SimRegion::ColourPages),
                                        static_cast<std::size_t>(Group()) * kPageStride, pageBytes),
                                  std::vector<std::uint8_t>(pageBytes, 0), kWaitMs);
        QCOMPARE(StoredKeyColour(Group(), kKeyA), Bytes({0, 0, 0}));
        QVERIFY(firmware_->FramesOf(cmd::kLightStream).empty());
    }

    // The system tab's controls: the flags and the report rate go in the
    // record, the repeat delay is shown, the repeat test box is emptied.
    void systemSettingsReachTheRecordAndThePage() {
        Control<QAbstractButton>("system_Op_tab")->click();
        Control<QAbstractButton>("winlockflag_option")->click();
        QTRY_COMPARE_WITH_TIMEOUT(int{firmware_->Record(0)[21]}, 1, kWaitMs);
        QCOMPARE(Section()["SystemStages"]["WinFlag"].asInt(), 1);

        Control<QAbstractButton>("polling_rate_option_2")->click();
        QTRY_COMPARE_WITH_TIMEOUT(int{firmware_->Record(0)[22]}, 2, kWaitMs);
        QCOMPARE(int{firmware_->Record(0)[21]}, 1);
        QCOMPARE(Section()["SystemStages"]["PollingRate"].asInt(), 2);

        Control<QAbstractButton>("repeat_delay_check_3")->click();
        QVERIFY(Control<QLabel>("repeat_delay_time_label1")->text().endsWith(QStringLiteral("1000ms")));
        QCOMPARE(Section()["SystemStages"]["RepeatDelay"].asInt(), 3);

        auto* box = Control<QTextEdit>("repeat_input_richedit");
        QTest::keyClicks(box, QStringLiteral("aaaa"));
        QCOMPARE(box->toPlainText(), QStringLiteral("aaaa"));
        Control<QAbstractButton>("reset_repeat_btn")->click();
        QVERIFY(box->toPlainText().isEmpty());
    }

    // In the reactive effect a key pressed on the keyboard lights its key on
    // the page and fades after the release; the static effect takes no notice.
    void keyEventsLightTheReactiveEffectOnly() {
        SetColour({0xFF, 0, 0});
        Control<QComboBox>("light_combo_modeSelect")->setCurrentIndex(kReactive);
        QTRY_COMPARE_WITH_TIMEOUT(Keyboard()->RunningLight().SelectItem, std::uint8_t{kReactive}, kWaitMs);
        auto* key = Control<ui::CDeviceKeyButtonUI>(KeyName(kKeyA));
        // A held key's lamp takes a hue of its own: lit is not black.
        const auto shown = [key] {
            const QColor c = key->PreviewColour();
            return c.isValid() && c.alpha() != 0 && c.value() != 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(Lit(kKeyA) == 0 && !shown(), kWaitMs);

        firmware_->SendKeyEvent(SlotOf(kKeyA), sim::SimKeyEvent::Press);
        QTRY_VERIFY_WITH_TIMEOUT(Lit(kKeyA) != 0, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(shown(), kWaitMs);
        QCOMPARE(Lit(kKeyB), 0u);
        firmware_->SendKeyEvent(SlotOf(kKeyA), sim::SimKeyEvent::Release);
        QTRY_VERIFY_WITH_TIMEOUT(Lit(kKeyA) == 0, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!shown(), kWaitMs);

        Control<QComboBox>("light_combo_modeSelect")->setCurrentIndex(kStatic);
        QTRY_COMPARE_WITH_TIMEOUT(Keyboard()->RunningLight().SelectItem, std::uint8_t{kStatic}, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(Lit(kKeyA) != 0, kWaitMs);
        const std::uint32_t before = Keyboard()->GetLedColour(kKeyA);
        firmware_->SendKeyEvent(SlotOf(kKeyA), sim::SimKeyEvent::Press);
        QTest::qWait(150);
        QCOMPARE(Keyboard()->GetLedColour(kKeyA), before);
        QCOMPARE(Keyboard()->GetLedColour(kKeyB), before);
        firmware_->SendKeyEvent(SlotOf(kKeyA), sim::SimKeyEvent::Release);
    }

    // A profile whose file gives A the code of B: switching to it writes B's
    // code into A's key slot.
    void profileSwitchUploadsItsKeyMap() {
        auto* combo = Control<QComboBox>("device_profile_combo");
        const std::string firstId = Keyboard()->ProfileName();
        Control<QAbstractButton>("device_add_btn")->click();
        const std::string addedId = Keyboard()->ProfileName();
        QVERIFY(addedId != firstId);
        const int added = combo->currentIndex();

        combo->setCurrentIndex(0);
        QTRY_COMPARE_WITH_TIMEOUT(Keyboard()->ProfileName(), firstId, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(Keyboard()->CommandsIdle(), kWaitMs);
        QCOMPARE(Slice(firmware_->ReadRegion(SimRegion::KeyMap), SlotOf(kKeyA) * 3u, 3), FactoryCode(kKeyA));

        const std::string path = platform::ProfileFilePath(UserFolder(), addedId);
        Json::Value document = profiles::CJsonFileStore().ReadJson(path);
        const Json::Value codeOfB = document["Device"][0]["KeyList"][Json::ArrayIndex{kKeyB}]["DefaultAssignment"];
        QCOMPARE(codeOfB.asUInt(), 0x200005u);
        document["Device"][0]["KeyList"][Json::ArrayIndex{kKeyA}]["Assignment"] = codeOfB;
        QCOMPARE(profiles::CJsonFileStore().WriteJson(path, document), profiles::WriteStatus::Ok);

        firmware_->ClearFrames();
        combo->setCurrentIndex(added);
        QTRY_COMPARE_WITH_TIMEOUT(Keyboard()->ProfileName(), addedId, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(Slice(firmware_->ReadRegion(SimRegion::KeyMap), SlotOf(kKeyA) * 3u, 3),
                                  FactoryCode(kKeyB), kWaitMs);
        QCOMPARE(Slice(firmware_->ReadRegion(SimRegion::KeyMap), SlotOf(kKeyB) * 3u, 3), FactoryCode(kKeyB));
        QVERIFY(!firmware_->FramesOf(cmd::kWriteKeyMap).empty());
    }

    // Macros too long for the keyboard's memory: the window says by how many
    // actions, and neither the macros nor the key map go out.
    void macrosTooLongForTheKeyboardAreRefusedWithTheirExcess() {
        Json::Value list;
        for (int m = 0; m < 2; ++m) {
            const std::string id = "guid-" + std::to_string(m);
            list["MacroInfo"][m]["MacroName"] = "m" + std::to_string(m);
            list["MacroInfo"][m]["Guid"] = id;
            const std::vector<macros::MacroEvent> events(m == 0 ? 16 : 52, macros::MacroEvent{10, 4, true, 20});
            QCOMPARE(macros::WriteMacroFile(UserFolder() + id + ".mac", {"m", id, events}), profiles::WriteStatus::Ok);
        }
        QCOMPARE(profiles::CJsonFileStore().WriteJson(UserFolder() + "macro.config", list), profiles::WriteStatus::Ok);
        // Two units (256 bytes) of macro memory for 16 + 12 + 4 x 68 = 300 bytes.
        QVERIFY(firmware_->WriteRegion(SimRegion::Info, devices::CMorvaneKeyboardDevice::kMacroUnitsByte,
                                       std::vector<std::uint8_t>{2}));
        auto* combo = Control<QComboBox>("device_profile_combo");
        const std::string firstId = Keyboard()->ProfileName();
        Control<QAbstractButton>("device_add_btn")->click();
        const std::string addedId = Keyboard()->ProfileName();
        const int added = combo->currentIndex();
        combo->setCurrentIndex(0);
        QTRY_COMPARE_WITH_TIMEOUT(Keyboard()->ProfileName(), firstId, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(Keyboard()->CommandsIdle(), kWaitMs);
        const std::string path = platform::ProfileFilePath(UserFolder(), addedId);
        Json::Value document = profiles::CJsonFileStore().ReadJson(path);
        document["Device"][0]["KeyList"][Json::ArrayIndex{kKeyA}]["Assignment"] = 0x700000;
        document["Device"][0]["KeyList"][Json::ArrayIndex{kKeyB}]["Assignment"] = 0x700100;
        QCOMPARE(profiles::CJsonFileStore().WriteJson(path, document), profiles::WriteStatus::Ok);

        QString shown;
        const auto closeTheBox = [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (box == nullptr) return false;
            shown = qobject_cast<QLabel*>(ui::FindControl(box, QStringLiteral("MessageText")))->text();
            qobject_cast<QAbstractButton*>(ui::FindControl(box, QStringLiteral("confirm_btn")))->click();
            return true;
        };
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (closeTheBox()) poll.stop();
        });
        poll.start(20);
        firmware_->ClearFrames();
        combo->setCurrentIndex(added);
        QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), kWaitMs);
        const QString expected = ui::TextResources::Instance().Text(QStringLiteral("message_text_16"));
        QCOMPARE(shown, QString(expected).replace(QStringLiteral("%d"), QStringLiteral("12")));
        QVERIFY(firmware_->FramesOf(cmd::kWriteMacros).empty());
        QVERIFY(firmware_->FramesOf(cmd::kWriteKeyMap).empty());
    }

    // The keyboard says its profile changed: the profile file is read again
    // as it is on disk, not overwritten by the copy the program had, and the
    // keyboard's own record is taken over it.
    void reloadNoticeReadsTheProfileFileAgain() {
        QTRY_VERIFY_WITH_TIMEOUT(Keyboard()->CommandsIdle(), kWaitMs);
        const std::string path = Keyboard()->GetProfilePath();
        Json::Value document = profiles::CJsonFileStore().ReadJson(path);
        QVERIFY(document["Device"][0]["SystemStages"]["Repeat"].asInt() != 7);
        document["Device"][0]["LightInfo"]["Light"] = 1;
        document["Device"][0]["SystemStages"]["Repeat"] = 7;
        QCOMPARE(profiles::CJsonFileStore().WriteJson(path, document), profiles::WriteStatus::Ok);
        std::vector<std::uint8_t> record = firmware_->Record(0);
        record[2] = 2;  // the keyboard's brightness
        QVERIFY(firmware_->WriteRecord(0, record));

        firmware_->SendNotificationValue(sim::notice::kReadProfilesAgain);
        QTRY_COMPARE_WITH_TIMEOUT(Control<QSlider>("repeat_rate_slider")->value(), 7, kWaitMs);
        QCOMPARE(Control<QSlider>("deng_light_slider")->value(), 2);
        QCOMPARE(Section()["LightInfo"]["Light"].asInt(), 2);
        QCOMPARE(Section()["SystemStages"]["Repeat"].asInt(), 7);
    }

    // From the cable to the receiver: the same tab and page, now wireless.
    void cableGivesWayToTheReceiver() {
        backend_->Plug(SimKind::Keyboard, SimLink::Receiver);
        QTest::qWait(300);
        QVERIFY(!Keyboard()->Transport().IsWireless());
        backend_->Unplug(SimKind::Keyboard, SimLink::Cable);
        QTRY_VERIFY_WITH_TIMEOUT(Keyboard() != nullptr && Keyboard()->Transport().IsWireless(), kWaitMs);
        QVERIFY(Keyboard()->Transport().IsOpen());
        QVERIFY(Tab()->OptionVisible());
        QVERIFY(Tab()->IsSelected());
        QCOMPARE(Control<QComboBox>("light_combo_modeSelect")->currentIndex(), kBreathing);
        QCOMPARE(Control<QSlider>("deng_light_slider")->value(), int{kStartBrightness});

        // Through the receiver the settings still reach the keyboard.
        Control<QAbstractButton>("polling_rate_option_1")->click();
        QTRY_COMPARE_WITH_TIMEOUT(int{firmware_->Record(0)[22]}, 1, kWaitMs);
    }

    // Same mode from the keyboard's breathing: the mouse breathes too, and
    // the keyboard is never streamed to.
    void sameModeCarriesTheKeyboardsEffectToTheMouse() {
        sim::SimFirmware& mouseFirmware = backend_->Plug(SimKind::Mouse, SimLink::Cable);
        QTRY_VERIFY_WITH_TIMEOUT(Mouse() != nullptr && Mouse()->Info()[5] != 0, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(TabOf("mouse")->OptionVisible(), kWaitMs);
        QVERIFY(Mouse()->RunningLight().SelectItem != 2);

        qobject_cast<QAbstractButton*>(ui::FindControl(Tab(), QStringLiteral("device_select")))->click();
        QTRY_VERIFY_WITH_TIMEOUT(Tab()->IsSelected() && window_->CurrentDevice() == Keyboard(), kWaitMs);
        QCOMPARE(Keyboard()->RunningLight().SelectItem, std::uint8_t{kBreathing});
        QVERIFY(Control<QWidget>("deng_same_mode")->isVisibleTo(Control<QWidget>("light_control_panel")));

        Control<QAbstractButton>("deng_same_mode")->click();
        const int breathing = Mouse()->LightNames().modes.at(2).code;
        QTRY_COMPARE_WITH_TIMEOUT(int{mouseFirmware.ReadRegion(SimRegion::Settings)[1]}, breathing, kWaitMs);
        QCOMPARE(int{mouseFirmware.ReadRegion(SimRegion::Settings)[2]}, int{kStartBrightness});
        QCOMPARE(Mouse()->RunningLight().SelectItem, std::uint8_t{2});
        QVERIFY(firmware_->FramesOf(cmd::kLightStream).empty());
    }

private:
    devices::CMorvaneKeyboardDevice* Keyboard() const {
        return window_ ? dynamic_cast<devices::CMorvaneKeyboardDevice*>(DeviceOf("keyboard")) : nullptr;
    }
    devices::CMorvaneMouseDevice* Mouse() const {
        return window_ ? dynamic_cast<devices::CMorvaneMouseDevice*>(DeviceOf("mouse")) : nullptr;
    }
    devices::CMorvaneUSBDevice* DeviceOf(const char* kind) const {
        return window_->Manager().Device(*device_io::FindDeviceKindByName(kind));
    }
    ui::CDeviceOptionUI* TabOf(const char* kind) const {
        return window_->Pages().Widgets(*device_io::FindDeviceKindByName(kind))->option.data();
    }
    ui::CDeviceOptionUI* Tab() const { return TabOf("keyboard"); }
    template <typename T>
    T* Control(const QString& name) const {
        const auto row = device_io::FindDeviceKindByName("keyboard");
        auto* control = qobject_cast<T*>(ui::FindControl(window_->Pages().Widgets(*row)->page.data(), name));
        if (control == nullptr) qFatal("the keyboard page has no %s", qPrintable(name));
        return control;
    }
    template <typename T>
    T* Control(const char* name) const {
        return Control<T>(QLatin1String(name));
    }

    std::string UserFolder() const { return platform::UserDataFolder(Keyboard()->KindName()); }
    Json::Value Section() const {
        return profiles::CJsonFileStore().ReadJson(Keyboard()->GetProfilePath())["Device"][0];
    }
    int Group() const { return Keyboard()->RunningLight().CustomGroup; }
    std::vector<std::uint8_t> StoredKeyColour(int group, std::size_t position) const {
        const Json::Value c =
            Section()["CustomLightMode"]["LightColorInfo"][group][static_cast<Json::ArrayIndex>(position)];
        return {static_cast<std::uint8_t>(c["Red"].asInt()), static_cast<std::uint8_t>(c["Green"].asInt()),
                static_cast<std::uint8_t>(c["Blue"].asInt())};
    }
    // The colour the keyboard's LED buffer shows for a key position, without
    // its brightness byte.
    std::uint32_t Lit(std::size_t position) const {
        return Keyboard()->GetLedColour(static_cast<int>(position)) & 0xFFFFFFu;
    }

    // The lighting colour through the three colour edits, as typed.
    void SetColour(Rgb colour) {
        const std::pair<const char*, std::uint8_t> channels[] = {
            {"deng_edit_R", colour.r}, {"deng_edit_G", colour.g}, {"deng_edit_B", colour.b}};
        for (const auto& [name, value] : channels) {
            auto* edit = Control<QLineEdit>(name);
            edit->selectAll();
            QTest::keyClicks(edit, QString::number(value));
            QTest::keyClick(edit, Qt::Key_Return);
        }
        QTRY_COMPARE_WITH_TIMEOUT(Slice(firmware_->Record(0), 6, 3), Bytes(colour), kWaitMs);
    }

    QTemporaryDir temp_;
    std::unique_ptr<sim::SimBackend> backend_;
    sim::SimFirmware* firmware_ = nullptr;
    std::unique_ptr<app::CMainWnd> window_;
};

QTEST_MAIN(KeyboardEndToEndTest)
#include "keyboard_end_to_end_test.moc"
