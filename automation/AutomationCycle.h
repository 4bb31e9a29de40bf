// The one-minute tick: count minutes, and when the period is due drive the client with its key script.
#pragma once

#include "APIcalls/APIcalls.h"
#include "common/PanelState.h"

namespace trawlix {

inline constexpr const char* kClientMissingMessage =
    "KaZaA Media Desktop is not running, please start KaZaA first and try again.";
inline constexpr const char* kClientElevatedMessage =
    "KaZaA Media Desktop runs as administrator, so Windows keeps Trawlix's keys and clicks out of it. "
    "Start Trawlix as administrator too, or start KaZaA normally.";
inline constexpr int kClickX = 119;
inline constexpr int kClickY = 150;
inline constexpr unsigned kMenuPauseMs = 500;
// How long, and in what steps, the cycle waits for the client to come to the front after the search.
// Long enough for a busy client to lay out a long transfer list after the maximize; short enough that
// this wait, the menu pause, the script and at most one unanswered message (kClientAnswerTimeoutMs,
// as the first one ends the cycle) together stay well below the 5 s after which Windows counts this
// program's own window as not responding.
inline constexpr unsigned kFrontWaitMs = 2000;
inline constexpr unsigned kFrontPollMs = 50;

enum class TickResult {
    Counted,           // not due: one more minute counted
    Completed,         // the whole script ran; counting starts again
    GaveUp,            // the client lost the front; the cycle runs again next tick
    PutOff,            // the client did not come to the front, has stopped responding or runs above this
                       // program: nothing was sent; again next tick
    ClientNotRunning,  // the message was shown and closed; the program ends now
    Ignored,           // a tick that came while the program is ending
};

// The number of downloads as the per-download loops use it: empty or not a number counts as 0.
double downloadsToWorkOn(const std::string& downloadCount);

class AutomationCycle {
public:
    AutomationCycle(PanelState& state, APIcalls& api) : state_(state), api_(api) {}

    TickResult Timer_Timer();

private:
    TickResult runCycle();
    bool clientTitleInFront();
    bool clientInFront();
    bool clientComesToFront();
    void clickInClient();
    TickResult giveUp();
    TickResult putOffOutOfReach();
    void tap(int key, int times = 1);

    PanelState& state_;
    APIcalls& api_;
    bool ending_ = false;
};

}  // namespace trawlix
