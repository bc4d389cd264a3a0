// What only some kinds of device have, as interfaces a kind offers or not.
// The window, the dispatch and the option timers ask a device for a
// capability (device.Capability<ISystemSettings>()) and do nothing when it
// has none; nobody casts a device to its kind.
//
// Every operation takes its values and acts on the device it is called on:
// whoever calls it (a page handler that read the widgets, a script, a test)
// drives the device the same way, with or without a page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lighting/light_control.h"
#include "profiles/device_profile_ui.h"
#include "profiles/profile_list.h"
#include "profiles/profile_records.h"
#include "protocol/status.h"

namespace vandrel::devices {

class KeyPanels;

// The status of the device write an operation caused; Status::Ok when it
// needed none or was refused by the device's own rules (an index out of
// range, a stage that must stay on).
using DeviceStatus = protocol::Status;

enum class CapabilityKind : std::size_t {
    Lighting,
    KeyMap,
    Power,
    DpiStages,
    SystemSettings,
    Audio,
    Profiles,
    KeyColours,
};
inline constexpr std::size_t kCapabilityKindCount = 8;

// For the trace: "lighting", "key map" ...
std::string_view CapabilityName(CapabilityKind kind);

// The running lighting, driven by values or by the page's lighting panel.
class ILighting {
public:
    static constexpr CapabilityKind kKind = CapabilityKind::Lighting;
    virtual ~ILighting() = default;

    // The device as the lighting panel drives it.
    virtual lighting::ILightingDevice& LightingDevice() = 0;
    // The page's lighting panel; nullptr before the page is attached or when
    // the page has none.
    virtual lighting::CLightControlUI* LightPanel() = 0;
    // The running lighting becomes `info`: kept in the profile, saved,
    // applied, and written to a device that keeps its lighting.
    virtual DeviceStatus SetLighting(const profiles::LightInfo& info) = 0;
};

// The key assignments of a device whose keys can be given other functions
// (the mouse and the keyboard), and the macros those keys run.
//
// An upload sends the macros the keys run first and the key map, which names
// each macro by its place in the same list (UsedMacros), only once they are
// on the device. It runs on the device's command worker, one at a time; the
// window learns its outcome from DeviceMessage::kMacrosRefused (the macros
// did not go out) and DeviceMessage::kKeyMapUploaded (the upload ended).
class IKeyMap {
public:
    static constexpr CapabilityKind kKind = CapabilityKind::KeyMap;
    virtual ~IKeyMap() = default;

    // The running profile's assignments, entry i for key position i.
    virtual const std::vector<profiles::KeyEntry>& KeyList() const = 0;
    // Each key position's code as the device left the factory.
    virtual std::vector<profiles::KeyCode> FactoryCodes() const = 0;
    // The position's entry becomes `entry`, in the device's list and in the
    // profile in memory: neither saved nor written to the device. A position
    // the device does not have changes nothing.
    virtual void SetKeyAssignment(int position, const profiles::KeyEntry& entry) = 0;
    // The key the assignment panel works on; -1 until one is selected.
    virtual void SelectKey(int position) = 0;
    virtual int SelectedKey() const = 0;

    // The macros run by the keys whose position has a key slot, each once,
    // in order of first use: the macros sent, and the numbering of the key map.
    virtual std::vector<std::uint8_t> UsedMacros() = 0;
    // UsedMacros, UploadMacros and, when that gave 0, the key map, queued on
    // the device's command worker (an upload still waiting is replaced).
    virtual void UploadMacrosAndKeyMap() = 0;
    // Sends the image of the `used` macros now, on the calling thread: 0 sent
    // or nothing to send, -1 the device was not reached or did not take it,
    // n > 0 the image is n event records too large (nothing sent).
    virtual int UploadMacros(std::span<const std::uint8_t> used) = 0;
    // Keys on a macro the macro list no longer has run their default again.
    virtual void RepairMacroKeys() = 0;
    // True while an upload waits or runs.
    virtual bool Uploading() const = 0;

    // The page's key-assignment and macro panels; nullptr before the page is
    // attached or when it has none.
    virtual KeyPanels* Panels() = 0;
    // The key labels of the page from the key list.
    virtual void RefreshKeyLabels() = 0;
    // Deletes the macro the macro panel selects once `ask` said yes to each
    // question: keys on it, in every profile, run their default again and keys
    // on later macros follow their macro down the list; when the running key
    // list changed, the profile is saved and macros and key map are uploaded.
    // The macro deleted, -1 when none was.
    virtual int DeleteSelectedMacro(const std::function<bool(std::string_view textId)>& ask) = 0;
};

// The battery and charging state of a wireless device.
class IPower {
public:
    static constexpr CapabilityKind kKind = CapabilityKind::Power;
    // The bytes of each power-state read, for the power panel.
    using PowerSink = std::function<void(std::span<const std::uint8_t>)>;
    virtual ~IPower() = default;

