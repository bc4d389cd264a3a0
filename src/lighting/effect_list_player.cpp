#include "lighting/effect_list_player.h"

#include <array>

namespace vandrel::lighting {
namespace {

using Pass = EffectListPlayer::Pass;

constexpr std::uint8_t kRainbowStride = 12;
constexpr std::uint8_t kBlinkHueStep = 14;
constexpr std::size_t kHueIntervalRow = 1;

bool Every(std::uint64_t period, const Pass& pass) { return period != 0 && pass.count % period == 0; }

void Breathing(EffectCounters& counters, const Look& look, LedBuffer& leds, const Pass& pass) {
    if (Every(BlinkPeriod(look.speed), pass)) StepBreathing(counters, look, leds);
}

void Static(EffectCounters&, const Look& look, LedBuffer& leds, const Pass& pass) {
    if (Every(BlinkPeriod(look.speed), pass)) StepStatic(look, leds);
}

void Blinking(EffectCounters& counters, const Look& look, LedBuffer& leds, const Pass& pass) {
    Look paced = look;
    paced.speed = pass.deviceSpeed;
    StepFlashing(counters, paced, leds, pass.now, kBlinkHueStep);
}

void Rainbow(EffectCounters& counters, const Look& look, LedBuffer& leds, const Pass& pass) {
    if (Every(BlinkPeriod(look.speed), pass)) StepWave(counters, look, leds, kRainbowStride);
}

void Hue(EffectCounters& counters, const Look& look, LedBuffer& leds, const Pass& pass) {
    if (Every(Interval(IntervalTable::kEffect, kHueIntervalRow, look.speed), pass))
        StepColourCycle(counters, look, leds);
}

using ModeFrame = void (*)(EffectCounters&, const Look&, LedBuffer&, const Pass&);
constexpr std::array<ModeFrame, 6> kModeFrames{Breathing, Static, Blinking, nullptr, Rainbow, Hue};

Look LookOf(const profiles::EffectStep& step) {
    return {step.brightness, step.speed, step.direction, step.multiColor, {step.red, step.green, step.blue}};
}

}  // namespace

void EffectListPlayer::Rewind(std::uint64_t now) {
    current_ = 0;
    stepStart_ = now;
    passes_ = 0;
    counters_ = EffectCounters{.lastBlinkTick = now};
}

void EffectListPlayer::MoveOn(std::size_t stepCount, std::int32_t stepTime, std::uint64_t now) {
    if (current_ >= stepCount || now < stepStart_) {  // a shorter list, or a restarted tick source
        current_ = 0;
        stepStart_ = now;
        return;
    }
    if (now - stepStart_ < MsToTicks(stepTime)) return;
    current_ = (current_ + 1) % stepCount;
    stepStart_ = now;
}

void EffectListPlayer::Play(std::span<const profiles::EffectStep> steps, std::uint8_t deviceSpeed, LedBuffer& leds,
                            std::uint64_t now) {
    if (steps.empty()) {
        StepAllOff(leds);
        return;
    }
    MoveOn(steps.size(), current_ < steps.size() ? steps[current_].time : 0, now);
    const profiles::EffectStep& step = steps[current_];
    if (step.mode < kModeFrames.size() && kModeFrames[step.mode] != nullptr)
        kModeFrames[step.mode](counters_, LookOf(step), leds, Pass{passes_, now, deviceSpeed});
    ++passes_;
}

}  // namespace vandrel::lighting
