// The mouse end to end: a CMorvaneMouseDevice on a page (map-backed), talking
// to the simulated mouse over the cable or the receiver, keeping its profile
// in a real temporary user folder ($XDG_DATA_HOME) with the shipped templates.
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "devices/device_manager.h"
#include "devices/mouse/mouse_device.h"
#include "devices/mouse/mouse_page.h"
#include "devices/mouse/mouse_setup.h"
#include "platform/folders.h"
#include "platform/manual_tick_source.h"
#include "platform/typed_number.h"
#include "profiles/json_file_store.h"
#include "protocol/commands.h"
#include "sim/sim_backend.h"
#include "support/fake_device_host.h"
#include "support/fake_page_view.h"
#include "support/scoped_env.h"
#include "support/sim_device_fixture.h"
#include "support/temp_folder.h"

namespace vandrel::devices {
namespace {

using namespace std::chrono_literals;
using mouse::Indexed;
using sim::SimKind;
using sim::SimLink;
using sim::SimRegion;

// What the power sink got, as the report it was read from.
PowerReport Report(std::span<const std::uint8_t> bytes) {
    PowerReport report{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), report.size()), report.begin());
    return report;
}
namespace cmd = protocol::cmd;
namespace frame = protocol::frame;
namespace controls = mouse::controls;

constexpr device_io::KindRow kMouseRow = device_io::KindRow::Mouse;
constexpr auto kWait = 2s;
const std::string kNotifiedLine = "arm 1003 " + std::to_string(kNotifiedChangeDelayMs);

struct Request {
    std::uint8_t command;
    int length;
    int offset;
    bool operator==(const Request&) const = default;
};

void PrintTo(const Request& r, std::ostream* os) {
    *os << "{0x" << std::hex << int{r.command} << std::dec << ", " << r.length << ", " << r.offset << "}";
}

// The mouse page as "mousedevice.xml" lays it out, as far as the device reads it.
void BuildMousePage(testing::FakePageView& page) {
    page.Add(controls::kSettingsLayout).className = "SelectPanel";
    const auto button = [&](const std::string& name, const std::string& userData) {
        auto& c = page.Add(name);
        c.className = std::string(controls::kKeyButtonClass);
        c.userData = userData;
        c.parent = std::string(controls::kSettingsLayout);
    };
    for (int i = 0; i < 11; ++i) button("btn_key_" + std::to_string(i), Indexed("key_", i));
    for (int i = 0; i < 15; ++i) {
        button("btn_light_" + std::to_string(i), Indexed("light_", i));
        button("btn_light_0_" + std::to_string(i), Indexed("light_0_", i));
    }
    page.Add(controls::kLogo).parent = std::string(controls::kSettingsLayout);
    for (int i = 0; i < mouse::kStageCount; ++i) {
        for (const std::string_view prefix : {controls::kDpiSlider, controls::kDpiEdit, controls::kDpiColour,
                                              controls::kDpiSelect, controls::kDpiEnable})
            page.Add(Indexed(prefix, i));
    }
    for (int i = 0; i < mouse::kReportRateCount; ++i) page.Add(Indexed(controls::kReportRate, i));
    for (int i = 0; i < 8; ++i) page.Add(Indexed(controls::kOnboardProfile, i));
    for (const std::string_view name : {controls::kPointerSpeed, controls::kWheelLines, controls::kDoubleClick,
                                        controls::kPrecision, controls::kScrollPage, controls::kTipInfo})
        page.Add(name);

    page.Add("profile_panel").className = std::string(controls::kProfilePanelClass);
    for (const char* name : {"device_profile_combo", "device_profile_name_edit"})
        page.Add(name).parent = "profile_panel";
    page.Add("light_panel").className = std::string(controls::kLightPanelClass);
    for (const std::string_view name :
         {lighting::light_controls::kModeCombo, lighting::light_controls::kBrightness, lighting::light_controls::kSpeed,
          lighting::light_controls::kRed, lighting::light_controls::kGreen, lighting::light_controls::kBlue,
          lighting::light_controls::kPalette, lighting::light_controls::kSevenColour, lighting::light_controls::kLeft,
          lighting::light_controls::kRight})
        page.Add(name).parent = "light_panel";
    page.Add("keyset_panel").className = std::string(controls::kKeySetPanelClass);
}

class MouseTest : public ::testing::Test {
protected:
    MouseTest() { platform::SetDefaultDataFolder(VANDREL_DEFAULT_DATA_DIR); }
    ~MouseTest() override {
        mouse_.reset();
        platform::SetDefaultDataFolder("");
    }

    // A mouse object as the device manager builds it, without a page.
    CMorvaneMouseDevice& Make() {
        mouse_ = std::make_unique<CMorvaneMouseDevice>(backend_, &ticks_);
        CMorvaneMouseDevice& m = *mouse_;
        testing::SetUpAsTheMouseKind(m, &host_);
        m.SetScreenSize(1920, 1080);
        return m;
    }

    // A mouse object on its page.
    CMorvaneMouseDevice& Build() {
        CMorvaneMouseDevice& m = Make();
        BuildMousePage(page_);
        m.Attach(page_);
        return m;
    }

    // Plugs the mouse on `link` and opens the vendor channel there.
    sim::SimFirmware& Open(SimLink link) {
        sim::SimFirmware& firmware = backend_.Plug(SimKind::Mouse, link);
        // Both links share one firmware for the whole test: start from the factory.
        const sim::SimMemory factory = sim::FactoryMemory(SimKind::Mouse);
        for (std::size_t region = 0; region < sim::kSimRegionCount; ++region)
            EXPECT_TRUE(firmware.WriteRegion(static_cast<SimRegion>(region), 0, factory[region]));
        const bool receiver = link == SimLink::Receiver;
        device_io::DeviceIdentity identity;
        identity.deviceType = receiver ? device_io::DeviceType::MouseReceiver : device_io::DeviceType::Mouse;
        mouse_->SetIdentity(identity);
        protocol::CDeviceTransport& t = mouse_->Transport();
        auto& channel = receiver ? t.WirelessChannel() : t.WiredChannel();
        EXPECT_TRUE(channel.OpenPath(sim::SimBackend::VendorPath(SimKind::Mouse, link), true, true, true, false));
        t.SetLinkMode(receiver ? 2 : 1);
        t.SetOpen(true);
        firmware_ = &firmware;
        return firmware;
    }

    // Built, opened on `link` and connected; the frame log starts empty.
    CMorvaneMouseDevice& Connected(SimLink link = SimLink::Cable) {
        Build();
        Open(link);
        mouse_->Connect();
        firmware_->ClearFrames();
        return *mouse_;
    }

