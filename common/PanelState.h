// What arming hands to the automation cycle: the main window's state beside its controls.
#pragma once

#include <cstdint>
#include <string>

namespace trawlix {

struct PanelState {
    std::int16_t periodMinutes = 0;     // the period in whole minutes, taken at arming
    std::int32_t tickCount = 0;         // minutes counted since arming or since the last completed cycle
    std::string downloadCount;          // the downloads box as it stood at arming, converted when used
    std::string titleText;              // title of the window in front at the last foreground check
    bool armed = false;                 // timer running, "Enable" off, "Disable" on
    bool toldClientOutOfReach = false;  // since arming, the user was told the client runs above this program
};

// The texts of the three input controls, in the order they are stored.
struct PanelTexts {
    std::string numberdl;
    std::string interval;
    std::string timeunits;
    bool operator==(const PanelTexts&) const = default;
};

}  // namespace trawlix
