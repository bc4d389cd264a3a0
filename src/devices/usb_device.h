// CMorvaneUSBDevice: one physical device for the whole run of the program,
// and the logic of its page. The base of the four device kinds: it owns the
// two transports (vendor collection, companion collection), the per-LED
// colour buffer with its stream, the reactive buffers, the running lighting
// state and the identity, and declares the operations through which the main
// window, the option button's timers and the device's threads drive a device.
// The kinds override what they do differently.
//
// Threads: the UI thread calls everything unless said otherwise. The LED
// streamer and the notification threads are workers of the device; a derived
// class calls Shutdown() first in its destructor, so that no worker calls one
// of its overrides while it is being destroyed.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device_io/device_tables.h"
#include "device_io/supported_devices.h"
#include "devices/capabilities.h"
#include "devices/device_host.h"
#include "devices/led_streamer.h"
#include "devices/notification_thread.h"
#include "lighting/effect_list_player.h"
#include "lighting/led_color.h"
#include "lighting/light_overlay.h"
#include "platform/hid_backend.h"
#include "platform/page_view.h"
#include "profiles/basic_profile_data.h"
#include "profiles/profile_records.h"
#include "protocol/device_transport.h"

namespace vandrel::devices {

inline constexpr std::size_t kReactiveLevels = 170;
inline constexpr std::size_t kReactiveRingSize = 23;
inline constexpr std::size_t kLedScratchSize = 14;
inline constexpr std::uint32_t kPreviewWhite = 0xFFFFFFFF;
// The power block of a wireless device: battery level, charging state ...
inline constexpr std::size_t kPowerReportSize = 6;
using PowerReport = std::array<std::uint8_t, kPowerReportSize>;
// The previews on screen follow the LEDs at most about 30 times a second,
// and only when a colour changed; the stream follows every change.
inline constexpr std::chrono::milliseconds kPreviewPaintInterval{33};
// Page sections selected by the key-function category.
inline constexpr std::string_view kFunctionSwitch = "device_function_switch";
inline constexpr std::string_view kKeyFunctionSwitch = "device_key_function_switch";
// Attach looks for the "SelectPanel" among the children of the page's root,
// which the page view addresses by this name.
inline constexpr std::string_view kPageRoot = "";

// The pages of the two switches for a category on a device type; nothing
// leaves that switch unchanged.
struct PageSection {
    int functionPage = 0;
    std::optional<int> keyFunctionPage;
};
PageSection PageSectionFor(int category, device_io::DeviceType deviceType);

// "key_3" -> {"key_", 3}; nothing when the text does not end in "_" and a
// decimal number.
struct IndexedName {
    std::string prefix;
    int number = 0;
};
std::optional<IndexedName> SplitIndexedName(std::string_view text);

// Every control of the page whose class is `className`, in layout order.
std::vector<std::string> FindByClass(const platform::IPageView& page, std::string_view className);

class CMorvaneUSBDevice {
public:
    CMorvaneUSBDevice();
    explicit CMorvaneUSBDevice(platform::IHidBackend& backend);
    virtual ~CMorvaneUSBDevice();
    CMorvaneUSBDevice(const CMorvaneUSBDevice&) = delete;
    CMorvaneUSBDevice& operator=(const CMorvaneUSBDevice&) = delete;

    // --- Capabilities ---------------------------------------------------------
    // What this device offers of what only some kinds have; nullptr when it
    // has none.
    template <class C>
    C* Capability() {
        return static_cast<C*>(capabilities_[static_cast<std::size_t>(C::kKind)]);
    }
    template <class C>
    const C* Capability() const {
        return static_cast<const C*>(capabilities_[static_cast<std::size_t>(C::kKind)]);
    }

