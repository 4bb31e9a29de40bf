// Finding the client's main window among the top-level windows by the beginning of its title.
#pragma once

#include <cstdint>
#include <string>

#include "APIcalls/APIcalls.h"

namespace trawlix {

// "KaZaA - ": the title prefix of the client's main window, compared case-sensitively.
inline constexpr const char* kClientTitlePrefix = "KaZaA - ";
// How long the client's thread gets to answer a message before it counts as not responding. A thread
// that takes messages answers in milliseconds; this program's own thread waits meanwhile, so the
// wait stays short enough that a whole cycle blocks it well below the 5 s after which Windows would
// count this program as not responding too.
inline constexpr std::uint32_t kClientAnswerTimeoutMs = 500;

// The client's window as the last search found it, 0 when none. Process-wide: the finder is a
// plain EnumWindows callback and hands its result over here.
extern WindowHandle clientWindow;

// What the cycle hands the finder as EnumWindows' application value, and what the finder tells back.
struct ClientSearch {
    APIcalls& api;
    bool answered = false;    // the window found answered and was asked to the front
    bool outOfReach = false;  // the window found runs above this program and was left alone
};

bool titleMarksClient(const std::string& title);

// A window's title through GetWindowTextLengthA and GetWindowTextA ("" for none or for handle 0).
std::string readWindowTitle(APIcalls& api, WindowHandle window);

// Whether the window's thread handles a message in time: a WM_NULL sent with SMTO_BLOCK, so that
// no message of this program runs meanwhile. Windows' own guess (IsHungAppWindow, and
// SMTO_ABORTIFHUNG, which uses it) waits 5 s before it says so, and under Wine it also says so of a
// thread that has merely been idle for that long.
bool clientAnswers(APIcalls& api, WindowHandle window);

// Whether the window's process runs at a higher integrity level than this program (a client started
// as administrator, this program not): Windows then drops this program's keys and clicks on their
// way to it without a word, and may keep its messages out too. False when either level cannot be
// read, as on Windows XP, which has none.
bool runsAboveThisProgram(APIcalls& api, WindowHandle window);

// EnumWindows callback; the application value is the address of a ClientSearch. On the first window
// whose title marks the client (Windows' "(Not Responding)" stand-in for a frozen window, of class
// "Ghost", never counts) it stores the window in clientWindow and returns 0 to end the enumeration.
// A window that answers is asked to come to the front maximized (the client's own thread carries
// that out); one that does not is left where it is, so the user keeps the front. Otherwise it
// returns 1.
std::int32_t FindClientWindowProc(WindowHandle window, std::intptr_t appValue);

}  // namespace trawlix
