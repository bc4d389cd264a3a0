// The mouse's profile document: the base records plus the five DPI stages,
// the active stage, the system settings packed into three words and the
// correction presets.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "profiles/basic_profile_data.h"

namespace vandrel::profiles {

// One element of "DPIStages"."StageDPIs". X and Y are slider positions.
struct DpiStage {
    std::uint8_t active = 0;  // "StageActive": stage enabled
    std::uint8_t xy = 0;      // "StageXY": separate X and Y
    std::uint16_t dpiX = 0;
    std::uint16_t dpiY = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    bool operator==(const DpiStage&) const = default;
};

// One element of "CorrectInfo".
struct Correction {
    std::uint8_t pixThresh = 0;
    std::uint8_t minSq = 0;
    std::uint8_t select = 0;
    std::u16string name;

    bool operator==(const Correction&) const = default;
};

class CMouseProfiledata : public CBasicProfiledata {
public:
    static constexpr std::size_t kDpiStageCount = 5;

    using CBasicProfiledata::CBasicProfiledata;

    // Merges the file's stages into the stage list position by position; the
    // list never shrinks, so stages the file lacks keep their values. Also
    // reads the active stage (0 when outside 0..4).
    const std::vector<DpiStage>& GetDpiStages();
    void SetDpiStages(const std::vector<DpiStage>& stages);
    int GetActiveStage() const { return activeStage_; }
    void SetActiveStage(int stage);

    // Word 0: MouseSpeed << 16 | DoubleClickTime; word 1: ScorllPage << 16 |
    // PointerPrecision; word 2: ReportStages.StageActive << 16 |
    // WheelScorlllinse. All zero when the section has no "SystemStages".
    SystemWords GetMouseSystem();
    void SetMouseSystem(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2);

    std::vector<Correction> GetCorrections();

private:
    std::vector<DpiStage> stages_ = std::vector<DpiStage>(kDpiStageCount);
    int activeStage_ = 0;
    SystemWords system_{};
    std::vector<Correction> corrections_;
};

}  // namespace vandrel::profiles
