// The keyboard's threads together: key events from the notification thread,
// lighting changes and colour groups from this (the UI) thread, the lighting
// thread animating on the real clock and the command worker writing. Run
// under ThreadSanitizer, this is where a race would show.
#include <atomic>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

#include "devices/keyboard/keyboard_device.h"
#include "platform/folders.h"
#include "sim/sim_backend.h"
#include "support/eventually.h"
#include "support/fake_device_host.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace vandrel::devices {
namespace {

using namespace std::chrono_literals;

TEST(KeyboardThreads, KeyEventsPanelChangesAndAnimationRunTogether) {
    testing::TempFolder data;
    const testing::ScopedEnv xdg("XDG_DATA_HOME", data.Path());
    platform::SetDefaultDataFolder(VANDREL_DEFAULT_DATA_DIR);
    sim::SimBackend backend;
    sim::SimFirmware& firmware = backend.Plug(sim::SimKind::Keyboard, sim::SimLink::Cable);
    testing::FakeDeviceHost host;
    {
        CMorvaneKeyboardDevice keyboard(backend);
        keyboard.SetKeyCount(170);
        keyboard.SetLedCount(170);
        keyboard.SetKindRow(device_io::KindRow::Keyboard);
        keyboard.SetHost(&host);
        device_io::DeviceIdentity identity;
        identity.deviceType = device_io::DeviceType::Keyboard;
        keyboard.SetIdentity(identity);
        ASSERT_TRUE(
            keyboard.OpenCompanion(sim::SimBackend::CompanionPath(sim::SimKind::Keyboard, sim::SimLink::Cable), false));
        protocol::CDeviceTransport& t = keyboard.Transport();
        ASSERT_TRUE(t.WiredChannel().OpenPath(sim::SimBackend::VendorPath(sim::SimKind::Keyboard, sim::SimLink::Cable),
                                              true, true, true, false));
        t.SetLinkMode(1);
        t.SetOpen(true);
        keyboard.Connect();
        const std::uint8_t slot = keyboard.Maps().keySlot[64];
        ASSERT_NE(slot, keyboard::kNoSlot);

        std::atomic<bool> typing{true};
        std::thread typist([&] {
            while (typing.load()) {
                firmware.SendKeyEvent(slot, sim::SimKeyEvent::Press);
                firmware.SendKeyEvent(slot, sim::SimKeyEvent::Release);
                std::this_thread::sleep_for(1ms);
            }
        });
        // The panel moves between an animated, the reactive and the per-key
        // effect, paints keys and switches groups while keys arrive.
        const std::array<std::uint8_t, 4> effects{1, 7, 20, 25};
        const std::array<int, 3> keys{64, 65, 66};
        for (int round = 0; round < 40; ++round) {
            profiles::LightInfo light = keyboard.RunningLight();
            light.SelectItem = effects[static_cast<std::size_t>(round) % effects.size()];
            light.Speed = 4;
            EXPECT_EQ(keyboard.SetLighting(light), protocol::Status::Ok);
            keyboard.SelectCustomGroup(round % 3);
            keyboard.LoadCustomGroup();
            EXPECT_EQ(keyboard.PaintKeys(keys), protocol::Status::Ok);
            std::this_thread::sleep_for(5ms);
        }
        typing.store(false);
        typist.join();

        // The last settings are the ones that run and that the keyboard got.
        EXPECT_EQ(keyboard.RunningLight().SelectItem, 25);
        EXPECT_TRUE(testing::Eventually([&] { return keyboard.CommandsIdle(); }, 5s));
        const std::vector<std::uint8_t> record = firmware.Record(0);
        ASSERT_EQ(record.size(), keyboard::kLightRecordSize);
        EXPECT_EQ(record[keyboard::record::kEffectCode], 25);
        // Key events kept the reactive effect busy: the keys were painted.
        const std::uint64_t painted = keyboard.Leds().Version();
        firmware.SendKeyEvent(slot, sim::SimKeyEvent::Press);
        EXPECT_TRUE(testing::Eventually([&] { return keyboard.Leds().Version() != painted; }));
        keyboard.CloseCompanion(false);
    }
    platform::SetDefaultDataFolder("");
}

}  // namespace
}  // namespace vandrel::devices
