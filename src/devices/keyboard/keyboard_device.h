// CMorvaneKeyboardDevice: a keyboard, on the cable (device type 1) or behind
// its receiver (type 9), and the logic of its page.
//
// What it does:
//   - reads the keyboard when it connects: the information block (K, the
//     number of key slots), the key map and the LED map, and finds the key
//     slot and LED slot of each of the 126 key positions of the page (the
//     key slots learned at earlier connections first, key_slot_memory.h);
//   - keeps the light record (effect, brightness, speed, direction, colour,
//     colour group, flags, report rate) in step with the profile and writes
//     it; reads it back when the keyboard asks (Resynchronise);
//   - writes the per-key colours of the running colour group as a colour
//     page, in the per-key effect only, and the key map of the profile's key
//     assignments after every profile switch and reset, once the macros its
//     keys run are on the keyboard;
//   - plays the thirty effects on the page's keys (the keyboard plays them
//     itself: nothing is streamed to it), with key reactions in the reactive
//     effects, the per-key overlay and the light-effect list;
//   - carries out the page's controls: read the control, change the
//     device's copy, store it in the profile, save, write the keyboard.
//
// Failures: reads that fail leave what was read before; a light record that
// could not be read in full applies nothing, and the next Resynchronise
// reads it again. The key map is written only over a key map read since the
// keyboard connected. A write that fails leaves the settings in the profile
// and posts DeviceMessage::kSettingsWriteFailed to the main window once,
// until a write succeeds again.
//
// Threads: the UI thread calls everything public unless said otherwise.
// Writes run on the device's command worker, so the window never waits for
// the keyboard. The reads of the UI thread (Connect, Resynchronise) do not
// wait for an upload either: while one has the keyboard they are skipped,
// and their timers are armed again once it is over. Only the lighting thread
// touches the effect state: key events (notification threads), restarts and
// colour-group changes (UI thread) are handed to its next pass.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "devices/command_worker.h"
#include "devices/device_profiles.h"
#include "devices/keyboard/key_map_image.h"
#include "devices/keyboard/keyboard_effects.h"
#include "devices/keyboard/keyboard_keys.h"
#include "devices/keyboard/keyboard_light_adapter.h"
#include "devices/keyboard/keyboard_record.h"
#include "devices/keyed_device.h"
#include "devices/lighting_thread.h"
#include "devices/usb_device.h"
#include "lighting/effect_list_player.h"
#include "lighting/light_control.h"
#include "lighting/light_overlay.h"
#include "platform/tick_source.h"
#include "profiles/json_file_store.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/light_names.h"
#include "protocol/commands.h"

