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
    const std::uint32_t at = MOUSEEVENTF_MOVE_FLAG | MOUSEEVENTF_ABSOLUTE_FLAG | MOUSEEVENTF_VIRTUALDESK_FLAG;
    api.mouse_event(at | MOUSEEVENTF_LEFTDOWN_FLAG, point.x, point.y, 0, 0);
    api.mouse_event(at | MOUSEEVENTF_LEFTUP_FLAG, point.x, point.y, 0, 0);
}

}  // namespace trawlix