    virtual void ReadPowerState() = 0;
    virtual void SetPowerSink(PowerSink sink) = 0;
};

// The resolution stages of a mouse's sensor.
class IDpiStages {
public:
    static constexpr CapabilityKind kKind = CapabilityKind::DpiStages;
    virtual ~IDpiStages() = default;

    // A typed resolution, clamped to the sensor's range, becomes the nearest
    // position of the stage.
    virtual DeviceStatus SetDpiStage(int stage, int resolution) = 0;
    // A slider position becomes the stage's.
    virtual DeviceStatus SetDpiStagePosition(int stage, int position) = 0;
    // While a slider moves: the stage shows the position's resolution and
    // keeps it, without storing or writing it.
    virtual void PreviewDpiStagePosition(int stage, int position) = 0;
    // The last stage on stays on; switching off the active stage makes the
    // next one on active.
    virtual DeviceStatus EnableDpiStage(int stage, bool enabled) = 0;
    // A stage that is off is not taken.
    virtual DeviceStatus SelectDpiStage(int stage) = 0;
    virtual DeviceStatus SetDpiStageColour(int stage, std::uint32_t argb) = 0;
};

// The settings a device keeps in its profile beside its lighting: the
// pointer's (applied to the desktop, not kept by the mouse) and the
// keyboard's (key repeat shown on the page; the flags go to the keyboard).
enum class SystemSetting {
    PointerSpeed,
    WheelLines,
    DoubleClickTime,
    PointerPrecision,
    ScrollPage,
    KeyRepeatRate,
    KeyRepeatDelay,  // 0..3: 250, 500, 750, 1000 ms
    WindowsKeyLock,
    ArrowKeysOnWasd,
    SixKeyMode,
};

// Report rate and the settings above.
class ISystemSettings {
public:
    static constexpr CapabilityKind kKind = CapabilityKind::SystemSettings;
    virtual ~ISystemSettings() = default;

    virtual DeviceStatus SetReportRate(int option) = 0;
    // Checks take 1 or 0. A setting the device does not have changes nothing.
    virtual DeviceStatus SetSystemValue(SystemSetting setting, int value) = 0;
};

// Sound-driven lighting of the computer's audio.
class IAudio {
public:
    static constexpr CapabilityKind kKind = CapabilityKind::Audio;
    virtual ~IAudio() = default;

    virtual void SetAudioLevels(std::span<const std::uint8_t> levels) = 0;
    virtual void SetAudioLighting(int style, int background, int foreground) = 0;
    virtual std::array<int, 3> GetAudioLighting() const = 0;
};

// The device's named profiles and the settings it runs from them.
class IProfiles {
public:
    static constexpr CapabilityKind kKind = CapabilityKind::Profiles;
    virtual ~IProfiles() = default;

    // The page's profile panel; nullptr before the page is attached or when
    // the page has none.
    virtual profiles::CDeviceProfileUI* ProfilePanel() = 0;
    // The profiles of the device's list, in order.
    virtual std::vector<profiles::ProfileEntry> Profiles() = 0;
    // A new profile from the template, selected in the list (not yet run);
    // its identifier, or "" when it could not be written.
    virtual std::string AddProfile() = 0;
    // The profile becomes the one the list selects and the device runs:
    // loaded, shown and written. Nothing for an identifier the list does not
    // have.
    virtual std::optional<DeviceStatus> SelectProfile(const std::string& profileId) = 0;
    // The selected profile back to the template, loaded, shown and written;
    // WriteFailed when its file could not be written.
    virtual DeviceStatus ResetProfile() = 0;
    // The template's settings into the current profile (its name and
    // identifier stay), then written.
    virtual DeviceStatus ResetToDefaults() = 0;
};

// The per-key colours of a keyboard's colour groups, which it shows in its
// per-key effect. Outside that effect nothing changes.
class IKeyColours {
public:
    static constexpr CapabilityKind kKind = CapabilityKind::KeyColours;
    virtual ~IKeyColours() = default;

    // The keys at these positions take the lighting colour: stored in the
    // profile, shown, and the group's page written once.
    virtual DeviceStatus PaintKeys(std::span<const int> positions) = 0;
    // Every key of the group lit in the lighting colour, or dark.
    virtual DeviceStatus FillColourGroup(bool lit) = 0;
};

}  // namespace vandrel::devices
