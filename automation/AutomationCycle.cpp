#include "AutomationCycle.h"

#include "automation/ClientFinder.h"
#include "automation/KeyInput.h"
#include "common/NumberText.h"

namespace trawlix {

double downloadsToWorkOn(const std::string& downloadCount) { return parseNumberText(downloadCount).value_or(0); }

TickResult AutomationCycle::Timer_Timer() {
    // Ticks keep coming while the "not running" message is open; the program ends when it closes.
    if (ending_) return TickResult::Ignored;
    if (state_.tickCount > state_.periodMinutes) return runCycle();
    ++state_.tickCount;
    return TickResult::Counted;
}

TickResult AutomationCycle::runCycle() {
    clientWindow = 0;
    ClientSearch search{api_};
    api_.EnumWindows(FindClientWindowProc, reinterpret_cast<std::intptr_t>(&search));
    if (clientWindow == 0) {
        ending_ = true;
        api_.MsgBox(kClientMissingMessage);
        return TickResult::ClientNotRunning;
    }
    if (search.outOfReach) return putOffOutOfReach();
    // A client that does not answer would take the keys only when it answers again, back to back,
    // without the pause; and the system keeps the front for the program the user is working in. In
    // either case not a key is sent, the period and the count stay, and the next tick tries again.
    if (!search.answered || !clientComesToFront()) return TickResult::PutOff;

    // Alt hands the keyboard to the client's menu bar; Right, the Downs and Enter pick the view.
    tap(VK_ALT);
    tap(VK_RIGHT_ARROW);
    tap(VK_DOWN_ARROW, 5);
    tap(VK_ENTER);
    api_.Sleep(kMenuPauseMs);
    if (!clientInFront()) return giveUp();

    clickInClient();

    const double downloads = downloadsToWorkOn(state_.downloadCount);
    for (double i = 1; i <= downloads; ++i) {
        tap(VK_CONTEXT_MENU);
        LetterPress(api_, VK_LETTER_E);
        if (!clientInFront()) return giveUp();
        tap(VK_ENTER);
        tap(VK_CONTEXT_MENU);
        LetterPress(api_, VK_LETTER_R);
        if (!clientInFront()) return giveUp();
        tap(VK_ENTER);
        tap(VK_CONTEXT_MENU);
        tap(VK_DOWN_ARROW, 5);
        if (!clientInFront()) return giveUp();
        tap(VK_ENTER);
        tap(VK_DOWN_ARROW);
    }
    // Back up over the rows the loop stepped down.
    for (double i = 1; i <= downloads; ++i) tap(VK_UP_ARROW);

    state_.tickCount = 1;
    return TickResult::Completed;
}

bool AutomationCycle::clientTitleInFront() {
    state_.titleText = readWindowTitle(api_, api_.GetForegroundWindow());
    return titleMarksClient(state_.titleText);
}

bool AutomationCycle::clientInFront() {
    // A title still reads from a frozen window, and Windows puts a "(Not Responding)" ghost in front
    // of it whose title begins the same: so the client's own window is asked whether it answers.
    return clientTitleInFront() && clientAnswers(api_, clientWindow);
}

bool AutomationCycle::clientComesToFront() {
    // The client takes the front on its own thread when it handles the finder's request, a moment
    // after the request; this program looks again a few times rather than wait on that thread.
    for (unsigned waited = 0;; waited += kFrontPollMs) {
        if (clientTitleInFront()) return clientAnswers(api_, clientWindow);
        if (waited >= kFrontWaitMs) return false;
        api_.Sleep(kFrontPollMs);
    }
}

void AutomationCycle::clickInClient() {
    // The point lies inside the maximized client counted from the corner of its monitor, which for
    // the primary monitor is (0, 0).
    ScreenRect monitor;
    api_.GetMonitorInfoA(api_.MonitorFromWindow(clientWindow, MONITOR_DEFAULTTONEAREST_FLAG), monitor);
    LeftClick(api_, monitor.left + kClickX, monitor.top + kClickY);
}

TickResult AutomationCycle::giveUp() {
    // The period shrinks by a minute per give-up, down to the smallest value it can hold.
    if (state_.periodMinutes > INT16_MIN) --state_.periodMinutes;
    tap(VK_ESC);
    return TickResult::GaveUp;
}

TickResult AutomationCycle::putOffOutOfReach() {
    // Nothing would reach the client, and Windows would not say so: the user is told once per arming,
    // and later ticks look again in silence, so the cycle runs as soon as the two levels match. Marked
    // before the box opens, as ticks go on coming while it is open.
    if (!state_.toldClientOutOfReach) {
        state_.toldClientOutOfReach = true;
        api_.MsgBox(kClientElevatedMessage);
    }
    return TickResult::PutOff;
}

void AutomationCycle::tap(int key, int times) {
    for (int i = 0; i < times; ++i) KeyPress(api_, key);
}

}  // namespace trawlix
