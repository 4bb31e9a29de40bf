// Synthetic input: key taps by virtual-key code and the left click at a screen point.
#pragma once

#include <cstdint>

#include "APIcalls/APIcalls.h"

namespace trawlix {

// Virtual-key codes the cycle taps.
enum VirtualKey : std::int32_t {
    VK_ENTER = 13,
    VK_ALT = 18,
    VK_ESC = 27,
    VK_UP_ARROW = 38,
    VK_RIGHT_ARROW = 39,
    VK_DOWN_ARROW = 40,
    VK_LETTER_E = 69,
    VK_LETTER_R = 82,
    VK_CONTEXT_MENU = 93,
};

// One event each, scan code 0, never the extended-key flag. A code outside 0..255 is not a key:
// it produces no event rather than a different, truncated one.
void KeyDown(APIcalls& api, const std::int32_t& KeyCode);
void KeyUp(APIcalls& api, const std::int32_t& KeyCode);
// A tap: down, then up, nothing in between.
void KeyPress(APIcalls& api, const std::int32_t& KeyCode);

// Whether a letter key (the capital's virtual-key code, 'A' to 'Z') reaches a menu of that keyboard
// layout as its letter. Menus pick their entries by the character a key types in the layout of the
// thread that owns them: with a layout whose key types another letter (Cyrillic, Greek, Hebrew, ...)
// the entry is never picked, and a Chinese, Japanese or Korean input method may take the key into a
// composition instead.
bool keyTypesItsLetter(APIcalls& api, KeyboardLayout layout, std::int32_t letterKey);

// A tap of an access letter for the window in front: the key as KeyPress taps it where the layout
// of the thread that owns that window types the letter with it, otherwise the lower-case letter
// itself as a character, down and up, which reaches the menu whatever the layout. Asked anew for
// each letter: the user may switch layouts, and each thread has its own.
void LetterPress(APIcalls& api, const std::int32_t& KeyCode);

// A screen point in the absolute coordinates that button events carry: 0 to 65535 across the
// virtual screen (all monitors), so that the event lands on the point wherever the pointer is.
struct NormalizedPoint {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
};
// Each pixel maps to the middle of its share of 0..65535. Points outside the virtual screen go to
// its edge.
NormalizedPoint normalizedOnVirtualScreen(int x, int y, const ScreenRect& virtualScreen);

// Moves the pointer to the point and presses and releases the left button there; the pointer stays.
// The press and the release carry the point themselves and go in as one event: a user moving the
// mouse meanwhile, or a late pointer event, must not move the click or turn it into a drag.
void LeftClick(APIcalls& api, int x, int y);

}  // namespace trawlix
