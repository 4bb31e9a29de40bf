#include "KeyInput.h"

namespace trawlix {

namespace {
bool isKeyCode(std::int32_t code) { return code >= 0 && code <= 255; }
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

void LeftClick(APIcalls& api, int x, int y) {
    api.SetCursorPos(x, y);
    api.mouse_event(MOUSEEVENTF_LEFTDOWN_FLAG, 0, 0, 0, 0);
    api.mouse_event(MOUSEEVENTF_LEFTUP_FLAG, 0, 0, 0, 0);
}

}  // namespace trawlix
