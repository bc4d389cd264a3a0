// The map-backed page view that device tests run on: the walk below a
// container and the rubber-band flag of key buttons behave as on a real page.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/fake_page_view.h"

namespace {

using vandrel::testing::FakePageView;

std::vector<std::string> Names(const std::vector<vandrel::platform::ChildControl>& controls) {
    std::vector<std::string> names;
    for (const auto& c : controls) names.push_back(c.name);
    return names;
}

// A keyboard frame holding the picture panel, the keys one level deeper.
FakePageView KeyboardFrame() {
    FakePageView page;
    page.Add("keyboard_device_key_light");
    auto& panel = page.Add("device_key_light");
    panel.parent = "keyboard_device_key_light";
    panel.className = "SelectPanel";
    for (const char* name : {"key_1", "key_0"}) {
        auto& key = page.Add(name);
        key.parent = "device_key_light";
        key.className = "DeviceKeyButton";
        key.userData = std::string("light_") + name[4];
    }
    page.Add("text_test");
    return page;
}

TEST(FakePageView, DescendantsWalkEveryLevelEachControlBeforeWhatItHolds) {
    const FakePageView page = KeyboardFrame();
    EXPECT_EQ(Names(page.Children("keyboard_device_key_light")), std::vector<std::string>{"device_key_light"});
    const auto below = page.Descendants("keyboard_device_key_light");
    EXPECT_EQ(Names(below), (std::vector<std::string>{"device_key_light", "key_0", "key_1"}));
    EXPECT_EQ(below[1].className, "DeviceKeyButton");
    EXPECT_EQ(below[1].userData, "light_0");
    EXPECT_TRUE(page.Descendants("key_0").empty());
    EXPECT_TRUE(page.Descendants("missing").empty());
    EXPECT_EQ(Names(page.Descendants("")), (std::vector<std::string>{"keyboard_device_key_light", "device_key_light",
                                                                     "key_0", "key_1", "text_test"}));
}

TEST(FakePageView, RectSelectedIsTheKeysOwnFlagNotItsCheckedState) {
    FakePageView page = KeyboardFrame();
    page.Find("key_0")->rectSelected = true;
    page.SetSelected("key_1", true);
    EXPECT_TRUE(page.RectSelected("key_0"));
    EXPECT_FALSE(page.RectSelected("key_1"));
    EXPECT_FALSE(page.Selected("key_0"));
    EXPECT_FALSE(page.RectSelected("missing"));
}

}  // namespace