    Json::Value Section() const { return profiles::CJsonFileStore().ReadJson(mouse_->GetProfilePath())["Device"][0]; }
    std::string ProfileText() const { return profiles::CJsonFileStore().ReadText(mouse_->GetProfilePath()); }
    std::vector<std::uint8_t> Settings() const { return firmware_->ReadRegion(SimRegion::Settings); }
    // Until the worker has run what was posted: a profile's upload, and a
    // settings record that came while it ran.
    void WaitForCommands() const {
        ASSERT_TRUE(testing::Eventually([this] { return mouse_->CommandsIdle(); }, kWait));
    }
    std::vector<std::uint8_t> SettingsAt(std::size_t at, std::size_t n) const {
        const std::vector<std::uint8_t> all = Settings();
        return {all.begin() + static_cast<std::ptrdiff_t>(at), all.begin() + static_cast<std::ptrdiff_t>(at + n)};
    }
    // The requests the mouse received, the lighting stream left out.
    std::vector<Request> Requests() const {
        std::vector<Request> requests;
        for (const auto& record : firmware_->Frames()) {
            const auto& f = record.frame;
            if (f[frame::kCommand] == cmd::kLightStream) continue;
            requests.push_back(
                {f[frame::kCommand], f[frame::kLength], f[frame::kOffsetLow] | f[frame::kOffsetHigh] << 8});
        }
        return requests;
    }
    int Lines(const std::string& line) const {
        int n = 0;
        for (const std::string& l : host_.Lines()) n += l == line ? 1 : 0;
        return n;
    }
    int SelectedOf(std::string_view prefix, int count) const {
        for (int i = 0; i < count; ++i)
            if (page_.Selected(Indexed(prefix, i))) return i;
        return -1;
    }

    const std::vector<Request> kRecordWrite{
        {cmd::kSequenceBegin, 0, 0}, {cmd::kWriteAt, 56, 0}, {cmd::kWriteAt, 10, 56}, {cmd::kSequenceEnd, 0, 0}};

    testing::TempFolder data_;
    testing::ScopedEnv xdg_{"XDG_DATA_HOME", data_.Path()};
    sim::SimBackend backend_;
    platform::ManualTickSource ticks_;
    testing::FakeDeviceHost host_;
    testing::FakePageView page_;
    sim::SimFirmware* firmware_ = nullptr;
    std::unique_ptr<CMorvaneMouseDevice> mouse_;
};

// --- Connecting ---------------------------------------------------------------------

TEST_F(MouseTest, ConnectReadsTheMouseAndShowsTheProfile) {
    CMorvaneMouseDevice& m = Build();
    sim::SimFirmware& firmware = Open(SimLink::Cable);
    m.Connect();

    const std::vector<Request> read = Requests();
    ASSERT_GE(read.size(), 4u);
    EXPECT_EQ(std::vector<Request>(read.begin(), read.begin() + 4), (std::vector<Request>{{cmd::kSequenceBegin, 0, 0},
                                                                                          {cmd::kReadInfo, 34, 0},
                                                                                          {cmd::kReadKeyMap, 33, 0},
                                                                                          {cmd::kSequenceEnd, 0, 0}}))
        << "11 key slots: a key map of 33 bytes";
    EXPECT_EQ(m.Info(), [&] {
        CMorvaneMouseDevice::InfoBlock info{};
        const auto bytes = firmware.ReadRegion(SimRegion::Info);
        std::copy(bytes.begin(), bytes.end(), info.begin());
        return info;
    }());
    for (std::size_t position = 0; position < mouse::kKeyPositions; ++position)
        EXPECT_EQ(m.PositionSlot(position), position) << "the factory key map is in position order";

    const auto* slider = page_.Find("DPI_slider_4");
    EXPECT_EQ(slider->minimum, 0);
    EXPECT_EQ(slider->maximum, 519);
    EXPECT_EQ(page_.Find("DPI_edit_4")->maximum, 26000);
    EXPECT_EQ(slider->value, 127) << "the template's stage 5";
    EXPECT_EQ(page_.Text("DPI_edit_4"), "6400");
    EXPECT_EQ(page_.Colour("DPI_color_option_1"), 0xFF00FF00u);
    EXPECT_EQ(SelectedOf(controls::kDpiSelect, 5), 1);
    EXPECT_EQ(SelectedOf(controls::kReportRate, 5), 0);
    EXPECT_EQ(page_.Value(controls::kDoubleClick), 500);
    EXPECT_EQ(page_.Items(lighting::light_controls::kModeCombo).size(), 10u);
    EXPECT_EQ(Section()["DPIStages"]["StageActive"].asInt(), 1) << "the profile file exists in the user folder";
    EXPECT_EQ(mouse_->GetProfilePath().rfind(data_.Path(), 0), 0u);
}

TEST_F(MouseTest, KeyPositionsFollowTheSlotsOfTheMousesKeyMap) {
    CMorvaneMouseDevice& m = Build();
    sim::SimFirmware& firmware = Open(SimLink::Cable);
    // Slots 0 and 1 swapped, the middle button (position 2) replaced.
    const std::vector<std::uint8_t> keys{0x10, 0x02, 0x00, 0x10, 0x01, 0x00, 0x20, 0x00, 0x04};
    ASSERT_TRUE(firmware.WriteRegion(SimRegion::KeyMap, 0, keys));
    m.Connect();
    EXPECT_EQ(m.PositionSlot(0), 1);
    EXPECT_EQ(m.PositionSlot(1), 0);
    EXPECT_EQ(m.PositionSlot(2), mouse::kNoSlot);
    EXPECT_EQ(m.PositionSlot(3), 3);
}

TEST_F(MouseTest, FailedReadOfTheInformationBlockOrKeyMapKeepsWhatWasRead) {
    struct Case {
        const char* name;
        std::uint8_t failing;
        bool infoKept;
    };
    for (const Case c : {Case{"information block", cmd::kReadInfo, true}, Case{"key map", cmd::kReadKeyMap, false}}) {
        SCOPED_TRACE(c.name);
        mouse_.reset();
        page_ = testing::FakePageView();
        CMorvaneMouseDevice& m = Connected();
        const CMorvaneMouseDevice::InfoBlock infoBefore = m.Info();
        const CMorvaneMouseDevice::KeyMapBytes keysBefore = m.KeyMap();
        ASSERT_TRUE(firmware_->WriteRegion(SimRegion::Info, 12, std::vector<std::uint8_t>{0x10, 0x00}));  // highest 16
        ASSERT_TRUE(firmware_->WriteRegion(SimRegion::KeyMap, 0, std::vector<std::uint8_t>{0x20, 0x00, 0x04}));
        firmware_->QueueCommandFault(c.failing, sim::SimFault::StatusFF);

        m.Connect();

        EXPECT_EQ(m.Info() == infoBefore, c.infoKept);
        EXPECT_EQ(m.KeyMap(), keysBefore);
        EXPECT_EQ(m.PositionSlot(0), 0);
        EXPECT_EQ(page_.Find("DPI_slider_0")->maximum, 519) << "ranges as before";
        for (const Request& r : Requests()) EXPECT_NE(r.command, cmd::kSequenceEnd) << "a failed read ends early";
    }
}

