#include "FakeDesktop.h"

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
        event += " scan=" + std::to_string(scan) + " flags=" + std::to_string(flags) + " extra=" + std::to_string(extra);
    record(event);
}

void FakeDesktop::mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                              std::uintptr_t extra) {
    std::string event = flags == MOUSEEVENTF_LEFTDOWN_FLAG ? "leftdown"
                        : flags == MOUSEEVENTF_LEFTUP_FLAG ? "leftup"
                                                           : "mouse flags=" + std::to_string(flags);
    if (dx || dy || data || extra) event += " moved";
    record(event);
}

bool FakeDesktop::SetCursorPos(int x, int y) {
    record("cursor " + std::to_string(x) + " " + std::to_string(y));
    return true;
}

bool FakeDesktop::EnumWindows(EnumWindowsProc proc, std::intptr_t appValue) {
    // A copy, as the callback may change the desktop.
    auto snapshot = windows;
    for (const auto& w : snapshot)
        if (proc(w.handle, appValue) == 0) return false;
    return true;
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

bool FakeDesktop::IsHungAppWindow(WindowHandle window) {
    const FakeWindow* w = find(window);
    return w && w->hung;
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