    // --- Set up by the device manager -------------------------------------
    void SetPageLayoutName(std::string name) { pageLayoutName_ = std::move(name); }
    const std::string& PageLayoutName() const { return pageLayoutName_; }
    // Set before the companion channels open; the notification threads use it.
    void SetHost(IDeviceHost* host) { host_.store(host); }
    IDeviceHost* Host() const { return host_.load(); }
    void SetKeyCount(std::size_t count);
    std::size_t KeyCount() const { return keyButtons_.size(); }
    // At most 170; resizes the previews, the colour buffer and the scratch,
    // and zeroes the scratch and the preview bindings.
    void SetLedCount(std::size_t count);
    std::size_t LedCount() const { return leds_.Size(); }
    void SetKindRow(device_io::KindRow row) { kindRow_ = row; }
    device_io::KindRow KindRow() const { return kindRow_; }
    void SetPowerManaged(bool managed) { powerManaged_ = managed; }
    bool PowerManaged() const { return powerManaged_; }
    void SetLogoLedIndex(int index) { logoLedIndex_ = index; }
    int LogoLedIndex() const { return logoLedIndex_; }
    void SetProfileName(std::string name) { profileName_ = std::move(name); }
    const std::string& ProfileName() const { return profileName_; }
    void SetKindName(std::string name) { kindName_ = std::move(name); }
    const std::string& KindName() const { return kindName_; }
    void SetLightConfigName(std::string name) { lightConfigName_ = std::move(name); }
    const std::string& LightConfigName() const { return lightConfigName_; }
    void SetSelectionIndex(int index) { selectionIndex_ = index; }
    int SelectionIndex() const { return selectionIndex_; }
    // Also sets the device type and role.
    void SetIdentity(const device_io::DeviceIdentity& identity);
    const device_io::DeviceIdentity& Identity() const { return identity_; }
    device_io::DeviceType DeviceType() const { return deviceType_.load(); }
    device_io::DeviceRole DeviceRole() const { return deviceRole_.load(); }

    protocol::CDeviceTransport& Transport() { return vendor_; }
    protocol::CDeviceTransport& CompanionTransport() { return companion_; }
    bool IsWireless() const { return vendor_.IsWireless(); }

    // Opens the wired or wireless companion channel and starts its
    // notification thread; false when the path does not open.
    bool OpenCompanion(const std::string& path, bool wireless);
    // Stops that thread (closing the channel releases its read).
    void CloseCompanion(bool wireless);

    // --- Flags ------------------------------------------------------------
    // On a cable keyboard, switching host lighting on sends command 0x1C.
    // Switching it off stops the LED stream at once.
    void SetHostLighting(bool enabled);
    bool HostLighting() const { return hostLighting_.load(); }
    // The previews are painted only while live preview is on (the main window
    // keeps it on for the device whose page is shown) and the window is not
    // hidden; turning either way back paints them once.
    void SetLivePreview(bool enabled);
    bool LivePreview() const { return livePreview_.load(); }
    // The main window hidden (in the tray, minimised) or shown again. While
    // hidden nothing is painted and the power state is not read (hold).
    void SetWindowHidden(bool hidden);
    bool WindowHidden() const { return windowHidden_.load(); }
    void SetWindowActive(bool active) { windowActive_.store(active); }
    bool WindowActive() const { return windowActive_.load(); }
    void SetHold(bool hold) { hold_ = hold && powerManaged_; }
    // Held by the window, or while an upload has the device (UploadHold).
    bool Hold() const { return hold_ || uploadHold_.load(); }

    // --- Operations ---------------------------------------------------------
    // Binds the page's key buttons and LED previews, then runs SetUpPage.
    virtual void Attach(platform::IPageView& page);
    // Timer 1000: paints the visible previews (PaintPreviews). It is armed
    // when a colour changed (LedsMayHaveChanged), at most once each
    // kPreviewPaintInterval, and never while nobody sees the previews.
    virtual void RefreshPreview();
    // The page's LED previews in the buffer's colours.
    virtual void PaintPreviews();
    // Byte 0 red, 1 green, 2 blue, 3 brightness; bad indexes are ignored or read 0.
    void SetLedColour(int index, std::uint32_t colour);
    std::uint32_t GetLedColour(int index) const;
    virtual void Connect() {}
    // The transport is open again after a move between cable and receiver:
    // a worker that stopped while it was closed takes up its work again.
    // The stream sends the current colours again.
    virtual void OnTransportReopened();
    virtual void Resynchronise() {}
    virtual void OnTimer1003() {}
    virtual void OnTimer1004() {}
    virtual protocol::LinkState CheckLink() { return protocol::LinkState::Reachable; }
    virtual void LoadProfile() {}
    virtual void RefreshPage() {}
    virtual void LoadDefaultProfile() {}
    // Reactive lighting over the device's levels and ring, with the lighting
    // engine's fading profiles (0, 29, other). Out-of-range indexes are ignored.
    void DecayLevel(int index, int mode);
    void LightMarkedLevels();                     // ring positions 0..8
    void RotateRing(bool up);                     // up: towards the end, byte 22 comes round to 0
    void RotateRing(bool up, std::size_t count);  // the first `count` bytes only (mouse pad)
    void ClearReactive();
    virtual void ShowPageSection(int category);
    int GetPageSection() const { return keyFunctionCategory_; }
    virtual void SetProfilePaths() {}
    virtual std::string GetProfilePath() const { return {}; }
    virtual void SaveProfile() {}
    virtual void SetLightNameIndex(int index) { lightNameIndex_ = index; }
    int GetLightNameIndex() const { return lightNameIndex_; }
    virtual void SetLighting(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3);
    profiles::LightWords GetLighting() const;