// --- DPI stages -------------------------------------------------------------------------

TEST_F(MouseTest, DpiSliderStoresTheStageAndWritesTheSettingsRecord) {
    CMorvaneMouseDevice& m = Connected();
    EXPECT_EQ(m.SetDpiStagePosition(1, 60), protocol::Status::Ok);

    const Json::Value stage = Section()["DPIStages"]["StageDPIs"][1];
    EXPECT_EQ(stage["StageDPIX"].asInt(), 60);
    EXPECT_EQ(stage["StageDPIY"].asInt(), 60);
    EXPECT_EQ(Requests(), kRecordWrite) << "66 bytes at offset 0: 56 + 10 on the cable";
    EXPECT_EQ(SettingsAt(14 + 9 * 1, 9), (std::vector<std::uint8_t>{1, 0, 60, 0, 60, 0, 0x00, 0xFF, 0x00}));
    EXPECT_EQ(page_.Text("DPI_edit_1"), "3050");
    EXPECT_EQ(SettingsAt(60, 4), (std::vector<std::uint8_t>{0x80, 0x07, 0x38, 0x04})) << "screen 1920 x 1080";
}

TEST_F(MouseTest, MovingSliderShowsTheResolutionAndWritesOnlyWhenReleased) {
    CMorvaneMouseDevice& m = Connected();
    const std::string before = ProfileText();
    m.PreviewDpiStagePosition(2, 100);
    EXPECT_EQ(page_.Text("DPI_edit_2"), "5050");
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(ProfileText(), before);
    EXPECT_EQ(page_.Value("DPI_slider_2"), 100) << "the preview keeps the position";
    EXPECT_EQ(m.SetDpiStagePosition(2, page_.Value("DPI_slider_2")), protocol::Status::Ok);
    EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt(), 100);
}

TEST_F(MouseTest, TypedResolutionSelectsItsPosition) {
    struct Case {
        const char* typed;
        int position;
        const char* shown;
    };
    const Case cases[] = {
        {"3050", 60, "3050"}, {"3070", 60, "3050"},    {"30", 0, "50"},
        {"abc", 0, "50"},     {"99999", 519, "26000"}, {" 400 ", 7, "400"},
    };
    CMorvaneMouseDevice& m = Connected();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(m.SetDpiStage(3, platform::NumberFromText(c.typed)), protocol::Status::Ok);
        EXPECT_EQ(page_.Value("DPI_slider_3"), c.position);
        EXPECT_EQ(page_.Text("DPI_edit_3"), c.shown);
        EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][3]["StageDPIX"].asInt(), c.position);
        EXPECT_EQ(SettingsAt(14 + 9 * 3 + 2, 2),
                  (std::vector<std::uint8_t>{static_cast<std::uint8_t>(c.position & 0xFF),
                                             static_cast<std::uint8_t>(c.position >> 8)}));
    }
}

TEST_F(MouseTest, SteppedSensorShowsAndTakesItsOwnResolutions) {
    CMorvaneMouseDevice& m = Build();
    sim::SimFirmware& firmware = Open(SimLink::Cable);
    ASSERT_TRUE(firmware.WriteRegion(SimRegion::Info, 9, std::vector<std::uint8_t>{0x25, 0x33, 50, 0xF4, 0x01, 50, 0}));
    m.Connect();

    static_cast<void>(m.SetDpiStagePosition(0, 60));
    EXPECT_EQ(page_.Text("DPI_edit_0"), "4850");

    static_cast<void>(m.SetDpiStage(1, 4850));
    EXPECT_EQ(page_.Value("DPI_slider_1"), 60);
    EXPECT_EQ(page_.Text("DPI_edit_1"), "4850");
}

TEST_F(MouseTest, InformationBlockWithStepZeroAndLowestAboveTheTopStaysUsable) {
    CMorvaneMouseDevice& m = Build();
    sim::SimFirmware& firmware = Open(SimLink::Cable);
    // step 0, highest position 10, lowest 3000 (above highest x step)
    ASSERT_TRUE(firmware.WriteRegion(SimRegion::Info, 11, std::vector<std::uint8_t>{0, 10, 0, 0xB8, 0x0B}));
    m.Connect();

    for (int i = 0; i < mouse::kStageCount; ++i) {
        for (const std::string_view prefix : {controls::kDpiSlider, controls::kDpiEdit}) {
            const auto* control = page_.Find(Indexed(prefix, i));
            EXPECT_GE(control->minimum, 0);
            EXPECT_LE(control->minimum, control->maximum);
        }
    }
    EXPECT_EQ(page_.Value("DPI_slider_4"), 10) << "the template's 127 clamped to the slider";
    EXPECT_EQ(m.SetDpiStage(2, 5000), protocol::Status::Ok);
    EXPECT_EQ(page_.Value("DPI_slider_2"), 10);
    EXPECT_EQ(page_.Text("DPI_edit_2"), "3010");
    static_cast<void>(m.SetDpiStagePosition(2, 4));
    EXPECT_EQ(page_.Text("DPI_edit_2"), "3004");
}

TEST_F(MouseTest, AtLeastOneStageStaysOnAndTheActiveStageIsAlwaysOn) {
    CMorvaneMouseDevice& m = Connected();
    const auto setEnabled = [&](int stage, bool on) { return m.EnableDpiStage(stage, on); };
    // Switching off the active stage 1 makes stage 2 active.
    EXPECT_EQ(setEnabled(1, false), protocol::Status::Ok);
    EXPECT_EQ(m.ActiveStage(), 2);
    EXPECT_EQ(SelectedOf(controls::kDpiSelect, 5), 2);
    EXPECT_EQ(Settings()[12], 2);
    EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][1]["StageActive"].asInt(), 0);

    // A stage that is off cannot become active.
    firmware_->ClearFrames();
    static_cast<void>(m.SelectDpiStage(1));
    EXPECT_EQ(m.ActiveStage(), 2);
    EXPECT_EQ(SelectedOf(controls::kDpiSelect, 5), 2);
    EXPECT_TRUE(Requests().empty());

    for (const int stage : {0, 3, 4}) EXPECT_EQ(setEnabled(stage, false), protocol::Status::Ok);
    EXPECT_FALSE(page_.Enabled("DPI_enable_check_2")) << "the last stage on cannot be switched off";
    EXPECT_TRUE(page_.Enabled("DPI_enable_check_0"));

    firmware_->ClearFrames();
    EXPECT_EQ(setEnabled(2, false), protocol::Status::Ok) << "refused by the stage rules: nothing to write";
    EXPECT_TRUE(page_.Selected("DPI_enable_check_2"));
    EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][2]["StageActive"].asInt(), 1);
    EXPECT_TRUE(Requests().empty());

    EXPECT_EQ(setEnabled(4, true), protocol::Status::Ok);
    static_cast<void>(m.SelectDpiStage(4));
    EXPECT_EQ(Settings()[12], 4);
    EXPECT_EQ(Section()["DPIStages"]["StageActive"].asInt(), 4);
    EXPECT_TRUE(page_.Enabled("DPI_enable_check_2"));
}

