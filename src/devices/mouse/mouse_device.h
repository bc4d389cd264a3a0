// CMorvaneMouseDevice: a mouse, on the cable (device type 2) or behind its
// receiver (type 6), and the logic of its page.
//
// What it does:
//   - reads the mouse when it connects: the information block (sensor, DPI
//     step and range, key slots) and the key map, and finds the slot of each
//     of the eleven key positions (the slots learned at earlier connections
//     first, key_slot_memory.h);
//   - keeps the settings of the onboard profile (lighting, five DPI stages,
//     report rate, correction, screen size) in step with the profile document
//     and writes them as one settings record (WriteLightRecord);
//   - reads the record back when the mouse asks for it (Resynchronise), reads
//     the power state and the receiver link;
//   - runs the lighting thread with the mouse's LED groups and three effects
//     of its own (wave, reactive band, reactive flash);
//   - keeps the key assignments of the profile and writes them as the key
//     map, after the macros the keys run, on its command worker after every
//     profile switch and reset (IKeyMap);
//   - carries out the page's controls: every operation follows one order:
//     read the control, change the device's copy, store it in the profile,
//     save the profile, re-apply it, write the mouse when it keeps the setting.
//
// Failures: reads that fail leave what was read before (information block,
// key map, settings record, profile) untouched. A settings write that fails
// leaves the settings in the profile, returns the failing status and posts
// DeviceMessage::kSettingsWriteFailed to the main window once, until a write
// succeeds again; a write queued behind an upload returns ok and, when it
// fails later, is reported the same way from the worker.
//
// Threads: the UI thread calls everything public unless said otherwise. The
// command worker runs the key-map uploads. Nothing on the UI thread waits
// for an upload in progress (the sequence lock), and no frame of the UI
// thread falls between an upload's begin and end: a settings write made
// meanwhile goes to the worker and follows the upload (a later one replaces
// it while it waits); a read of the mouse (Connect, Resynchronise) is skipped
// and its timer armed again when the upload is over. The lighting thread runs
// RunLightingPass; the notification threads only set the record copy's
// profile and stage bytes and arm timer 1003, whose handler (OnTimer1003, UI
// thread) takes them in.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "devices/command_worker.h"
#include "devices/device_profiles.h"
#include "devices/key_map_upload.h"
#include "devices/keyed_device.h"
#include "devices/lighting_thread.h"
#include "devices/mouse/mouse_dpi.h"
#include "devices/mouse/mouse_light_adapter.h"
#include "devices/mouse/mouse_lighting.h"
#include "devices/mouse/mouse_record.h"
#include "devices/mouse/mouse_settings.h"
#include "devices/usb_device.h"
#include "lighting/engine.h"
#include "lighting/light_control.h"
#include "platform/tick_source.h"
#include "profiles/device_profile_ui.h"
#include "profiles/json_file_store.h"
#include "profiles/light_names.h"
#include "profiles/mouse_profile_data.h"
#include "protocol/commands.h"