namespace vandrel::devices {

class CMorvaneKeyboardDevice : public CKeyedDevice,
                               public ILighting,
                               public IPower,
                               public ISystemSettings,
                               public IProfiles,
                               public IKeyColours {
public:
    static constexpr std::size_t kKeySlotsByte = 5;
    static constexpr std::size_t kMacroUnitsByte = 18;  // macro memory, in units of 128 bytes
    static constexpr std::uint8_t kPerKeyEffect = 20;
    static constexpr std::size_t kPowerReportSize = 6;
    // Notifications of the keyboard's companion collection.
    static constexpr std::uint16_t kUsageReloadProfile = 0x402;  // settings and profile changed on the keyboard
    static constexpr std::uint16_t kUsageKeyPressed = 0x500;     // + the key slot
    static constexpr std::uint16_t kUsageKeyReleased = 0x600;    // + the key slot

    using InfoBlock = std::array<std::uint8_t, protocol::kInfoBlockSize>;
    using PowerReport = std::array<std::uint8_t, kPowerReportSize>;
    using KeyColours = std::array<profiles::KeyColour, keyboard::kPositions>;

    CMorvaneKeyboardDevice();
    // `ticks` paces the lighting thread (the monotonic clock when null) and
    // must outlive the device.
    explicit CMorvaneKeyboardDevice(platform::IHidBackend& backend, platform::ITickSource* ticks = nullptr);
    ~CMorvaneKeyboardDevice() override;

    // --- The base's operations ------------------------------------------------
    // Reads the keyboard's tables, loads the profile, reads the light record,
    // refreshes the page and starts the lighting thread.
    void Connect() override;
    void OnTransportReopened() override;
    // After the keyboard said its profile changed (0x402) the profile list
    // and the profile from their files; then the light record over them, and
    // the page.
    void Resynchronise() override;
    // Takes in a notified onboard-profile change: the page is refreshed.
    void OnTimer1003() override;
    // Power block (6 bytes at offset 0) to the power sink and message 3329;
    // skipped while held, closed or unreachable.
    void ReadPowerState() override;
    void SetPowerSink(PowerSink sink) override { powerSink_ = std::move(sink); }
    // Reachable when open and answering: on the cable always, behind the
    // receiver when the link query says so.
    protocol::LinkState CheckLink() override;
    void LoadProfile() override;
    void RefreshPage() override;
    void LoadDefaultProfile() override;
    void LoadLightConfiguration();
    void SetProfilePaths() override;
    std::string GetProfilePath() const override { return profile_.GetProfilePath(); }
    void SaveProfile() override;
    void SetLightNameIndex(int index) override;
    void SetLighting(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3) override;
    // Then the Fn key follows: usable on the lighting page, not on the keys page.
    void ShowPageSection(int category) override;

    // --- Lighting -------------------------------------------------------------
    // The profile's lighting becomes the running one; a new effect (or the
    // per-key effect again) starts afresh, the light lists are taken in.
    int ApplyProfileLighting();
    // The light record of the profile for onboard profile `onboardProfile`,
    // byte 0 = `byte0`, queued on the command worker; in the per-key effect
    // the colour page follows. Ok when queued (the outcome is reported by
    // the settings notice).
    protocol::Status WriteLightRecord(int onboardProfile = 0, int byte0 = 0);
    void SetLightingPaused(bool paused);
    // The colour group the page and the profile run (0 when out of range).
    void SelectCustomGroup(int group);
    // The group's colours from the profile onto the keys, and to the
    // keyboard in the per-key effect.
    void LoadCustomGroup();
    // One pass of the lighting thread. Only while the thread does not run.
    void RunLightingPass();

    // --- Operations -----------------------------------------------------------
    DeviceStatus SetLighting(const profiles::LightInfo& info) override;
    // The report rate choice 0..3 into the record.
    DeviceStatus SetReportRate(int option) override;
    // The key repeat (stored and shown, not sent) and the three flags (sent
    // in the record); the pointer's settings are not the keyboard's.
    DeviceStatus SetSystemValue(SystemSetting setting, int value) override;
    DeviceStatus PaintKeys(std::span<const int> positions) override;
    DeviceStatus FillColourGroup(bool lit) override;
    std::vector<profiles::ProfileEntry> Profiles() override;
    std::string AddProfile() override;
    std::optional<DeviceStatus> SelectProfile(const std::string& profileId) override;
    DeviceStatus ResetProfile() override;
    DeviceStatus ResetToDefaults() override;
    // The profile's key assignments into the key map, after the macros they
    // use; queued on the command worker. A bank other than 0 is refused, and
    // so is a keyboard whose key map was not read since it connected.
    DeviceStatus UploadKeyMap(int bank, std::span<const profiles::KeyEntry> keys);
    DeviceStatus UploadCurrentKeyMap();

    // --- Key map ------------------------------------------------------------------
    std::vector<profiles::KeyCode> FactoryCodes() const override;
    std::vector<std::uint8_t> UsedMacros() override;
    // UploadCurrentKeyMap; a refusal is posted as the upload's end.
    void UploadMacrosAndKeyMap() override;
    // Reads the information block for the macro memory's size, then sends
    // the image between commands 0x01 and 0x02.
    int UploadMacros(std::span<const std::uint8_t> used) override;
    bool Uploading() const override { return worker_.Pending(CommandWorker::Slot::KeyMap); }

    // --- Panels and sinks -------------------------------------------------------
    lighting::CLightControlUI* LightPanel() override { return lightPanel_.get(); }
    profiles::CDeviceProfileUI* ProfilePanel() override { return profiles_.Panel(); }
    lighting::ILightingDevice& LightingDevice() override { return lightingDevice_; }

    // --- State ------------------------------------------------------------------
    const InfoBlock& Info() const { return info_; }
    std::size_t KeySlots() const { return info_[kKeySlotsByte]; }
    keyboard::PositionMaps Maps() const;
    bool KeyMapRead() const { return keyMapRead_; }
    int ActiveOnboardProfile() const { return onboardProfile_.load(); }
    const keyboard::KeyboardSystem& System() const { return system_; }
    const profiles::LightNames& LightNames() const { return names_; }
    const PowerReport& LastPowerReport() const { return powerReport_; }
    // True when no command waits or runs on the worker.
    bool CommandsIdle() const { return worker_.Idle(); }

protected:
    void SetUpPage() override;
    profiles::CBasicProfiledata& KeyProfile() override { return profile_; }
    DeviceProfiles& ProfileList() override { return profiles_; }
    void OnNotification(std::uint16_t usage) override;

private:
    struct KeyEvent {
        std::uint8_t position = 0;
        keyboard::KeyAction action = keyboard::KeyAction::kPressed;
    };
    // Key events waiting for the lighting thread's next pass; more are dropped.
    static constexpr std::size_t kMaxKeyEvents = 64;

    void ReadDevice();
    // False, applying nothing, when the record could not be read in full.
    bool ReadLightRecord();
    // `light` becomes the running lighting; a new effect, or the per-key
    // effect again, starts afresh on the lighting thread.
    void ApplyRunningLight(const profiles::LightInfo& light);
    void ReadProfileSettings();
    void StoreSystem();
    DeviceStatus SystemChanged();
    void ShowModeList();
    void ShowColourGroups(platform::IPageView& page);
    void SetUpPanels(platform::IPageView& page);
    void RunProfile();
    void OnKeyEvent(std::uint8_t keySlot, keyboard::KeyAction action);
    // The position of a key slot, without copying the maps (key events).
    std::optional<std::size_t> PositionOfSlot(std::uint8_t keySlot) const;

    // Colour groups.
    void StageColours(const std::vector<profiles::KeyColour>& colours);
    DeviceStatus UploadColourPage(bool scaled);
    std::vector<profiles::KeyColour> GroupColours();
    void StoreGroupColours(const std::vector<profiles::KeyColour>& colours);
    bool PerKeyEffectRuns() const { return RunningLight().SelectItem == kPerKeyEffect; }

    // Command worker.
    void OnCommandDone(CommandWorker::Slot slot, protocol::Status status);
    int SendMacros(std::span<const std::uint8_t> used, const std::string& folder, const InfoBlock& info);
    // The upload job's end, to the window.
    void PostUploadEnd(protocol::Status status);

    // Lighting thread.
    std::optional<std::uint32_t> NextStepTicks();
    void LightingChanged();
    void TakeKeyEvents();
    void TakeStagedColours(bool force);

    std::unique_ptr<platform::ITickSource> ownTicks_;
    platform::ITickSource& ticks_;
    profiles::CKeyboardProfiledata profile_;
    profiles::LightNames names_;
    DeviceProfiles profiles_;

    InfoBlock info_{};
    keyboard::DevicePage keyMap_{};
    keyboard::DevicePage ledMap_{};
    bool keyMapRead_ = false;       // since this connection
    mutable std::mutex mapsMutex_;  // maps_: the notification threads read it
    keyboard::PositionMaps maps_ = keyboard::BuildPositionMaps({}, {}, 0);
    keyboard::KeyboardSystem system_;
    std::atomic<int> onboardProfile_{0};
    std::atomic<bool> reloadProfile_{false};  // 0x402 came: the next Resynchronise reloads the profile
    // Features of later versions say once that they do nothing yet.
    std::atomic<bool> audioTraced_{false};
    PowerReport powerReport_{};
    PowerSink powerSink_;

    std::unique_ptr<lighting::CLightControlUI> lightPanel_;
    CKeyboardLightingDevice lightingDevice_{*this};

    // Handed to the lighting thread.
    std::atomic<std::uint32_t> lightGeneration_{0};
    std::atomic<std::uint32_t> restartGeneration_{0};
    std::mutex keyEventsMutex_;
    std::array<KeyEvent, kMaxKeyEvents> keyEvents_{};
    std::size_t keyEventCount_ = 0;  // keyEventsMutex_
    std::atomic<bool> keyEventsWaiting_{false};
    std::mutex coloursMutex_;
    KeyColours stagedColours_{};
    std::atomic<std::uint32_t> coloursGeneration_{0};
    std::uint8_t appliedEffect_ = 0;  // UI thread

    // The lighting thread's own.
    keyboard::KeyboardEffectState effect_;
    std::uint8_t runningEffect_ = 0;
    lighting::LightOverlay overlay_;
    lighting::EffectListPlayer player_;
    keyboard::EffectRandom random_{std::random_device{}()};
    std::uint32_t paintedGeneration_ = ~std::uint32_t{0};
    std::uint32_t startedGeneration_ = ~std::uint32_t{0};
    std::uint32_t appliedListGeneration_ = ~std::uint32_t{0};
    std::uint32_t takenColours_ = ~std::uint32_t{0};

    CommandWorker worker_{[this](CommandWorker::Slot slot, protocol::Status status) { OnCommandDone(slot, status); }};
    std::unique_ptr<LightingThread> lightingThread_;  // last: stopped before the rest goes
};

}  // namespace vandrel::devices