TEST_F(MouseTest, StageColourIsStoredShownAndWritten) {
    CMorvaneMouseDevice& m = Connected();
    EXPECT_EQ(m.SetDpiStageColour(3, 0xFF123456u), protocol::Status::Ok);
    EXPECT_EQ(page_.Colour("DPI_color_option_3"), 0xFF123456u);
    const Json::Value stage = Section()["DPIStages"]["StageDPIs"][3];
    EXPECT_EQ(stage["StageColorR"].asInt(), 0x12);
    EXPECT_EQ(stage["StageColorB"].asInt(), 0x56);
    EXPECT_EQ(SettingsAt(14 + 9 * 3 + 6, 3), (std::vector<std::uint8_t>{0x12, 0x34, 0x56}));
}

// --- Report rate, system settings, defaults ------------------------------------------------

TEST_F(MouseTest, ReportRateOptionGoesToByte11) {
    CMorvaneMouseDevice& m = Connected();
    EXPECT_EQ(m.SetReportRate(3), protocol::Status::Ok);
    EXPECT_EQ(Settings()[11], 3);
    EXPECT_EQ(Section()["ReportStages"]["StageActive"].asInt(), 3);
    EXPECT_EQ(Section()["SystemStages"]["DoubleClickTime"].asInt(), 500) << "the other half of the word stays";
    EXPECT_EQ(SelectedOf(controls::kReportRate, 5), 3);
    EXPECT_EQ(Requests(), kRecordWrite);

    firmware_->ClearFrames();
    for (const int option : {-1, 5}) static_cast<void>(m.SetReportRate(option));
    EXPECT_TRUE(Requests().empty()) << "an option the mouse does not have changes nothing";
}

TEST_F(MouseTest, SystemSettingsAreStoredInTheProfileAndReappliedWithoutWritingTheMouse) {
    struct Case {
        SystemSetting setting;
        const char* key;
        int value;  // slider value, or 1/0 for a check
        int stored;
    };
    const Case cases[] = {
        {SystemSetting::PointerSpeed, "MouseSpeed", 15, 15},
        {SystemSetting::WheelLines, "WheelScorlllinse", 7, 7},
        {SystemSetting::DoubleClickTime, "DoubleClickTime", 900, 900},
        {SystemSetting::DoubleClickTime, "DoubleClickTime", -20, 0},
        {SystemSetting::PointerPrecision, "PointerPrecision", 0, 0},
        {SystemSetting::ScrollPage, "ScorllPage", 1, 1},
    };
    CMorvaneMouseDevice& m = Connected();
    std::vector<mouse::MouseSystemSettings> applied;
    m.SetSystemSink([&](const mouse::MouseSystemSettings& s) { applied.push_back(s); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const Json::Value before = Section()["SystemStages"];
        EXPECT_EQ(m.SetSystemValue(c.setting, c.value), protocol::Status::Ok);
        Json::Value expected = before;
        expected[c.key] = c.stored;
        EXPECT_EQ(Section()["SystemStages"], expected) << "only its own key changes";
        ASSERT_FALSE(applied.empty());
        EXPECT_EQ(mouse::ToWords(applied.back()), mouse::ToWords(m.System()));
    }
    EXPECT_EQ(applied.size(), std::size(cases));
    const Json::Value before = Section()["SystemStages"];
    EXPECT_EQ(m.SetSystemValue(SystemSetting::WindowsKeyLock, 1), protocol::Status::Ok);
    EXPECT_EQ(Section()["SystemStages"], before) << "a keyboard's setting is not the mouse's";
    EXPECT_TRUE(Requests().empty());
}

TEST_F(MouseTest, DefaultButtonPutsTheTemplateBackAndWritesIt) {
    CMorvaneMouseDevice& m = Connected();
    static_cast<void>(m.SetDpiStagePosition(1, 200));
    static_cast<void>(m.SetReportRate(4));
    const std::string id = m.ProfileName();
    const std::string templateText = profiles::CJsonFileStore().ReadText(platform::DefaultTemplatePath("mouse"));

    EXPECT_EQ(m.ResetToDefaults(), protocol::Status::Ok);

    EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][1]["StageDPIX"].asInt(), 15);
    EXPECT_EQ(Section()["ReportStages"]["StageActive"].asInt(), 0);
    EXPECT_EQ(page_.Value("DPI_slider_1"), 15);
    EXPECT_EQ(SelectedOf(controls::kReportRate, 5), 0);
    EXPECT_EQ(Settings()[14 + 9 + 2], 15);
    EXPECT_EQ(Settings()[11], 0);
    EXPECT_EQ(m.ProfileName(), id);
    EXPECT_EQ(profiles::CJsonFileStore().ReadText(platform::DefaultTemplatePath("mouse")), templateText)
        << "the template itself is never written";
}

TEST_F(MouseTest, ChoosingAnotherProfileLoadsShowsAndWritesIt) {
    CMorvaneMouseDevice& m = Connected();
    static_cast<void>(m.SetDpiStagePosition(1, 200));
    const std::string first = m.ProfileName();
    ASSERT_TRUE(m.ProfilePanel()->AddProfile());

    const std::vector<profiles::ProfileEntry> profiles = m.Profiles();
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(m.SelectProfile(profiles[1].id), protocol::Status::Ok);
    EXPECT_EQ(page_.CurrentIndex("device_profile_combo"), 1) << "the panel follows";
    EXPECT_NE(m.ProfileName(), first);
    EXPECT_EQ(page_.Value("DPI_slider_1"), 15);
    EXPECT_EQ(Settings()[14 + 9 + 2], 15);

    EXPECT_EQ(m.SelectProfile(first), protocol::Status::Ok);
    WaitForCommands();  // the record follows the upload of the profile chosen before
    EXPECT_EQ(m.ProfileName(), first);
    EXPECT_EQ(m.SelectProfile("no-such-profile"), std::nullopt);
    EXPECT_EQ(m.ProfileName(), first);
    EXPECT_EQ(page_.Value("DPI_slider_1"), 200);
    EXPECT_EQ(Settings()[14 + 9 + 2], 200);
}

// --- Operations without a page ---------------------------------------------------------