    // --- State for the kinds and the engine ---------------------------------
    lighting::LedBuffer& Leds() { return leds_; }
    const lighting::LedBuffer& Leds() const { return leds_; }
    profiles::LightInfo RunningLight() const;
    std::array<std::atomic<std::uint8_t>, kReactiveLevels>& ReactiveLevels() { return reactiveLevels_; }
    std::array<std::atomic<std::uint8_t>, kReactiveLevels>& ReactiveHues() { return reactiveHues_; }
    std::array<std::atomic<std::uint8_t>, kReactiveRingSize>& ReactiveRing() { return reactiveRing_; }
    // The two lighting-data locks: one guards the effect steps of the custom
    // light list, the other its per-LED light list.
    std::mutex& LightStepsLock() { return lightStepsLock_; }
    std::mutex& LedListLock() { return ledListLock_; }
    // The profile's light lists (its light configuration loaded first)
    // become the device's: the per-key overlay and the light-effect list.
    void TakeLightLists(profiles::CBasicProfiledata& profile);
    bool HasLightList() const { return hasLightList_.load(); }
    // Grows by one each time the lists are taken.
    std::uint32_t LightListGeneration() const { return listGeneration_.load(); }
    // For the lighting thread: one step of the light-effect list, the
    // per-key overlay over the LEDs.
    void PlayEffectList(lighting::EffectListPlayer& player, std::uint8_t speed, std::uint64_t now);
    void ApplyOverlay(lighting::LightOverlay& overlay, std::uint64_t now);
    const std::string* KeyButton(std::size_t index) const;
    const std::string* LedPreview(std::size_t index) const;

protected:
    // A kind offers a capability from its constructor on.
    template <class C>
    void Offer(C& capability) {
        capabilities_[static_cast<std::size_t>(C::kKind)] = &capability;
    }
    // The kind's own page set-up, run at the end of Attach.
    virtual void SetUpPage() {}
    // A kind that plays its lighting in its own firmware (the keyboard) keeps
    // its LED buffer for the previews: nothing is streamed to it.
    void KeepLedsOnScreen() { streamed_.store(false); }
    // Timer 1002 (Resynchronise), after the delay of the device's type.
    void ArmResync();
    // The power block (6 bytes at offset 0, command 0x1A) with byte 3 set
    // to the link (1 receiver, 0 cable), given to `sink`, and message 3329
    // with byte 4; nothing while held, closed or unreachable.
    std::optional<PowerReport> ReadPowerReport(const IPower::PowerSink& sink);

    // The device's command sequences (begin ... end) from different threads
    // take turns under this lock; a power read does not wait for it but is
    // skipped while a sequence has it.
    std::mutex& SequenceLock() { return sequenceLock_; }
    // The reads of the UI thread never wait for a sequence of the command
    // worker (an upload): TrySequence has the lock only when it is free, and
    // otherwise the read is owed. A job of the worker ends with
    // ArmOwedReads (on the worker's thread), which arms the owed reads' timers:
    // they run again on the UI thread once the job's sequence is over.
    enum class OwedRead : std::uint8_t {
        kResync = 1,   // timer 1002, Resynchronise
        kConnect = 2,  // timer 1001, the first synchronisation (Connect)
    };
    std::unique_lock<std::mutex> TrySequence(OwedRead read);
    void ArmOwedReads();
    // While it lives, the device is held for an upload: it has the sequence
    // lock and Hold() is true.
    class UploadHold {
    public:
        explicit UploadHold(CMorvaneUSBDevice& device) : device_(device), lock_(device.sequenceLock_) {
            device_.uploadHold_.store(true);
        }
        ~UploadHold() { device_.uploadHold_.store(false); }
        UploadHold(const UploadHold&) = delete;
        UploadHold& operator=(const UploadHold&) = delete;

    private:
        CMorvaneUSBDevice& device_;
        std::lock_guard<std::mutex> lock_;
    };

    // A usage other than 0x401 from a companion channel, on that channel's
    // notification thread.
    virtual void OnNotification(std::uint16_t /*usage*/) {}
    // Stops the workers; derived destructors call it first.
    void Shutdown();

