// CMorvaneKeyboardDevice's lighting: the running lighting, the colour groups
// of the per-key effect, and the lighting thread that plays the effects on
// the page's keys.
#include <algorithm>

#include "devices/keyboard/keyboard_device.h"
#include "lighting/engine_tables.h"
#include "platform/trace.h"

namespace vandrel::devices {
namespace {

using keyboard::EffectActivity;

// The light-effect list steps at every pass.
constexpr std::uint32_t kLightListTicks = 1;
constexpr std::uint8_t kOpaque = 255;
constexpr std::uint8_t kAudioEffect = 29;

}  // namespace

// --- Running lighting -------------------------------------------------------------

void CMorvaneKeyboardDevice::SetLighting(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3) {
    CMorvaneUSBDevice::SetLighting(w0, w1, w2, w3);
    profile_.SetLightInfo(w0, w1, w2, w3);
    LightingChanged();
}

DeviceStatus CMorvaneKeyboardDevice::SetLighting(const profiles::LightInfo& info) {
    return lighting::ApplyLighting(lightingDevice_, info, 0, 0);
}

int CMorvaneKeyboardDevice::ApplyProfileLighting() {
    ApplyRunningLight(profile_.GetLightInfo());
    TakeLightLists(profile_);
    LightingChanged();
    return 1;
}

void CMorvaneKeyboardDevice::ApplyRunningLight(const profiles::LightInfo& light) {
    const profiles::LightWords words = profiles::ToWords(light);
    CMorvaneUSBDevice::SetLighting(words[0], words[1], words[2], words[3]);
    if (light.SelectItem != appliedEffect_ || light.SelectItem == kPerKeyEffect) {
        appliedEffect_ = light.SelectItem;
        restartGeneration_.fetch_add(1);
        if (light.SelectItem == kAudioEffect && !audioTraced_.exchange(true))
            platform::Trace("keyboard: sound-driven lighting is not in this version; its effect stays dark");
    }
    if (light.SelectItem == kPerKeyEffect) StageColours(GroupColours());
    LightingChanged();
}

void CMorvaneKeyboardDevice::LightingChanged() {
    lightGeneration_.fetch_add(1);
    lightingThread_->Wake();
}

void CMorvaneKeyboardDevice::SetLightingPaused(bool paused) {
    Transport().SetPaused(paused);
    if (!paused) lightingThread_->Wake();
}

// --- Colour groups ----------------------------------------------------------------

std::vector<profiles::KeyColour> CMorvaneKeyboardDevice::GroupColours() {
    return profile_.GetKeyColors(RunningLight().CustomGroup, static_cast<int>(keyboard::kPositions));
}

void CMorvaneKeyboardDevice::StoreGroupColours(const std::vector<profiles::KeyColour>& colours) {
    const int group = RunningLight().CustomGroup;
    profile_.SetColorGroup(group);
    profile_.SetKeyColors(group, colours);
    SaveProfile();
}

void CMorvaneKeyboardDevice::StageColours(const std::vector<profiles::KeyColour>& colours) {
    {
        const std::lock_guard lock(coloursMutex_);
        stagedColours_ = {};
        std::copy_n(colours.begin(), std::min(colours.size(), stagedColours_.size()), stagedColours_.begin());
    }
    coloursGeneration_.fetch_add(1);
    LightingChanged();
}

void CMorvaneKeyboardDevice::SelectCustomGroup(int group) {
    if (group < 0 || group >= keyboard::kColourGroups) group = 0;
    profiles::LightInfo light = RunningLight();
    light.CustomGroup = static_cast<std::uint8_t>(group);
    const profiles::LightWords words = profiles::ToWords(light);
    CMorvaneUSBDevice::SetLighting(words[0], words[1], words[2], words[3]);
    profile_.SetLightInfo(words[0], words[1], words[2], words[3]);
    profile_.SetColorGroup(group);
}

void CMorvaneKeyboardDevice::LoadCustomGroup() {
    StageColours(GroupColours());
    if (lightPanel_) lightPanel_->ShowLightInfo(RunningLight());
    // The record names the group the keyboard shows; its page follows.
    if (PerKeyEffectRuns()) static_cast<void>(WriteLightRecord());
}

DeviceStatus CMorvaneKeyboardDevice::PaintKeys(std::span<const int> positions) {
    if (!PerKeyEffectRuns()) return protocol::Status::Ok;
    const profiles::LightInfo light = RunningLight();
    std::vector<profiles::KeyColour> colours = GroupColours();
    bool painted = false;
    for (const int position : positions) {
        if (position < 0 || static_cast<std::size_t>(position) >= colours.size() ||
            keyboard::IsEmptyPosition(static_cast<std::size_t>(position)))
            continue;
        colours[static_cast<std::size_t>(position)] = {light.Red, light.Green, light.Blue, kOpaque};
        painted = true;
    }
    if (!painted) return protocol::Status::Ok;
    StoreGroupColours(colours);
    StageColours(colours);
    return UploadColourPage(/*scaled=*/false);
}

DeviceStatus CMorvaneKeyboardDevice::FillColourGroup(bool lit) {
    if (!PerKeyEffectRuns()) return protocol::Status::Ok;
    const profiles::LightInfo light = RunningLight();
    const profiles::KeyColour colour =
        lit ? profiles::KeyColour{light.Red, light.Green, light.Blue, kOpaque} : profiles::KeyColour{0, 0, 0, kOpaque};
    const std::vector<profiles::KeyColour> colours(keyboard::kPositions, colour);
    StoreGroupColours(colours);
    StageColours(colours);
    return UploadColourPage(/*scaled=*/true);
}

// --- Key events -----------------------------------------------------------------------

// On a notification thread: only the reactive effects take key events.
void CMorvaneKeyboardDevice::OnKeyEvent(std::uint8_t keySlot, keyboard::KeyAction action) {
    if (keyboard::ActivityOf(RunningLight().SelectItem) != EffectActivity::kReactive) return;
    const std::optional<std::size_t> position = PositionOfSlot(keySlot);
    if (!position) return;
    {
        const std::lock_guard lock(keyEventsMutex_);
        if (keyEventCount_ == keyEvents_.size()) return;
        keyEvents_[keyEventCount_++] = {static_cast<std::uint8_t>(*position), action};
        keyEventsWaiting_.store(true);
    }
    lightingThread_->Wake();
}

// --- Lighting thread -------------------------------------------------------------------

std::optional<std::uint32_t> CMorvaneKeyboardDevice::NextStepTicks() {
    protocol::CDeviceTransport& t = Transport();
    if (!t.IsOpen() || t.IsPaused()) return std::nullopt;
    const bool fresh = lightGeneration_.load() != paintedGeneration_ ||
                       restartGeneration_.load() != startedGeneration_ ||
                       LightListGeneration() != appliedListGeneration_ || coloursGeneration_.load() != takenColours_ ||
                       keyEventsWaiting_.load();
    if (fresh) return 0;
    const profiles::LightInfo light = RunningLight();
    const EffectActivity activity = keyboard::ActivityOf(light.SelectItem);
    if (activity == EffectActivity::kLightList) return kLightListTicks;
    if (keyboard::IsIdle(light.SelectItem, effect_) && !HasLightList()) return std::nullopt;
    return keyboard::EffectInterval(light.SelectItem, light.Speed);
}

void CMorvaneKeyboardDevice::TakeKeyEvents() {
    if (!keyEventsWaiting_.exchange(false)) return;
    std::array<KeyEvent, kMaxKeyEvents> events{};
    std::size_t count = 0;
    {
        const std::lock_guard lock(keyEventsMutex_);
        events = keyEvents_;
        count = std::exchange(keyEventCount_, 0);
    }
    for (std::size_t i = 0; i < count; ++i)
        static_cast<void>(keyboard::ReactToKey(effect_, runningEffect_, events[i].position, events[i].action, random_));
}

// The group's colours onto the keys, in the per-key effect; its step shows
// them at the running brightness.
void CMorvaneKeyboardDevice::TakeStagedColours(bool force) {
    const std::uint32_t generation = coloursGeneration_.load();
    if (!force && generation == takenColours_) return;
    takenColours_ = generation;
    if (runningEffect_ != kPerKeyEffect) return;
    {
        const std::lock_guard lock(coloursMutex_);
        for (std::size_t p = 0; p < stagedColours_.size(); ++p) {
            const profiles::KeyColour& c = stagedColours_[p];
            Leds().Set(p, {c.red, c.green, c.blue, 0});
        }
    }
    keyboard::RequestRepaint(effect_);
}

void CMorvaneKeyboardDevice::RunLightingPass() {
    const std::uint32_t generation = lightGeneration_.load();
    const std::uint32_t restart = restartGeneration_.load();
    const std::uint32_t lists = LightListGeneration();
    const std::uint64_t now = ticks_.Now();
    const profiles::LightInfo light = RunningLight();

    bool loadGroup = false;
    if (restart != startedGeneration_ || light.SelectItem != runningEffect_) {
        startedGeneration_ = restart;
        runningEffect_ = light.SelectItem;
        const keyboard::StartActions actions = keyboard::StartEffect(effect_, runningEffect_, now);
        loadGroup = actions.loadCustomGroup;
        if (actions.resetLightList) player_.Rewind(now);
    }
    if (lists != appliedListGeneration_) {
        overlay_.Reset(now);
        player_.Rewind(now);
        appliedListGeneration_ = lists;
    }
    TakeStagedColours(loadGroup);
    TakeKeyEvents();
    if (generation != paintedGeneration_) keyboard::RequestRepaint(effect_);

    if (keyboard::ActivityOf(runningEffect_) == EffectActivity::kLightList) {
        PlayEffectList(player_, light.Speed, now);
    } else {
        keyboard::StepEffect(runningEffect_, effect_, keyboard::KeyboardLookOf(light), Leds(), now, random_);
    }
    ApplyOverlay(overlay_, now);
    paintedGeneration_ = generation;
    LedsMayHaveChanged();
}

}  // namespace vandrel::devices