// What a script runs: values in, no page. The mouse and the profile files end
// as after the same clicks on the page in the window's end-to-end test.
TEST_F(MouseTest, OperationsTakeTheirValuesAndNeedNoPage) {
    CMorvaneMouseDevice& m = Make();
    Open(SimLink::Cable);
    m.Connect();
    const std::string first = m.ProfileName();
    ASSERT_FALSE(first.empty()) << "the profile the list selects runs";
    const auto list = [&] {
        return profiles::CJsonFileStore().ReadJson(platform::ProfileListPath(platform::UserDataFolder("mouse")));
    };

    firmware_->ClearFrames();
    EXPECT_EQ(m.SetDpiStagePosition(1, 42), protocol::Status::Ok);
    EXPECT_EQ(Requests(), kRecordWrite);
    EXPECT_EQ(SettingsAt(14 + 9 + 2, 2), (std::vector<std::uint8_t>{42, 0}));
    EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][1]["StageDPIX"].asInt(), 42);

    EXPECT_EQ(m.SetReportRate(3), protocol::Status::Ok);
    EXPECT_EQ(Settings()[11], 3);

    profiles::LightInfo light = m.RunningLight();
    light.Light = light.Light == 2 ? 3 : 2;
    EXPECT_EQ(m.SetLighting(light), protocol::Status::Ok);
    EXPECT_EQ(Settings()[2], light.Light);
    EXPECT_EQ(Section()["LightInfo"]["Light"].asInt(), light.Light);

    const std::string added = m.AddProfile();
    ASSERT_FALSE(added.empty());
    ASSERT_EQ(m.Profiles().size(), 2u);
    EXPECT_EQ(m.Profiles()[1].id, added);
    EXPECT_EQ(m.SelectProfile(added), protocol::Status::Ok);
    EXPECT_EQ(m.ProfileName(), added);
    EXPECT_EQ(list()["profileselect"].asInt(), 1);
    EXPECT_EQ(Settings()[14 + 9 + 2], 15) << "the new profile holds the template's stages";

    EXPECT_EQ(m.SelectProfile(first), protocol::Status::Ok);
    WaitForCommands();  // the record follows the upload of the profile chosen before
    EXPECT_EQ(list()["profileselect"].asInt(), 0);
    EXPECT_EQ(Settings()[14 + 9 + 2], 42);
    EXPECT_EQ(Settings()[11], 3);
}

// --- Lighting ---------------------------------------------------------------------------

TEST_F(MouseTest, BrightnessThroughTheLightingPanelReachesTheProfileAndTheRecord) {
    CMorvaneMouseDevice& m = Connected();
    ASSERT_NE(m.LightPanel(), nullptr);
    page_.SetValue(lighting::light_controls::kBrightness, 2);

    EXPECT_TRUE(m.LightPanel()->ApplyControl(lighting::light_controls::kBrightness, m.LightingDevice()));

    EXPECT_EQ(Section()["LightInfo"]["Light"].asInt(), 2);
    EXPECT_EQ(Settings()[2], 2);
    EXPECT_EQ(m.RunningLight().Light, 2);
    EXPECT_EQ(Requests(), kRecordWrite);
}

TEST_F(MouseTest, LightingPanelColourAndModeReachTheRecord) {
    CMorvaneMouseDevice& m = Connected();
    ASSERT_NE(m.LightPanel(), nullptr);
    m.LightPanel()->ApplyColour(0xFF102030u, m.LightingDevice());
    EXPECT_EQ(SettingsAt(5, 4), (std::vector<std::uint8_t>{0, 0x10, 0x20, 0x30})) << "seven colours off, the colour";

    page_.SetCurrentIndex(lighting::light_controls::kModeCombo, 6);
    EXPECT_TRUE(m.LightPanel()->ApplyControl(lighting::light_controls::kModeCombo, m.LightingDevice()));
    EXPECT_EQ(Settings()[1], 6);
    EXPECT_EQ(Section()["LightInfo"]["SelectItem"].asInt(), 6);
    EXPECT_FALSE(m.LightPanel()->ApplyControl("DPI_slider_1", m.LightingDevice())) << "not a control of the panel";
}

TEST_F(MouseTest, LightingThreadPaintsNewSettingsWithoutWaitingForTicks) {
    CMorvaneMouseDevice& m = Connected();
    // A change is painted at the next step; time moves on until it is.
    const auto ledIs = [&](lighting::LedColor wanted) {
        return testing::Eventually(
            [&] {
                ticks_.Advance(1);
                return m.Leds().Get(13) == wanted;
            },
            kWait);
    };
    profiles::LightInfo light = m.RunningLight();
    light.SelectItem = 3;  // static
    light.MultiColor = 0;
    light.Red = 0x40;
    light.Green = 0x50;
    light.Blue = 0x60;
    light.Light = 2;
    m.LightingDevice().SetLighting(light);
    EXPECT_TRUE(ledIs({0x40, 0x50, 0x60, 135}));
    light.Light = 4;
    light.Blue = 0x70;
    m.LightingDevice().SetLighting(light);
    EXPECT_TRUE(ledIs({0x40, 0x50, 0x70, 255}));
}

// Lighting passes run by the test itself: the mouse is opened but not
// connected, so no lighting thread runs.
class MouseLightingPassTest : public MouseTest {
protected:
    CMorvaneMouseDevice& Ready(std::uint8_t mode) {
        CMorvaneMouseDevice& m = Build();
        Open(SimLink::Cable);
        m.LoadProfile();
        EXPECT_TRUE(m.OpenCompanion(sim::SimBackend::CompanionPath(SimKind::Mouse), false));
        SetMode(mode);
        return m;
    }
    void SetMode(std::uint8_t mode) {
        profiles::LightInfo light = mouse_->RunningLight();
        light.SelectItem = mode;
        light.Light = 4;
        light.MultiColor = 1;
        const profiles::LightWords w = profiles::ToWords(light);
        mouse_->SetLighting(w[0], w[1], w[2], w[3]);
        mouse_->ApplyProfileLighting();
    }
    bool AllLit() const {
        for (std::size_t i = 0; i < mouse::kLedCount; ++i)
            if (mouse_->Leds().Get(i).brightness == 0) return false;
        return true;
    }
    // Sends `usage`, then a profile notification, and waits for the latter:
    // the mouse has then seen both.
    void Notify(std::uint16_t usage, SimLink link = SimLink::Cable) {
        firmware_->SendNotificationValue(usage, link);
        firmware_->SendNotificationValue(0x1000, SimLink::Cable);
        ASSERT_TRUE(host_.WaitForLine(kNotifiedLine, kWait));
    }
};

TEST_F(MouseLightingPassTest, ClickFromTheCableFlashesEveryLedInTheFlashMode) {
    CMorvaneMouseDevice& m = Ready(CMorvaneMouseDevice::kReactiveFlashMode);
    m.RunLightingPass();
    EXPECT_FALSE(AllLit());
    Notify(kUsageClickFlash);
    m.RunLightingPass();
    EXPECT_TRUE(AllLit());
    for (int i = 0; i < 20; ++i) m.RunLightingPass();
    for (std::size_t i = 0; i < mouse::kLedCount; ++i) EXPECT_EQ(m.Leds().Get(i).brightness, 0) << "faded out";
}

TEST_F(MouseLightingPassTest, ClickInAnotherModeIsNotKeptForLater) {
    CMorvaneMouseDevice& m = Ready(CMorvaneMouseDevice::kReactiveBandMode);
    Notify(kUsageClickFlash);
    SetMode(CMorvaneMouseDevice::kReactiveFlashMode);
    m.RunLightingPass();
    EXPECT_FALSE(AllLit());
}

