// Finding the client's main window among the top-level windows by the beginning of its title.
#pragma once

#include <cstdint>
#include <string>

#include "APIcalls/APIcalls.h"

namespace trawlix {

// "KaZaA - ": the title prefix of the client's main window, compared case-sensitively.
inline constexpr const char* kClientTitlePrefix = "KaZaA - ";

// The client's window as the last search found it, 0 when none. Process-wide: the finder is a
// plain EnumWindows callback and hands its result over here.
extern WindowHandle clientWindow;

bool titleMarksClient(const std::string& title);

// A window's title through GetWindowTextLengthA and GetWindowTextA ("" for none or for handle 0).
std::string readWindowTitle(APIcalls& api, WindowHandle window);

// EnumWindows callback. The application value is the address of the APIcalls to use. On the first
// window whose title marks the client it asks for the window to come to the front maximized (the
// client's own thread carries that out), stores it in clientWindow and returns 0 to end the
// enumeration; otherwise it returns 1.
std::int32_t FindClientWindowProc(WindowHandle window, std::intptr_t appValue);

}  // namespace trawlix
