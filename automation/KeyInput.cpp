#include "KeyInput.h"

namespace trawlix {

namespace {
bool isKeyCode(std::int32_t code) { return code >= 0 && code <= 255; }

std::uint32_t normalized(int pixel, int first, int end) {
    const std::int64_t size = end > first ? std::int64_t{end} - first : 1;
    std::int64_t offset = std::int64_t{pixel} - first;
    offset = offset < 0 ? 0 : offset >= size ? size - 1 : offset;
    // The middle of the pixel's share of 0..65535, so that it maps back to the pixel whether the
    // system scales by the size and rounds down (Wine, and Windows as documented) or by the size
    // less one and rounds to nearest.
    return static_cast<std::uint32_t>((2 * offset + 1) * 32768 / size);
}
}  // namespace

void KeyDown(APIcalls& api, const std::int32_t& KeyCode) {
    if (isKeyCode(KeyCode)) api.keybd_event(static_cast<std::uint8_t>(KeyCode), 0, 0, 0);
}

void KeyUp(APIcalls& api, const std::int32_t& KeyCode) {
    if (isKeyCode(KeyCode)) api.keybd_event(static_cast<std::uint8_t>(KeyCode), 0, KEYEVENTF_KEYUP_FLAG, 0);
}

void KeyPress(APIcalls& api, const std::int32_t& KeyCode) {
    KeyDown(api, KeyCode);
    KeyUp(api, KeyCode);
}

bool keyTypesItsLetter(APIcalls& api, KeyboardLayout layout, std::int32_t letterKey) {
    // An input method's layout (0xE in the top digit) or a language whose input methods compose
    // letters: the key may go into a composition while a character passes the input method by.
    const std::uint32_t language = layout & 0x3FF;
    const bool inputMethod = ((layout >> 28) & 0xF) == 0xE;
    if (inputMethod || language == 0x04 || language == 0x11 || language == 0x12) return false;
    // The unshifted character, upper or lower case by layout; a dead key has the top bit set.
    const std::uint32_t typed = api.MapVirtualKeyExW(static_cast<std::uint32_t>(letterKey), MAPVK_VK_TO_CHAR_TYPE,
                                                     layout);
    const auto letter = static_cast<std::uint32_t>(letterKey);
    return typed == letter || typed == letter + ('a' - 'A');
}

void LetterPress(APIcalls& api, const std::int32_t& KeyCode) {
    const std::uint32_t thread = api.GetWindowThreadProcessId(api.GetForegroundWindow(), nullptr);
    if (KeyCode < 'A' || KeyCode > 'Z' || keyTypesItsLetter(api, api.GetKeyboardLayout(thread), KeyCode)) {
        KeyPress(api, KeyCode);
        return;
    }
    const auto letter = static_cast<std::uint16_t>(KeyCode + ('a' - 'A'));
    api.SendInput({{0, letter, KEYEVENTF_UNICODE_FLAG}, {0, letter, KEYEVENTF_UNICODE_FLAG | KEYEVENTF_KEYUP_FLAG}});
}

NormalizedPoint normalizedOnVirtualScreen(int x, int y, const ScreenRect& virtualScreen) {
    return {normalized(x, virtualScreen.left, virtualScreen.right),
            normalized(y, virtualScreen.top, virtualScreen.bottom)};
}

void LeftClick(APIcalls& api, int x, int y) {
    api.SetCursorPos(x, y);
    const int left = api.GetSystemMetrics(SM_XVIRTUALSCREEN_INDEX);
    const int top = api.GetSystemMetrics(SM_YVIRTUALSCREEN_INDEX);
    const ScreenRect virtualScreen{left, top, left + api.GetSystemMetrics(SM_CXVIRTUALSCREEN_INDEX),
                                   top + api.GetSystemMetrics(SM_CYVIRTUALSCREEN_INDEX)};
    const NormalizedPoint point = normalizedOnVirtualScreen(x, y, virtualScreen);
    // Press and release in one event, which the system puts into the input stream as one run: a
    // pointer that the user moves meanwhile cannot come between them and turn the click into a drag.
    const std::uint32_t at = MOUSEEVENTF_MOVE_FLAG | MOUSEEVENTF_ABSOLUTE_FLAG | MOUSEEVENTF_VIRTUALDESK_FLAG;
    api.mouse_event(at | MOUSEEVENTF_LEFTDOWN_FLAG | MOUSEEVENTF_LEFTUP_FLAG, point.x, point.y, 0, 0);
}

}  // namespace trawlix