TEST_F(MouseLightingPassTest, ReactiveBandTravelsFromGroupZeroAlongTheRing) {
    CMorvaneMouseDevice& m = Ready(CMorvaneMouseDevice::kReactiveBandMode);
    // The mode change put one mark on the ring at position 0; the pass lights
    // level 0 and moves the mark on (direction 0: towards the start, so it
    // comes round from the far end).
    m.RunLightingPass();
    EXPECT_GT(m.Leds().Get(0).brightness, 0);
    EXPECT_GT(m.Leds().Get(13).brightness, 0);
    for (const std::size_t dark : {1u, 12u, 6u, 14u, 7u}) EXPECT_EQ(m.Leds().Get(dark).brightness, 0) << dark;
    const std::uint8_t first = m.Leds().Get(0).brightness;
    m.RunLightingPass();
    EXPECT_LT(m.Leds().Get(0).brightness, first) << "the level decays";
}

TEST_F(MouseLightingPassTest, ChoosingTheBandAgainRestartsItFromGroupZero) {
    CMorvaneMouseDevice& m = Ready(CMorvaneMouseDevice::kReactiveBandMode);
    for (int i = 0; i < 3; ++i) m.RunLightingPass();  // the mark travels away, level 0 fades
    SetMode(3);
    m.RunLightingPass();
    SetMode(CMorvaneMouseDevice::kReactiveBandMode);  // as the lighting panel does: set, then apply
    m.RunLightingPass();
    EXPECT_EQ(m.Leds().Get(0).brightness,
              lighting::Dim(255, lighting::DecayLevel(255, CMorvaneMouseDevice::kReactiveBandMode)))
        << "level 0 lit afresh by the new mark, decayed once";
}

// The stream on the simulator's frame log: a still effect sends its colours
// once; an animating one sends exactly one frame for each pass that changed
// a colour, none for a pass that did not.
TEST_F(MouseLightingPassTest, StreamSendsOneFramePerChangeOfTheLeds) {
    CMorvaneMouseDevice& m = Ready(3);  // static
    firmware_->ClearFrames();
    const auto streamed = [this] {
        std::size_t n = 0;
        for (const auto& record : firmware_->Frames()) n += record.frame[frame::kCommand] == cmd::kLightStream;
        return n;
    };
    const auto settle = [&](std::size_t expected) {
        EXPECT_TRUE(testing::Eventually([&] { return streamed() >= expected; }, kWait));
        std::this_thread::sleep_for(50ms);  // and nothing more comes
        return streamed();
    };
    m.RunLightingPass();
    for (int i = 0; i < 5; ++i) m.RunLightingPass();
    EXPECT_EQ(settle(1), 1u);

    SetMode(0);  // the wave
    std::size_t changes = 0;
    for (int i = 0; i < 12; ++i) {
        const std::uint64_t before = m.Leds().Version();
        m.RunLightingPass();
        if (m.Leds().Version() != before) ++changes;
        EXPECT_EQ(settle(1 + changes), 1 + changes) << "pass " << i;
    }
    EXPECT_GT(changes, 0u);
}

// --- Moving between cable and receiver ---------------------------------------------------

// The mouse in the device manager's hands, moved between its cable and its
// receiver as the scan reports them.
class MouseLinkSwitchTest : public MouseTest, public IDeviceFactory, public ::testing::WithParamInterface<SimLink> {
protected:
    std::optional<DeviceObjects> Create(device_io::KindRow) override {
        auto mouse = std::make_unique<CMorvaneMouseDevice>(backend_, &ticks_);
        managed_ = mouse.get();
        return DeviceObjects{std::make_unique<testing::FakeDeviceHost>(), std::move(mouse)};
    }
    void AttachPage(device_io::KindRow, CMorvaneUSBDevice&) override {}

    void Arrive(SimLink link) {
        backend_.Plug(SimKind::Mouse, link);
        slots_[SlotOf(link)].connected = 1;
        slots_[SlotOf(link)].devicePath = sim::SimBackend::VendorPath(SimKind::Mouse, link);
        manager_.OnDeviceArrived(SlotOf(link));
    }
    void Remove(SimLink link) {
        backend_.Unplug(SimKind::Mouse, link);
        slots_[SlotOf(link)].connected = 0;
        slots_[SlotOf(link)].devicePath.clear();
        manager_.OnDeviceRemoved(SlotOf(link));
    }
    static std::size_t SlotOf(SimLink link) { return link == SimLink::Cable ? 4 : 6; }

    device_io::SlotList slots_ = device_io::MakeSlotList();
    CMorvaneMouseDevice* managed_ = nullptr;
    CDeviceManager manager_{backend_, [this] { return slots_; }, *this};
};

// The lighting thread parks when it finds the transport closed, as it may in
// the moment a switch has it closed; the switch wakes it, so the LEDs and the
// previews go on without waiting for a lighting change.
TEST_P(MouseLinkSwitchTest, LightingGoesOnAfterTheSwitchWithoutAnyOtherChange) {
    const SimLink from = GetParam();
    Arrive(from);
    if (from == SimLink::Cable) Arrive(SimLink::Receiver);
    ASSERT_NE(managed_, nullptr);
    CMorvaneMouseDevice& m = *managed_;
    m.Connect();  // timer 1001's work
    profiles::LightInfo light = m.RunningLight();
    light.SelectItem = 2;  // breathing
    m.LightingDevice().SetLighting(light);
    ASSERT_TRUE(ticks_.WaitForWaiter(kWait).has_value()) << "animating";

    m.Transport().SetOpen(false);  // as in the middle of a switch
    ticks_.Advance(64);
    ASSERT_TRUE(testing::Eventually([&] { return !ticks_.WaitForWaiter(0ms).has_value(); }, kWait));
    std::this_thread::sleep_for(20ms);  // past its look at the transport: parked

    if (from == SimLink::Cable) Remove(SimLink::Cable);
    else Arrive(SimLink::Cable);
    ASSERT_TRUE(m.Transport().IsOpen());
    EXPECT_EQ(m.Transport().IsWireless(), from == SimLink::Cable);
    EXPECT_TRUE(ticks_.WaitForWaiter(kWait).has_value()) << "waiting for its next step again";
}

INSTANTIATE_TEST_SUITE_P(From, MouseLinkSwitchTest, ::testing::Values(SimLink::Cable, SimLink::Receiver),
                         [](const auto& info) { return info.param == SimLink::Cable ? "cable" : "receiver"; });

// --- Settings record read -----------------------------------------------------------------

