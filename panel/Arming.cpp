#include "Arming.h"

#include "common/NumberText.h"

namespace trawlix {

UnitKind unitKind(const std::string& unitText) {
    if (unitText == "Hours" || unitText == "hours") return UnitKind::Hours;
    if (unitText == "Minutes" || unitText == "minutes") return UnitKind::Minutes;
    return UnitKind::Unknown;
}

std::optional<std::int16_t> periodMinutesFor(UnitKind unit, const std::string& intervalText) {
    if (unit == UnitKind::Unknown) return std::nullopt;
    auto value = parseNumberText(intervalText);
    if (!value) return std::nullopt;
    double minutes = roundHalfEven(unit == UnitKind::Hours ? *value * 60 : *value);
    if (minutes < -32768 || minutes > 32767) return std::nullopt;
    return static_cast<std::int16_t>(minutes);
}

ArmResult arm(PanelState& state, const PanelTexts& texts, APIcalls& api, WindowHandle timerWindow) {
    UnitKind unit = unitKind(texts.timeunits);
    if (unit == UnitKind::Unknown) {
        api.MsgBox(kUnitRefusedMessage);
        return ArmResult::UnitRefused;
    }
    auto minutes = periodMinutesFor(unit, texts.interval);
    if (!minutes) {
        api.MsgBox(kIntervalRefusedMessage);
        return ArmResult::IntervalRefused;
    }
    state.periodMinutes = *minutes;
    state.downloadCount = texts.numberdl;
    state.tickCount = 1;
    state.toldClientOutOfReach = false;
    state.armed = true;
    api.SetTimer(timerWindow, kTimerId, kTimerIntervalMs);
    return ArmResult::Armed;
}

void disarm(PanelState& state, APIcalls& api, WindowHandle timerWindow) {
    state.armed = false;
    api.KillTimer(timerWindow, kTimerId);
}

const char* statusCaption(bool armed) { return armed ? "Status: Enabled" : "Status: Disabled"; }

}  // namespace trawlix
