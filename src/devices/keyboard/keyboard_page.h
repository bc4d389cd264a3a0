// The controls of the keyboard page ("keyboarddevice.xml") and how the
// keyboard's system settings are shown on them.
//
//   key_0..125                 the key buttons; user data "light_"n: LED n's preview
//   winlockflag_option         check: Windows-key lock
//   wflag_option               check: arrow keys on W, A, S, D
//   6flag_option               check: six-key mode
//   repeat_rate_slider         slider 0..31: key repeat rate
//   repeat_delay_check_0..3    option: 250, 500, 750, 1000 ms before a key repeats
//   repeat_delay_time_label1   the chosen delay in words ("Repeat delay: 500ms")
//   repeat_input_richedit      a box to try the repeat in
//   polling_rate_option_0..3   option: the report rate
//   text_test                  hidden label that turns a text id into the language's text
#pragma once

#include <string>
#include <string_view>

#include "devices/keyboard/keyboard_record.h"
#include "platform/page_view.h"

namespace vandrel::devices::keyboard {

namespace controls {
inline constexpr std::string_view kWinLock = "winlockflag_option";
inline constexpr std::string_view kWFlag = "wflag_option";
inline constexpr std::string_view kKey6Flag = "6flag_option";
inline constexpr std::string_view kRepeatRate = "repeat_rate_slider";
inline constexpr std::string_view kRepeatDelay = "repeat_delay_check_";
inline constexpr std::string_view kRepeatDelayLabel = "repeat_delay_time_label1";
inline constexpr std::string_view kRepeatTestBox = "repeat_input_richedit";
inline constexpr std::string_view kReportRate = "polling_rate_option_";
inline constexpr std::string_view kTextProbe = "text_test";
inline constexpr std::string_view kRepeatDelayText = "Repeat_Delay_Time";
inline constexpr std::string_view kLightPanelClass = "LightControlItem";
inline constexpr std::string_view kMacroPanelClass = "MacroControlItem";
inline constexpr std::string_view kKeySetPanelClass = "KeySetControlItem";
// The Fn key: enabled while the lighting page shows, not while key
// assignment does (the keyboard needs it to switch its layers).
inline constexpr std::string_view kFnKey = "key_110";
}  // namespace controls

inline constexpr int kRepeatRateMaximum = 31;

// Milliseconds before a key repeats for delay choice `delay` (0..3); a
// choice out of range reads as 0.
int RepeatDelayMs(int delay);

// The three flags, the repeat rate and delay (with the delay's words) and
// the report rate. A delay or report rate out of range shows choice 0.
void ShowSystem(platform::IPageView& page, const KeyboardSystem& system);

}  // namespace vandrel::devices::keyboard