TEST_F(MouseTest, ResynchroniseTakesTheMousesRecordIntoTheLightingAndTheProfile) {
    CMorvaneMouseDevice& m = Connected();
    // Onboard profile 2: effect code 3 (static), brightness 1, speed byte 4 (speed 0), colour, stage 4.
    ASSERT_TRUE(firmware_->WriteRegion(SimRegion::Settings, 0, std::vector<std::uint8_t>{2}));
    ASSERT_TRUE(firmware_->WriteRegion(SimRegion::Settings, 256,
                                       std::vector<std::uint8_t>{9, 3, 1, 4, 0, 0, 0x11, 0x22, 0x33, 7, 0, 0, 4}));
    m.Resynchronise();

    EXPECT_EQ(Requests(),
              (std::vector<Request>{{cmd::kReadAt, 1, 0}, {cmd::kReadAt, 56, 256}, {cmd::kReadAt, 15, 312}}));
    const profiles::LightInfo light = m.RunningLight();
    EXPECT_EQ((std::array{light.SelectItem, light.Light, light.Speed, light.MultiColor, light.Red, light.Blue}),
              (std::array<std::uint8_t, 6>{3, 1, 0, 0, 0x11, 0x33}));
    const Json::Value section = Section();
    EXPECT_EQ(section["LightInfo"]["SelectItem"].asInt(), 3);
    EXPECT_EQ(section["LightInfo"]["Light"].asInt(), 1);
    EXPECT_EQ(section["DPIStages"]["StageActive"].asInt(), 4);
    EXPECT_EQ(m.ActiveOnboardProfile(), 2);
    EXPECT_EQ(m.RecordCopy()[9], 0);
    EXPECT_EQ(SelectedOf(controls::kOnboardProfile, 8), 2);
    EXPECT_EQ(SelectedOf(controls::kDpiSelect, 5), 4);
    EXPECT_EQ(page_.Value(lighting::light_controls::kBrightness), 1);
}

TEST_F(MouseTest, ResynchroniseWhileClosedTouchesNothing) {
    CMorvaneMouseDevice& m = Connected();
    const std::string before = ProfileText();
    const profiles::LightInfo light = m.RunningLight();
    m.Transport().SetOpen(false);

    m.Resynchronise();

    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(ProfileText(), before);
    EXPECT_EQ(m.RunningLight(), light);
}

TEST_F(MouseTest, FailedRecordReadOnTheCableKeepsTheProfile) {
    struct Case {
        const char* name;
        int skip;  // 0x05 requests that pass first
    };
    for (const Case c : {Case{"active profile byte", 0}, Case{"first chunk", 1}, Case{"second chunk", 2}}) {
        SCOPED_TRACE(c.name);
        mouse_.reset();
        page_ = testing::FakePageView();
        CMorvaneMouseDevice& m = Connected();
        ASSERT_TRUE(
            firmware_->WriteRegion(SimRegion::Settings, 0, std::vector<std::uint8_t>{0, 3, 1, 4, 0, 0, 9, 9, 9}));
        const std::string before = ProfileText();
        const profiles::LightInfo light = m.RunningLight();
        const mouse::SettingsRecord record = m.RecordCopy();
        firmware_->QueueCommandFault(cmd::kReadAt, sim::SimFault::StatusFF, 1, c.skip);

        m.Resynchronise();

        EXPECT_EQ(ProfileText(), before);
        EXPECT_EQ(m.RunningLight(), light);
        EXPECT_EQ(m.RecordCopy(), record);
        EXPECT_EQ(page_.Value(lighting::light_controls::kBrightness), 4);
    }
}

// --- Failed writes --------------------------------------------------------------------------

TEST_F(MouseTest, FailedWriteKeepsTheSettingAndIsReportedOnce) {
    CMorvaneMouseDevice& m = Connected();
    const std::string notice = "post " + std::to_string(Number(DeviceMessage::kSettingsWriteFailed)) + " " +
                               std::to_string(device_io::KindRowNumber(kMouseRow)) + " " +
                               std::to_string(protocol::ToInt(protocol::Status::RefusedFF));
    const auto move = [&](int position) { return m.SetDpiStagePosition(0, position); };
    firmware_->QueueCommandFault(cmd::kWriteAt, sim::SimFault::StatusFF, 2);

    EXPECT_EQ(move(20), protocol::Status::RefusedFF);
    EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][0]["StageDPIX"].asInt(), 20);
    EXPECT_EQ(move(21), protocol::Status::RefusedFF);
    EXPECT_EQ(Section()["DPIStages"]["StageDPIs"][0]["StageDPIX"].asInt(), 21);
    EXPECT_EQ(Lines(notice), 1) << "one notice while the mouse keeps refusing";
    EXPECT_EQ(m.LastWriteStatus(), protocol::Status::RefusedFF);
    EXPECT_EQ(Requests().back().command, cmd::kSequenceEnd) << "the sequence is closed after a failure";

    EXPECT_EQ(move(22), protocol::Status::Ok);
    EXPECT_EQ(Settings()[14 + 2], 22);
    firmware_->QueueCommandFault(cmd::kWriteAt, sim::SimFault::StatusFF);
    EXPECT_EQ(move(23), protocol::Status::RefusedFF);
    EXPECT_EQ(Lines(notice), 2) << "a new failure after a success is reported again";
}

// --- Notifications ----------------------------------------------------------------------------

struct NotificationCase {
    const char* name;
    std::vector<std::uint16_t> usages;
    int onboardProfile;
    int stage;
};

void PrintTo(const NotificationCase& c, std::ostream* os) { *os << c.name; }

class MouseNotificationTest : public MouseTest, public ::testing::WithParamInterface<NotificationCase> {};

TEST_P(MouseNotificationTest, SelectsTheOnboardProfileAndStageOnThePage) {
    const NotificationCase& c = GetParam();
    CMorvaneMouseDevice& m = Connected();
    ASSERT_TRUE(m.OpenCompanion(sim::SimBackend::CompanionPath(SimKind::Mouse), false));

    for (const std::uint16_t usage : c.usages) firmware_->SendNotificationValue(usage);
    ASSERT_TRUE(host_.WaitForLine(kNotifiedLine, kWait));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(Lines(kNotifiedLine), 1) << "only the profile notification arms the timer";
    m.OnTimer1003();  // the host fires it on the UI thread

    EXPECT_EQ(m.ActiveOnboardProfile(), c.onboardProfile);
    EXPECT_EQ(SelectedOf(controls::kOnboardProfile, 8), c.onboardProfile);
    EXPECT_EQ(SelectedOf(controls::kDpiSelect, 5), c.stage);
    EXPECT_EQ(Section()["DPIStages"]["StageActive"].asInt(), c.stage);
    EXPECT_EQ(m.WriteLightRecord(), protocol::Status::Ok);
    EXPECT_EQ(Settings()[12], c.stage) << "the next write keeps the mouse's stage";
}