namespace vandrel::devices {

// Notifications of the mouse's companion collection.
inline constexpr std::uint16_t kUsageClickFlash = 0x403;         // a click, for the reactive flash
inline constexpr std::uint8_t kUsageProfileChanged = 0x10;       // high byte: onboard profile in bits 0..3
inline constexpr std::uint8_t kUsageProfileStageChanged = 0x11;  // and the DPI stage in bits 4..7
// Timer 1003 takes a notified change in on the UI thread after this delay.
inline constexpr int kNotifiedChangeDelayMs = 10;

class CMorvaneMouseDevice : public CKeyedDevice,
                            public ILighting,
                            public IPower,
                            public IDpiStages,
                            public ISystemSettings,
                            public IProfiles {
public:
    static constexpr std::size_t kKeyMapCapacity = protocol::kMaxMemorySize;
    static constexpr std::size_t kKeySlotsByte = 5;
    static constexpr std::size_t kMacroUnitsByte = 18;  // macro memory, in units of 128 bytes
    static constexpr int kReactiveBandMode = 5;
    static constexpr int kReactiveFlashMode = 6;
    // The page section of the DPI and polling settings.
    static constexpr int kSystemCategory = 4;

    using InfoBlock = std::array<std::uint8_t, protocol::kInfoBlockSize>;
    using KeyMapBytes = std::array<std::uint8_t, kKeyMapCapacity>;
    // The desktop's pointer settings, re-applied after a system setting changed.
    using SystemSink = std::function<void(const mouse::MouseSystemSettings&)>;

    CMorvaneMouseDevice();
    // `ticks` paces the lighting thread (the monotonic clock when null) and
    // must outlive the device.
    explicit CMorvaneMouseDevice(platform::IHidBackend& backend, platform::ITickSource* ticks = nullptr);
    ~CMorvaneMouseDevice() override;

    // --- The base's operations ------------------------------------------------
    // Reads the device, loads the profile, refreshes the page, restarts lighting.
    void Connect() override;
    // Wakes the lighting thread, which parks while the transport is closed,
    // and has the stream send the colours again.
    void OnTransportReopened() override;
    // Reads the settings record of the active onboard profile into the running
    // lighting and the profile, then refreshes the page. Returns at once while
    // the transport is closed; a failed read changes nothing.
    void Resynchronise() override;
    // Takes in what a notification reported (onboard profile, DPI stage).
    void OnTimer1003() override;
    // Power block (6 bytes at offset 0, command 0x1A) to the power sink, and
    // message 3329 with byte 4; skipped while held, closed or unreachable.
    void ReadPowerState() override;
    void SetPowerSink(PowerSink sink) override { powerSink_ = std::move(sink); }
    // Reachable when the transport is open and the mouse answers: on the cable always,
    // on the receiver when the link query says it is reachable.
    protocol::LinkState CheckLink() override;
    int ApplyProfileLighting();
    void PaintPreviews() override;
    void LoadProfile() override;
    void RefreshPage() override;
    // The template into the current profile (name and identifier stay).
    void LoadDefaultProfile() override;
    void LoadLightConfiguration();
    void SetProfilePaths() override;
    std::string GetProfilePath() const override { return profile_.GetProfilePath(); }
    void SaveProfile() override;
    void ShowPageSection(int category) override;
    void SetLightNameIndex(int index) override;
    void SetLighting(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3) override;
    // The record of onboard profile 0 with bytes 0 and 59 = 0 and 1 and the
    // screen size given by SetScreenSize.
    protocol::Status WriteLightRecord();
    // Builds the record from the profile and writes its 66 bytes at
    // onboardProfile x 128 between commands 0x01 and 0x02. On the receiver an
    // unreachable mouse stops it before anything is sent (status 0).
    protocol::Status WriteLightRecord(int onboardProfile, int byte0, int byte59, int screenWidth, int screenHeight);

    // --- Lighting ---------------------------------------------------------------
    void StepBreathing();
    void StepFourColourBreathing();
    void StepStatic();
    void StepColourCycle();
    void StepFlashing();
    void StepFourColourFlashing();
    void StepAllOff();
    virtual void StepWave();
    virtual void StepReactiveBand();
    // On the mouse, the reactive flash.
    virtual void StepReactiveSpread();
    // One pass of the lighting thread: takes in the running settings, runs the
    // mode's step (or the custom light list), then the per-LED overlay. Only
    // while the lighting thread is not running (Connect starts it).
    void RunLightingPass();
    void SetLightingPaused(bool paused);

    // --- Operations -----------------------------------------------------------------
    // Each returns the status of the settings write it caused, or ok when the
    // change needed none (refused by the stage rules, an index out of range).
    void SetScreenSize(int width, int height);
    DeviceStatus SetDpiStage(int stage, int resolution) override;
    DeviceStatus SetDpiStagePosition(int stage, int position) override;
    void PreviewDpiStagePosition(int stage, int position) override;
    DeviceStatus EnableDpiStage(int stage, bool enabled) override;
    DeviceStatus SelectDpiStage(int stage) override;
    // The colour picked for stage n (0xAARRGGBB).
    DeviceStatus SetDpiStageColour(int stage, std::uint32_t argb) override;
    DeviceStatus SetReportRate(int option) override;
    // The system settings live in the profile and the desktop (SystemSink);
    // the mouse does not keep them.
    // The keyboard's settings are not the mouse's: they change nothing.
    DeviceStatus SetSystemValue(SystemSetting setting, int value) override;
    // "default_btn" once confirmed: LoadDefaultProfile, then write.
    DeviceStatus ResetToDefaults() override;
    // The running lighting becomes `info`: stored, saved, applied, written.
    DeviceStatus SetLighting(const profiles::LightInfo& info) override;
    std::vector<profiles::ProfileEntry> Profiles() override;
    std::string AddProfile() override;
    // The profile becomes the list's selected one: loaded, shown, written.
    std::optional<DeviceStatus> SelectProfile(const std::string& profileId) override;
    // "device_reset_btn" once confirmed: the selected profile back to the
    // template, loaded, shown and written.
    DeviceStatus ResetProfile() override;

    // --- Key map ------------------------------------------------------------------
    // One entry per key position (the eleven of the picture), from the
    // profile at every load.
    std::vector<profiles::KeyCode> FactoryCodes() const override;
    std::vector<std::uint8_t> UsedMacros() override;
    // The key map read at connect with each position's code in its key slot,
    // after the macros; nothing is queued (the end is posted at once) when
    // no key map was read since the mouse connected.
    void UploadMacrosAndKeyMap() override;
    // On the receiver a link query first and before each step; then the
    // information block for the macro memory's size, and the image between
    // commands 0x01 and 0x02.
    int UploadMacros(std::span<const std::uint8_t> used) override;
    bool Uploading() const override { return worker_.Pending(CommandWorker::Slot::KeyMap); }
    bool KeyMapRead() const { return keyMapRead_; }
    // True when no command waits or runs on the worker.
    bool CommandsIdle() const { return worker_.Idle(); }

    // --- Panels and sinks -------------------------------------------------------
    lighting::CLightControlUI* LightPanel() override { return lightPanel_.get(); }
    profiles::CDeviceProfileUI* ProfilePanel() override { return profiles_.Panel(); }
    lighting::ILightingDevice& LightingDevice() override { return lightingDevice_; }
    void SetSystemSink(SystemSink sink) { systemSink_ = std::move(sink); }

    // --- State ------------------------------------------------------------------
    const InfoBlock& Info() const { return info_; }
    mouse::SensorRules Sensor() const { return mouse::SensorRulesFromInfo(info_); }
    const KeyMapBytes& KeyMap() const { return keyMap_; }
    // The key slot of a position of the picture, or mouse::kNoSlot.
    std::uint8_t PositionSlot(std::size_t position) const;
    mouse::SettingsRecord RecordCopy() const;
    int ActiveOnboardProfile() const { return RecordCopy()[mouse::record::kProfile]; }
    const std::vector<profiles::DpiStage>& Stages() const { return stages_; }
    int ActiveStage() const { return activeStage_; }
    const mouse::MouseSystemSettings& System() const { return system_; }
    const profiles::LightNames& LightNames() const { return names_; }
    // The status of the last settings write that was sent or refused, on
    // the UI thread or, queued behind an upload, on the worker.
    protocol::Status LastWriteStatus() const { return lastWriteStatus_.load(); }
    const PowerReport& LastPowerReport() const { return powerReport_; }
    const std::string* SecondRowPreview(std::size_t led) const;
    const std::string* LogoPreview() const { return logo_ ? &*logo_ : nullptr; }

protected:
    void SetUpPage() override;
    profiles::CBasicProfiledata& KeyProfile() override { return profile_; }
    DeviceProfiles& ProfileList() override { return profiles_; }
    void OnNotification(std::uint16_t usage) override;

private:
    struct WriteOutcome {
        protocol::Status status;
        bool sent;  // false: closed or unreachable before anything was sent
    };

    protocol::Status ReadDevice();
    protocol::Status ReadSettingsRecord();
    // The caller has the sequence lock.
    WriteOutcome SendSettingsRecord(const mouse::SettingsRecord& record, int onboardProfile);
    // On the worker, after what it runs now (an upload); it replaces a record
    // still waiting there.
    void QueueSettingsRecord(const mouse::SettingsRecord& record, int onboardProfile);
    // Any thread.
    void NoteWrite(const WriteOutcome& outcome);
    // On the worker's thread, after each of its jobs.
    void OnCommandDone(CommandWorker::Slot slot, protocol::Status status);
    // Key map upload.
    std::vector<SlottedKey> SlottedKeyList() const;
    // UploadMacros; with `keyMapLength`, a mouse whose key map is of another
    // length than that (not the mouse read) is refused before anything is sent.
    int UploadMacros(std::span<const std::uint8_t> used, std::optional<std::size_t> keyMapLength);
    void PostUploadEnd(protocol::Status status);
    DeviceStatus RunProfile();
    // The running lighting becomes `next`; a new mode restarts the reactive
    // buffers with one mark on the ring.
    void ApplyRunningLight(const profiles::LightInfo& next);
    void LightingChanged();
    void ReadProfileSettings();
    void BindSecondRow(platform::IPageView& page);
    void SetUpPanels(platform::IPageView& page);
    void ShowModeList();

    // Page operations' shared steps.
    bool ValidStage(int stage) const;
    void ShowStagePosition(int stage, int position);
    int SliderPosition(int value) const;
    void SetStagePosition(int stage, int position);
    protocol::Status StoreStages();
    void ShowStages();

    // Lighting thread.
    std::optional<std::uint32_t> NextStepTicks();

    std::unique_ptr<platform::ITickSource> ownTicks_;
    platform::ITickSource& ticks_;
    profiles::CMouseProfiledata profile_;
    profiles::LightNames names_;

    InfoBlock info_{};
    bool infoRead_ = false;
    KeyMapBytes keyMap_{};
    bool keyMapRead_ = false;  // since this connection
    std::vector<std::uint8_t> positionSlots_ = std::vector<std::uint8_t>(mouse::kKeyPositions, mouse::kNoSlot);
    mutable std::mutex recordMutex_;
    mouse::SettingsRecord record_{};
    std::atomic<int> notifiedStage_{-1};

    std::vector<profiles::DpiStage> stages_ = std::vector<profiles::DpiStage>(mouse::kStageCount);
    int activeStage_ = 0;
    mouse::MouseSystemSettings system_;
    std::vector<profiles::Correction> corrections_;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    std::atomic<protocol::Status> lastWriteStatus_{protocol::Status::Ok};
    PowerReport powerReport_{};
    PowerSink powerSink_;
    SystemSink systemSink_;

    std::vector<std::optional<std::string>> secondRow_;
    std::optional<std::string> logo_;
    DeviceProfiles profiles_;
    std::unique_ptr<lighting::CLightControlUI> lightPanel_;
    CMouseLightingDevice lightingDevice_{*this};

    std::uint8_t appliedMode_ = 0;  // UI thread
    std::atomic<std::uint32_t> lightGeneration_{0};
    std::atomic<bool> flashRequested_{false};

    // The lighting thread's own.
    lighting::EngineState engine_;
    mouse::ReactiveFlash flash_;
    std::minstd_rand random_{std::random_device{}()};
    std::uint32_t paintedGeneration_ = ~std::uint32_t{0};
    std::uint32_t appliedListGeneration_ = ~std::uint32_t{0};

    CommandWorker worker_{[this](CommandWorker::Slot slot, protocol::Status status) { OnCommandDone(slot, status); }};
    std::unique_ptr<LightingThread> lightingThread_;  // last: stopped before the rest goes
};

}  // namespace vandrel::devices
