// Arming and disarming the periodic client cycle from the control panel's texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "APIcalls/APIcalls.h"
#include "common/PanelState.h"

namespace trawlix {

inline constexpr const char* kUnitRefusedMessage =
    "Use the drop down list to select only hours, minutes, or seconds please.";
inline constexpr const char* kIntervalRefusedMessage =
    "Enter the period in digits, up to 32767 minutes or 546 hours, please.";

enum class ArmResult { Armed, UnitRefused, IntervalRefused };

// The main window's one-minute timer, whose ticks drive the automation cycle.
inline constexpr std::uintptr_t kTimerId = 1;
inline constexpr std::uint32_t kTimerIntervalMs = 60000;

// The period in whole minutes for a unit text and an interval text. Only "Hours", "hours",
// "Minutes" and "minutes" are units; nothing comes back for another unit, for an interval that is
// not a number, or for a period outside the 16-bit range.
enum class UnitKind { Hours, Minutes, Unknown };
UnitKind unitKind(const std::string& unitText);
std::optional<std::int16_t> periodMinutesFor(UnitKind unit, const std::string& intervalText);

// Arms from the three texts: on success the state holds the new period, the downloads text and a
// tick count of 1, and the window's one-minute timer runs. A refused unit or interval shows its
// message and leaves the state and the timer as they were; after a refused unit the caller resets
// the unit box to "Minutes".
ArmResult arm(PanelState& state, const PanelTexts& texts, APIcalls& api, WindowHandle timerWindow);
// Stops the timer; the period, the downloads text and the count stay for the next arming.
void disarm(PanelState& state, APIcalls& api, WindowHandle timerWindow);

// The caption of the status line for an armed or disarmed panel.
const char* statusCaption(bool armed);

}  // namespace trawlix