INSTANTIATE_TEST_SUITE_P(Usages, MouseNotificationTest,
                         ::testing::Values(NotificationCase{"ProfileAndStage", {0x1123}, 3, 2},
                                           NotificationCase{"ProfileOnly", {0x1005}, 5, 1},
                                           NotificationCase{"OtherValuesIgnored", {0x1200, 0x0505, 0x1005}, 5, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MouseTest, NotificationsWhileClosedAreIgnored) {
    CMorvaneMouseDevice& m = Connected();
    ASSERT_TRUE(m.OpenCompanion(sim::SimBackend::CompanionPath(SimKind::Mouse), false));
    m.Transport().SetOpen(false);
    firmware_->SendNotificationValue(0x1123);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Lines(kNotifiedLine), 0);
    EXPECT_EQ(m.ActiveOnboardProfile(), 0);
}

// --- Power and link -------------------------------------------------------------------------

TEST_F(MouseTest, PowerStateGoesToThePanelWithTheLinkInByte3) {
    struct Case {
        const char* name;
        SimLink link;
        std::uint8_t percent;
        sim::SimCharging charging;
        std::uint8_t wireless;
    };
    const Case cases[] = {
        {"receiver, charging", SimLink::Receiver, 40, sim::SimCharging::Charging, 1},
        {"receiver, on battery", SimLink::Receiver, 12, sim::SimCharging::OnBattery, 1},
        {"cable, charged", SimLink::Cable, 100, sim::SimCharging::Charged, 0},
    };
    int posts = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mouse_.reset();
        page_ = testing::FakePageView();
        CMorvaneMouseDevice& m = Build();
        sim::SimFirmware& firmware = Open(c.link);
        firmware.SetBattery(c.percent, c.charging);
        std::vector<PowerReport> reports;
        m.SetPowerSink([&](std::span<const std::uint8_t> r) { reports.push_back(Report(r)); });

        m.ReadPowerState();

        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0], (PowerReport{c.percent, static_cast<std::uint8_t>(c.charging), 0, c.wireless, 0, 0}));
        EXPECT_EQ(m.LastPowerReport(), reports[0]);
        EXPECT_EQ(Lines("post " + std::to_string(Number(DeviceMessage::kPowerState)) + " 0 0"), ++posts);
    }
}

TEST_F(MouseTest, ReceiverLinkDecidesWhetherTheMouseIsReadOrWritten) {
    CMorvaneMouseDevice& m = Build();
    sim::SimFirmware& firmware = Open(SimLink::Receiver);
    std::vector<PowerReport> reports;
    m.SetPowerSink([&](std::span<const std::uint8_t> r) { reports.push_back(Report(r)); });
    EXPECT_EQ(m.CheckLink(), protocol::LinkState::Reachable);
    m.Connect();
    EXPECT_EQ(m.Info()[5], 11) << "read through the receiver";

    backend_.SetOutOfRange(SimKind::Mouse, true);
    firmware.ClearFrames();
    EXPECT_EQ(m.CheckLink(), protocol::LinkState::Unreachable);
    m.ReadPowerState();
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(m.WriteLightRecord(), protocol::Status::ReadFailed);
    for (const Request& r : Requests()) EXPECT_EQ(r.command, cmd::kLinkQuery) << "nothing but link queries";
    EXPECT_EQ(Lines("post " + std::to_string(Number(DeviceMessage::kSettingsWriteFailed)) + " 0 0"), 0)
        << "an unreachable mouse is the link watch's business";

    backend_.SetOutOfRange(SimKind::Mouse, false);
    m.SetHold(true);
    m.ReadPowerState();
    EXPECT_TRUE(reports.empty()) << "held by the main window";
    m.SetHold(false);
    m.ReadPowerState();
    EXPECT_EQ(reports.size(), 1u);

    firmware.ClearFrames();
    EXPECT_EQ(m.WriteLightRecord(), protocol::Status::Ok);
    const std::vector<Request> write = Requests();
    std::vector<Request> records;
    for (const Request& r : write)
        if (r.command == cmd::kWriteAt) records.push_back(r);
    EXPECT_EQ(records, (std::vector<Request>{{cmd::kWriteAt, 24, 0}, {cmd::kWriteAt, 24, 24}, {cmd::kWriteAt, 18, 48}}))
        << "66 bytes in chunks of 24 on the receiver";
    EXPECT_EQ(std::count(write.begin(), write.end(), Request{cmd::kLinkQuery, 0, 0}), 3)
        << "one query before each step";

    m.Transport().SetOpen(false);
    EXPECT_EQ(m.CheckLink(), protocol::LinkState::Unreachable);
}

// --- Page set-up ----------------------------------------------------------------------------

TEST_F(MouseTest, PageSetUpBindsThePreviewsAndFindsThePanels) {
    CMorvaneMouseDevice& m = Build();
    EXPECT_NE(m.KeyButton(10), nullptr);
    EXPECT_NE(m.LedPreview(14), nullptr);
    ASSERT_NE(m.SecondRowPreview(3), nullptr);
    EXPECT_EQ(*m.SecondRowPreview(3), "btn_light_0_3");
    ASSERT_NE(m.LogoPreview(), nullptr);
    EXPECT_NE(m.ProfilePanel(), nullptr);
    EXPECT_NE(m.LightPanel(), nullptr);
    EXPECT_FALSE(page_.Visible("keyset_panel"));
    EXPECT_FALSE(m.ProfileName().empty());

    m.Leds().Set(3, {255, 0, 0, 128});
    m.RefreshPreview();
    EXPECT_EQ(page_.Colour("btn_light_0_3"), 0xFF7F0000u);

    m.ShowPageSection(2);
    EXPECT_FALSE(page_.Visible(controls::kTipInfo));
}

TEST_F(MouseTest, DpiPageIsTheSameOnBothLinks) {
    for (const SimLink link : {SimLink::Cable, SimLink::Receiver}) {
        page_.Add(std::string(kFunctionSwitch));
        page_.Add(std::string(kKeyFunctionSwitch));
        CMorvaneMouseDevice& m = Connected(link);
        page_.SetCurrentPage(kFunctionSwitch, 0);
        m.ShowPageSection(CMorvaneMouseDevice::kSystemCategory);
        EXPECT_EQ(page_.CurrentPage(kFunctionSwitch), 3) << (link == SimLink::Cable ? "cable" : "receiver");
    }
}

TEST_F(MouseTest, PageWithoutPanelsStillWorks) {
    testing::FakePageView bare;
    bare.Add(controls::kSettingsLayout).className = "SelectPanel";
    bare.Add("DPI_slider_1");
    mouse_ = std::make_unique<CMorvaneMouseDevice>(backend_, &ticks_);
    CMorvaneMouseDevice& m = *mouse_;
    m.SetPageLayoutName("XML/DeviceXml/mousedevice.xml");
    m.SetLedCount(15);
    m.Attach(bare);
    Open(SimLink::Cable);
    m.Connect();
    EXPECT_EQ(m.LightPanel(), nullptr);
    EXPECT_EQ(m.SetDpiStagePosition(1, 30), protocol::Status::Ok);
    EXPECT_EQ(Settings()[14 + 9 + 2], 30) << "the template in memory, written to the mouse";
}

}  // namespace
}  // namespace vandrel::devices
