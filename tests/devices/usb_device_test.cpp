// The device base on its page: binding of key buttons and LED previews,
// previews painted from the LED colours, the key-function page sections and
// the LED colour accessors.
#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "devices/usb_device.h"
#include "sim/sim_backend.h"
#include "support/fake_device_host.h"
#include "support/fake_page_view.h"

namespace vandrel::devices {
namespace {

using testing::FakePageView;

class DevicePageTest : public ::testing::Test {
protected:
    DevicePageTest() {
        page.Add("select").className = "SelectPanel";
        page.Add("title").className = "Label";
        device.SetPageLayoutName("mousedevice.xml");
        device.SetKeyCount(6);
        device.SetLedCount(15);
    }
    void AddButton(const std::string& name, const std::string& className, const std::string& userData,
                   const std::string& parent = "select") {
        auto& control = page.Add(name);
        control.className = className;
        control.userData = userData;
        control.parent = parent;
    }

    sim::SimBackend backend;
    CMorvaneUSBDevice device{backend};
    FakePageView page;
};

TEST_F(DevicePageTest, AttachBindsKeyButtonsAndLedPreviewsByUserData) {
    enum class Bound { Key, Preview, Neither };
    struct Case {
        const char* name;
        const char* className;
        const char* userData;
        Bound bound;
        int index;
    };
    const Case cases[] = {
        {"b_key3", "DeviceKeyButton", "key_3", Bound::Key, 3},
        {"b_key0", "DeviceKeyButton", "KEY_0", Bound::Key, 0},
        {"b_key6", "DeviceKeyButton", "key_6", Bound::Neither, 6},  // 6 keys: 0..5
        {"b_light2", "DeviceKeyButton", "Light_2", Bound::Preview, 2},
        {"b_light14", "DeviceKeyButton", "light_14", Bound::Preview, 14},
        {"b_light15", "DeviceKeyButton", "light_15", Bound::Neither, 15},  // 15 LEDs: 0..14
        {"b_label", "Label", "key_4", Bound::Neither, 4},
        {"b_bad", "DeviceKeyButton", "key_x", Bound::Neither, 5},
        {"b_other", "DeviceKeyButton", "dpi_1", Bound::Neither, 1},
    };
    for (const Case& c : cases) AddButton(c.name, c.className, c.userData);
    AddButton("outside", "DeviceKeyButton", "light_7", /*parent=*/"title");

    device.Attach(page);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string* key = device.KeyButton(c.index);
        const std::string* preview = device.LedPreview(c.index);
        EXPECT_EQ(key != nullptr && *key == c.name, c.bound == Bound::Key);
        EXPECT_EQ(preview != nullptr && *preview == c.name, c.bound == Bound::Preview);
        EXPECT_EQ(page.Colour(c.name), c.bound == Bound::Preview ? kPreviewWhite : 0u);
    }
    EXPECT_EQ(device.LedPreview(7), nullptr);
}

// A keyboard's picture: the panel inside a frame, keys named for their key
// with their LED as user data, some of them a level further down.
TEST_F(DevicePageTest, AttachFindsANestedPanelAndBindsByNameAndUserData) {
    FakePageView keyboard;
    keyboard.Add("frame").className = "QFrame";
    auto& panel = keyboard.Add("keys");
    panel.className = "SelectPanel";
    panel.parent = "frame";
    keyboard.Add("row").parent = "keys";
    const auto add = [&](const std::string& name, const std::string& userData, const std::string& parent) {
        auto& button = keyboard.Add(name);
        button.className = "DeviceKeyButton";
        button.userData = userData;
        button.parent = parent;
    };
    add("key_1", "light_1", "keys");
    add("key_4", "light_9", "row");
    add("mouse_key_2", "key_2", "keys");  // the mouse's way: the key in the user data

    device.Attach(keyboard);

    EXPECT_EQ(*device.KeyButton(1), "key_1");
    EXPECT_EQ(*device.LedPreview(1), "key_1");
    EXPECT_EQ(*device.KeyButton(4), "key_4");
    EXPECT_EQ(*device.LedPreview(9), "key_4");
    EXPECT_EQ(device.LedPreview(4), nullptr);
    EXPECT_EQ(*device.KeyButton(2), "mouse_key_2");
    EXPECT_EQ(keyboard.Colour("key_4"), kPreviewWhite);
}

TEST_F(DevicePageTest, AttachWithoutALayoutLeavesNoKeysAndNoLeds) {
    AddButton("b_key1", "DeviceKeyButton", "key_1");
    device.SetPageLayoutName("");
    device.Attach(page);
    EXPECT_EQ(device.KeyCount(), 0u);
    EXPECT_EQ(device.LedCount(), 0u);
    EXPECT_EQ(device.KeyButton(1), nullptr);
}

TEST_F(DevicePageTest, RefreshPreviewPaintsVisiblePreviewsWithScaledColours) {
    AddButton("shown", "DeviceKeyButton", "light_0");
    AddButton("hidden", "DeviceKeyButton", "light_1");
    device.Attach(page);
    page.SetVisible("hidden", false);
    device.SetLedColour(0, lighting::LedColor{255, 128, 0, 128}.Packed());
    device.SetLedColour(1, lighting::LedColor{255, 255, 255, 255}.Packed());

    device.RefreshPreview();

    EXPECT_EQ(page.Colour("shown"), 0xFF7F4000u);
    EXPECT_EQ(page.Colour("hidden"), kPreviewWhite);
}

// A colour change arms one preview paint (timer 1000), at most one at a time,
// and none while nobody sees the previews; showing them again paints once.
TEST_F(DevicePageTest, PreviewPaintIsArmedByChangesOnlyWhileThePreviewsAreSeen) {
    testing::FakeDeviceHost host;
    device.SetHost(&host);
    AddButton("led", "DeviceKeyButton", "light_0");
    device.Attach(page);
    const auto arms = [&host] {
        std::size_t n = 0;
        for (const std::string& line : host.Lines()) n += line.rfind("arm 1000", 0) == 0;
        return n;
    };
    const auto change = [this](std::uint8_t red) {
        device.SetLedColour(0, lighting::LedColor{red, 0, 0, 255}.Packed());
    };

    change(1);
    change(2);  // the paint on its way will show it
    EXPECT_EQ(arms(), 1u);
    device.RefreshPreview();
    EXPECT_EQ(page.Colour("led"), 0xFF010000u);
    change(2);  // no change, no paint
    EXPECT_EQ(arms(), 1u);

    device.SetWindowHidden(true);
    change(3);
    device.SetLivePreview(false);
    device.SetWindowHidden(false);
    change(4);
    EXPECT_EQ(arms(), 1u);
    device.RefreshPreview();  // a paint already armed paints nothing unseen
    EXPECT_EQ(page.Colour("led"), 0xFF010000u);

    device.SetLivePreview(true);  // seen again: painted once
    EXPECT_EQ(arms(), 2u);
    device.RefreshPreview();
    EXPECT_EQ(page.Colour("led"), 0xFF030000u);
    device.SetHost(nullptr);
}

TEST_F(DevicePageTest, ShowPageSectionSelectsTheSwitchPages) {
    constexpr int kUntouched = 9;
    struct Case {
        int category;
        device_io::DeviceType type;
        int functionPage;
        int keyFunctionPage;
    };
    const Case cases[] = {
        {2, device_io::DeviceType::Mouse, 0, 1},
        {6, device_io::DeviceType::Keyboard, 0, 1},
        {3, device_io::DeviceType::Mouse, 1, kUntouched},
        {8, device_io::DeviceType::MousePad, 1, kUntouched},
        {4, device_io::DeviceType::Keyboard, 3, kUntouched},
        {4, device_io::DeviceType::Mouse, 3, kUntouched},
        {4, device_io::DeviceType::MouseReceiver, 0, 2},
        {4, device_io::DeviceType::MousePad, 0, 2},
        {7, device_io::DeviceType::Mouse, 0, 2},
        {5, device_io::DeviceType::Mouse, 2, kUntouched},
        {1, device_io::DeviceType::Mouse, 0, 0},
        {0, device_io::DeviceType::Keyboard, 0, 0},
    };
    page.Add(std::string(kFunctionSwitch));
    page.Add(std::string(kKeyFunctionSwitch));
    device.Attach(page);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "category " << c.category << " type " << device_io::TypeNumber(c.type));
        device_io::DeviceIdentity identity;
        identity.deviceType = c.type;
        device.SetIdentity(identity);
        page.SetCurrentPage(kFunctionSwitch, kUntouched);
        page.SetCurrentPage(kKeyFunctionSwitch, kUntouched);