    platform::IPageView* Page() const { return page_; }
    // After a lighting step or a colour change (any thread): when a colour
    // changed, the stream is woken and a preview paint is scheduled.
    void LedsMayHaveChanged();
    // The outcome of a settings write (any thread): a failure traces
    // `what` and posts DeviceMessage::kSettingsWriteFailed to the main
    // window once, until a write succeeds again.
    void NoteSettingsWrite(protocol::Status status, std::string_view what);
    // The stream sends the current colours even if the device had them (a
    // reconnect, a new start of the lighting).
    void RestartStream() { streamer_->Resend(); }
    std::vector<std::array<std::uint8_t, kLedScratchSize>>& LedScratch() { return ledScratch_; }

    // Running effect counters, shared with the lighting thread.
    std::atomic<std::uint8_t> effectStep_{0};
    std::atomic<std::uint8_t> colourIndex_{0};
    std::atomic<std::uint8_t> blinkPhase_{0};
    std::atomic<std::uint64_t> lastBlinkTick_{0};

private:
    std::optional<LightFrame> CurrentFrame() const;
    void SchedulePreviewPaint();
    bool PreviewsSeen() const { return page_ != nullptr && livePreview_.load() && !windowHidden_.load(); }
    void HandleNotification(std::uint16_t usage);
    NotificationThread& NotifierOf(bool wireless) { return wireless ? *wirelessNotifier_ : *wiredNotifier_; }

    protocol::CDeviceTransport vendor_;
    protocol::CDeviceTransport companion_;
    std::array<void*, kCapabilityKindCount> capabilities_{};

    std::string pageLayoutName_;
    std::string profileName_;
    std::string lightConfigName_;
    std::string kindName_;

    std::vector<std::optional<std::string>> keyButtons_;
    std::vector<std::optional<std::string>> ledPreviews_;
    lighting::LedBuffer leds_;
    std::vector<std::array<std::uint8_t, kLedScratchSize>> ledScratch_;

    std::mutex lightStepsLock_;
    std::mutex ledListLock_;
    std::vector<profiles::EffectStep> effectSteps_;    // lightStepsLock_
    std::vector<profiles::LightListEntry> lightList_;  // ledListLock_
    std::atomic<bool> hasLightList_{false};
    std::atomic<std::uint32_t> listGeneration_{0};
    std::atomic<bool> writeFailureReported_{false};
    mutable std::mutex lightMutex_;  // the running LightInfo
    profiles::LightInfo light_;

    std::array<std::atomic<std::uint8_t>, kReactiveLevels> reactiveLevels_{};
    std::array<std::atomic<std::uint8_t>, kReactiveLevels> reactiveHues_{};
    std::array<std::atomic<std::uint8_t>, kReactiveRingSize> reactiveRing_{};

    device_io::DeviceIdentity identity_;
    std::atomic<device_io::DeviceType> deviceType_{};
    std::atomic<device_io::DeviceRole> deviceRole_{};

    std::atomic<IDeviceHost*> host_{nullptr};
    platform::IPageView* page_ = nullptr;

    std::atomic<bool> hostLighting_{true};
    std::atomic<bool> streamed_{true};
    std::atomic<bool> livePreview_{true};
    std::atomic<bool> windowHidden_{false};
    std::atomic<bool> windowActive_{false};
    std::atomic<bool> previewArmed_{false};            // timer 1000 is on its way
    std::atomic<std::uint64_t> notifiedVersion_{0};    // LED buffer version last passed on
    std::atomic<std::int64_t> lastPreviewPaintMs_{0};  // steady clock
    bool powerManaged_ = false;
    bool hold_ = false;
    std::atomic<bool> uploadHold_{false};
    std::mutex sequenceLock_;
    std::atomic<std::uint8_t> owedReads_{0};  // OwedRead bits
    device_io::KindRow kindRow_ = device_io::KindRow::Mouse;
    int lightNameIndex_ = 0;
    int logoLedIndex_ = -1;
    int selectionIndex_ = -1;
    int keyFunctionCategory_ = 1;

    std::unique_ptr<NotificationThread> wiredNotifier_;
    std::unique_ptr<NotificationThread> wirelessNotifier_;
    std::unique_ptr<LedStreamer> streamer_;
};

// Reads the power state of a device that has one.
inline void ReadPowerStateOf(CMorvaneUSBDevice& device) {
    if (auto* power = device.Capability<IPower>()) power->ReadPowerState();
}

}  // namespace vandrel::devices
