#include "FakeDesktop.h"

#include <algorithm>
#include <cstring>

namespace trawlix::test {

WindowHandle FakeDesktop::addWindow(const std::string& title) {
    windows.push_back({nextHandle_, title});
    return nextHandle_++;
}

void FakeDesktop::setString(const std::string& subKey, const std::string& name, const std::string& value) {
    registry[subKey + "|" + name] = RegistryValue{1, std::vector<unsigned char>(value.begin(), value.end())};
    registry[subKey + "|" + name].data.push_back(0);
}

std::string FakeDesktop::storedString(const std::string& subKey, const std::string& name) const {
    const auto& data = registry.at(subKey + "|" + name).data;
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

void FakeDesktop::record(std::string event) {
    events.push_back(event);
    if (onEvent) onEvent(event);
}

const FakeWindow* FakeDesktop::find(WindowHandle window) const {
    for (const auto& w : windows)
        if (w.handle == window) return &w;
    return nullptr;
}

void FakeDesktop::keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags, std::uintptr_t extra) {
    std::string event = (flags & KEYEVENTF_KEYUP_FLAG ? "up " : "down ") + std::to_string(vk);
    // Anything but a plain key (scan code, extended flag, extra data) is spelled out so tests see it.
    if (scan != 0 || (flags & ~KEYEVENTF_KEYUP_FLAG) != 0 || extra != 0)
        event += " scan=" + std::to_string(scan) + " flags=" + std::to_string(flags) +
                 " extra=" + std::to_string(extra);
    record(event);
}

ScreenRect FakeDesktop::virtualScreen() const {
    ScreenRect all = monitors.front();
    for (const auto& m : monitors)
        all = {std::min(all.left, m.left), std::min(all.top, m.top), std::max(all.right, m.right),
               std::max(all.bottom, m.bottom)};
    return all;
}

void FakeDesktop::mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                              std::uintptr_t extra) {
    // A button event that carries its point over the virtual screen lands there, as Windows maps it.
    const std::uint32_t at = MOUSEEVENTF_MOVE_FLAG | MOUSEEVENTF_ABSOLUTE_FLAG | MOUSEEVENTF_VIRTUALDESK_FLAG;
    const std::uint32_t button = (flags & at) == at ? flags & ~at : flags;
    std::string event = button == (MOUSEEVENTF_LEFTDOWN_FLAG | MOUSEEVENTF_LEFTUP_FLAG)
                            ? "leftclick"
                            : "mouse flags=" + std::to_string(flags);
    if ((flags & at) == at && button != flags) {
        const ScreenRect screen = virtualScreen();
        const std::int64_t x = screen.left + (std::int64_t{dx} * (screen.right - screen.left) >> 16);
        const std::int64_t y = screen.top + (std::int64_t{dy} * (screen.bottom - screen.top) >> 16);
        event += " " + std::to_string(x) + " " + std::to_string(y);
    } else if (dx || dy) {
        event += " moved";
    }
    if (data || extra) event += " data=" + std::to_string(data) + " extra=" + std::to_string(extra);
    record(event);
}

bool FakeDesktop::SetCursorPos(int x, int y) {
    record("cursor " + std::to_string(x) + " " + std::to_string(y));
    return true;
}

int FakeDesktop::GetSystemMetrics(int index) {
    const ScreenRect screen = virtualScreen();
    switch (index) {
    case SM_XVIRTUALSCREEN_INDEX:
        return screen.left;
    case SM_YVIRTUALSCREEN_INDEX:
        return screen.top;
    case SM_CXVIRTUALSCREEN_INDEX:
        return screen.right - screen.left;
    case SM_CYVIRTUALSCREEN_INDEX:
        return screen.bottom - screen.top;
    default:
        return 0;
    }
}

bool FakeDesktop::EnumWindows(EnumWindowsProc proc, std::intptr_t appValue) {
    // A copy, as the callback may change the desktop.
    auto snapshot = windows;
    for (const auto& w : snapshot)
        if (proc(w.handle, appValue) == 0) return false;
    return true;
}