        device.ShowPageSection(c.category);

        EXPECT_EQ(page.CurrentPage(kFunctionSwitch), c.functionPage);
        EXPECT_EQ(page.CurrentPage(kKeyFunctionSwitch), c.keyFunctionPage);
        EXPECT_EQ(device.GetPageSection(), c.category);
    }
}

TEST_F(DevicePageTest, LedColourAccessorsIgnoreBadIndexes) {
    struct Case {
        int index;
        std::uint32_t readBack;
    };
    const Case cases[] = {{-1, 0}, {0, 0x80112233u}, {14, 0x80112233u}, {15, 0}, {170, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        device.SetLedColour(c.index, 0x80112233u);
        EXPECT_EQ(device.GetLedColour(c.index), c.readBack);
    }
}

TEST(SplitIndexedName, SplitsAtTheLastUnderscore) {
    struct Case {
        const char* text;
        std::optional<std::string> prefix;
        int number;
    };
    const Case cases[] = {
        {"key_3", "key_", 3},        {"LIGHT_169", "LIGHT_", 169}, {"key_", std::nullopt, 0}, {"key3", std::nullopt, 0},
        {"key_3a", std::nullopt, 0}, {"key_-1", std::nullopt, 0},  {"", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto split = SplitIndexedName(c.text);
        ASSERT_EQ(split.has_value(), c.prefix.has_value());
        if (!split) continue;
        EXPECT_EQ(split->prefix, *c.prefix);
        EXPECT_EQ(split->number, c.number);
    }
}

TEST(DeviceReactive, RingMarkTravelsAndLightsLevelsThatThenFade) {
    sim::SimBackend backend;
    CMorvaneUSBDevice device{backend};
    auto& ring = device.ReactiveRing();
    auto& levels = device.ReactiveLevels();

    // One mark at position 0, as the kinds set it after clearing.
    device.ClearReactive();
    ring[0] = 1;
    device.RotateRing(false);  // towards the start: byte 0 comes round to 22
    EXPECT_EQ(ring[22], 1);
    device.RotateRing(true);  // and back
    EXPECT_EQ(ring[0], 1);
    device.RotateRing(true);
    EXPECT_EQ(ring[1], 1);
    device.RotateRing(true, 3);  // the first three bytes only (the mouse pad's ring)
    EXPECT_EQ(ring[2], 1);
    device.RotateRing(true, 3);
    EXPECT_EQ(ring[0], 1) << "rotating three bytes wraps at the third";

    device.LightMarkedLevels();
    EXPECT_EQ(levels[0], 255);
    EXPECT_EQ(levels[1], 0);

    // Fading uses the engine's profiles; out-of-range indexes are ignored.
    device.DecayLevel(0, 0);
    EXPECT_EQ(levels[0], 215);
    levels[5] = 0x90;
    device.DecayLevel(5, 29);
    EXPECT_EQ(levels[5], 0x90 - 45);
    device.DecayLevel(-1, 0);
    device.DecayLevel(170, 0);

    device.ClearReactive();
    EXPECT_EQ(levels[0], 0);
    EXPECT_EQ(ring[0], 0);
}

}  // namespace
}  // namespace vandrel::devices