std::uint32_t FakeDesktop::SendInput(const std::vector<KeyboardInput>& inputs) {
    for (const KeyboardInput& input : inputs) {
        std::string event = (input.flags & KEYEVENTF_KEYUP_FLAG ? "char up " : "char down ") +
                            std::to_string(input.scan);
        // Only characters are sent this way; anything else is spelled out so tests see it.
        if (input.vk != 0 || (input.flags & ~KEYEVENTF_KEYUP_FLAG) != KEYEVENTF_UNICODE_FLAG)
            event += " vk=" + std::to_string(input.vk) + " flags=" + std::to_string(input.flags);
        record(event);
    }
    return static_cast<std::uint32_t>(inputs.size());
}

KeyboardLayout FakeDesktop::GetKeyboardLayout(std::uint32_t threadId) {
    auto it = layouts.find(threadId == 0 ? kOwnThread : threadId);
    return it == layouts.end() ? kLayoutEnglishUS : it->second;
}

std::uint32_t FakeDesktop::MapVirtualKeyExW(std::uint32_t code, std::uint32_t mapType, KeyboardLayout layout) {
    if (mapType != MAPVK_VK_TO_CHAR_TYPE || code < 'A' || code > 'Z') return 0;
    // The Russian and Greek layouts' letter keys type Cyrillic and Greek capitals (E: У and Ε, R: К and
    // Ρ; the others are never asked); kLayoutLowerCaseLetters gives the small Latin letter, every other
    // layout here the Latin capital.
    switch (layout & 0xFFFF) {
    case kLayoutLowerCaseLetters & 0xFFFF:
        return code + ('a' - 'A');
    case 0x0419:
        return code == 'E' ? 0x0423 : code == 'R' ? 0x041A : 0x0410;
    case 0x0408:
        return code == 'E' ? 0x0395 : code == 'R' ? 0x03A1 : 0x0391;
    default:
        return code;
    }
}

int FakeDesktop::GetWindowTextLengthA(WindowHandle window) {
    const FakeWindow* w = find(window);
    return w ? static_cast<int>(w->title.size()) : 0;
}

int FakeDesktop::GetWindowTextA(WindowHandle window, char* buffer, int size) {
    const FakeWindow* w = find(window);
    if (size <= 0) return 0;
    std::size_t count = w ? std::min(w->title.size(), static_cast<std::size_t>(size - 1)) : 0;
    if (count) std::memcpy(buffer, w->title.data(), count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

bool FakeDesktop::SetForegroundWindow(WindowHandle window) {
    record("front " + std::to_string(window));
    if (foregroundFollowsRequests) foreground = window;
    return foregroundFollowsRequests;
}

std::uint32_t FakeDesktop::GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) {
    const auto number = find(window) ? static_cast<std::uint32_t>(window) : 0;
    if (processId) *processId = number;
    return number;
}

int FakeDesktop::GetClassNameA(WindowHandle window, char* buffer, int size) {
    const FakeWindow* w = find(window);
    if (!w || size <= 0) return 0;
    std::size_t count = std::min(w->className.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, w->className.data(), count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

bool FakeDesktop::SendMessageTimeoutA(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam, std::uint32_t flags, std::uint32_t timeoutMs) {
    std::string event = "ping " + std::to_string(window);
    // Anything but a bounded, blocking WM_NULL is spelled out so tests see it.
    if (message != WM_NULL_MESSAGE || wParam || lParam || flags != SMTO_BLOCK_FLAG || timeoutMs == 0 ||
        timeoutMs > 1000)
        event += " message=" + std::to_string(message) + " flags=" + std::to_string(flags) +
                 " timeout=" + std::to_string(timeoutMs);
    record(event);
    const FakeWindow* w = find(window);
    return w && !w->hung;
}

std::optional<std::intptr_t> FakeDesktop::SendMessageTimeoutResult(WindowHandle window, std::uint32_t message,
                                                                   std::uintptr_t wParam, std::intptr_t lParam,
                                                                   std::uint32_t flags, std::uint32_t timeoutMs) {
    record("send " + std::to_string(window) + " " + std::to_string(message) + " " + std::to_string(wParam) + " " +
           std::to_string(lParam) + " flags=" + std::to_string(flags) + " timeout=" + std::to_string(timeoutMs));
    const FakeWindow* w = find(window);
    if (!w || w->hung) return std::nullopt;
    return w->answer;
}

WindowHandle FakeDesktop::FindWindowA(const std::string& className) {
    for (const auto& w : windows)
        if (w.className == className) return w.handle;
    return 0;
}

std::uint32_t FakeDesktop::RegisterWindowMessageA(const std::string& name) {
    // Registered messages lie from 0xC000 on, one number for each name.
    auto it = std::find(registeredMessages.begin(), registeredMessages.end(), name);
    if (it == registeredMessages.end()) it = registeredMessages.insert(it, name);
    return 0xC000 + static_cast<std::uint32_t>(it - registeredMessages.begin());
}

bool FakeDesktop::AllowSetForegroundWindow(std::uint32_t processId) {
    record("allowfront " + std::to_string(processId));
    return true;
}

bool FakeDesktop::ShowWindowAsync(WindowHandle window, int command) {
    record("showasync " + std::to_string(window) + " " + std::to_string(command));
    return true;
}

MonitorHandle FakeDesktop::MonitorFromWindow(WindowHandle window, std::uint32_t) {
    // A window that is not there is nearest to the primary monitor.
    const FakeWindow* w = find(window);
    return (w ? w->monitor : 0) + 1;
}

bool FakeDesktop::GetMonitorInfoA(MonitorHandle monitor, ScreenRect& monitorRect) {
    if (monitor == 0 || monitor > monitors.size()) return false;
    monitorRect = monitors[monitor - 1];
    return true;
}

void FakeDesktop::SetTimer(WindowHandle window, std::uintptr_t id, std::uint32_t milliseconds) {
    record("timer on " + std::to_string(window) + " " + std::to_string(id) + " " + std::to_string(milliseconds));
}

void FakeDesktop::KillTimer(WindowHandle window, std::uintptr_t id) {
    record("timer off " + std::to_string(window) + " " + std::to_string(id));
}

void FakeDesktop::MsgBox(const std::string& text) { record("msgbox " + text); }

void FakeDesktop::Sleep(std::uint32_t milliseconds) { record("sleep " + std::to_string(milliseconds)); }

NamedMutex FakeDesktop::CreateMutexA(const std::string& name) {
    record("mutex " + name);
    auto it = mutexesOpenToThis.find(name);
    if (it == mutexesOpenToThis.end()) {
        mutexesOpenToThis[name] = true;  // made by this process, which owns it
        return {0x4000, 0};
    }
    return it->second ? NamedMutex{0x4000, ERROR_ALREADY_EXISTS_CODE} : NamedMutex{0, ERROR_ACCESS_DENIED_CODE};
}

std::uint32_t FakeDesktop::WaitForSingleObject(KernelHandle, std::uint32_t timeoutMs) {
    record("wait " + std::to_string(timeoutMs));
    return mutexOwnerEnded ? WAIT_ABANDONED_CODE : WAIT_TIMEOUT_CODE;
}

std::optional<std::uint32_t> FakeDesktop::ProcessIntegrityLevel(std::uint32_t processId) {
    auto it = integrityLevels.find(processId);
    return it == integrityLevels.end() ? kLevelMedium : it->second;
}

bool FakeDesktop::Shell_NotifyIconA(std::uint32_t message, const TrayIconRecord&) {
    record("tray " + std::to_string(message));
    if (!notificationArea) return false;
    // Adding succeeds only without the icon; modifying and deleting only with it.
    bool wasShown = iconShown;
    if (message == NIM_ADD_CODE) iconShown = true;
    if (message == NIM_DELETE_CODE) iconShown = false;
    return message == NIM_ADD_CODE ? !wasShown : wasShown;
}

void FakeDesktop::ShellExecuteA(WindowHandle owner, const std::string& operation, const std::string& file,
                                const std::string& parameters, const std::string& directory, int show) {
    record("open owner=" + std::to_string(owner) + " op=" + operation + " file=" + file + " params=" + parameters +
           " dir=" + directory + " show=" + std::to_string(show));
}

std::optional<RegistryValue> FakeDesktop::ReadRegistryValue(const std::string& subKey, const std::string& name) {
    auto it = registry.find(subKey + "|" + name);
    if (it == registry.end()) return std::nullopt;
    return it->second;
}

void FakeDesktop::WriteRegistryString(const std::string& subKey, const std::string& name, const std::string& value) {
    setString(subKey, name, value);
}

}  // namespace trawlix::test
