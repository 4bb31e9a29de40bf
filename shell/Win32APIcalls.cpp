#include "Win32APIcalls.h"

#include <shellapi.h>

#include <cstring>

#include "common/AppInfo.h"
#include "common/ProgramFolder.h"

namespace trawlix {

namespace {
HWND toHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

// EnumWindows wants a stdcall function; this one hands each window to the portable callback.
struct EnumContext {
    EnumWindowsProc proc;
    std::intptr_t appValue;
};
BOOL CALLBACK enumThunk(HWND window, LPARAM context) {
    auto* c = reinterpret_cast<EnumContext*>(context);
    return c->proc(reinterpret_cast<WindowHandle>(window), c->appValue) != 0;
}

}  // namespace

void Win32APIcalls::keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags, std::uintptr_t extra) {
    ::keybd_event(vk, scan, flags, extra);
}

void Win32APIcalls::mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                                std::uintptr_t extra) {
    ::mouse_event(flags, dx, dy, data, extra);
}

bool Win32APIcalls::SetCursorPos(int x, int y) { return ::SetCursorPos(x, y) != FALSE; }

int Win32APIcalls::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

std::uint32_t Win32APIcalls::SendInput(const std::vector<KeyboardInput>& inputs) {
    std::vector<INPUT> events(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        events[i].type = INPUT_KEYBOARD;
        events[i].ki.wVk = inputs[i].vk;
        events[i].ki.wScan = inputs[i].scan;
        events[i].ki.dwFlags = inputs[i].flags;
    }
    return ::SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
}

KeyboardLayout Win32APIcalls::GetKeyboardLayout(std::uint32_t threadId) {
    return reinterpret_cast<KeyboardLayout>(::GetKeyboardLayout(threadId));
}

std::uint32_t Win32APIcalls::MapVirtualKeyExW(std::uint32_t code, std::uint32_t mapType, KeyboardLayout layout) {
    return ::MapVirtualKeyExW(code, mapType, reinterpret_cast<HKL>(layout));
}

bool Win32APIcalls::EnumWindows(EnumWindowsProc proc, std::intptr_t appValue) {
    EnumContext context{proc, appValue};
    return ::EnumWindows(enumThunk, reinterpret_cast<LPARAM>(&context)) != FALSE;
}

WindowHandle Win32APIcalls::GetForegroundWindow() { return reinterpret_cast<WindowHandle>(::GetForegroundWindow()); }

int Win32APIcalls::GetWindowTextLengthA(WindowHandle window) { return ::GetWindowTextLengthA(toHwnd(window)); }

int Win32APIcalls::GetWindowTextA(WindowHandle window, char* buffer, int size) {
    return ::GetWindowTextA(toHwnd(window), buffer, size);
}

bool Win32APIcalls::SetForegroundWindow(WindowHandle window) { return ::SetForegroundWindow(toHwnd(window)) != FALSE; }

std::uint32_t Win32APIcalls::GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) {
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(toHwnd(window), &process);
    if (processId) *processId = process;
    return thread;
}

int Win32APIcalls::GetClassNameA(WindowHandle window, char* buffer, int size) {
    return ::GetClassNameA(toHwnd(window), buffer, size);
}

bool Win32APIcalls::SendMessageTimeoutA(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam, std::uint32_t flags, std::uint32_t timeoutMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(toHwnd(window), message, wParam, lParam, flags, timeoutMs, &result) != 0;
}

std::optional<std::intptr_t> Win32APIcalls::SendMessageTimeoutResult(WindowHandle window, std::uint32_t message,
                                                                     std::uintptr_t wParam, std::intptr_t lParam,
                                                                     std::uint32_t flags, std::uint32_t timeoutMs) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(toHwnd(window), message, wParam, lParam, flags, timeoutMs, &result)) return std::nullopt;
    return static_cast<std::intptr_t>(result);
}

WindowHandle Win32APIcalls::FindWindowA(const std::string& className) {
    return reinterpret_cast<WindowHandle>(::FindWindowA(className.c_str(), nullptr));
}

bool Win32APIcalls::IsWindow(WindowHandle window) { return ::IsWindow(toHwnd(window)) != FALSE; }

std::uint32_t Win32APIcalls::RegisterWindowMessageA(const std::string& name) {
    return ::RegisterWindowMessageA(name.c_str());
}

bool Win32APIcalls::AllowSetForegroundWindow(std::uint32_t processId) {
    return ::AllowSetForegroundWindow(processId) != FALSE;
}

bool Win32APIcalls::ShowWindowAsync(WindowHandle window, int command) {
    return ::ShowWindowAsync(toHwnd(window), command) != FALSE;
}

MonitorHandle Win32APIcalls::MonitorFromWindow(WindowHandle window, std::uint32_t flags) {
    return reinterpret_cast<MonitorHandle>(::MonitorFromWindow(toHwnd(window), flags));
}

bool Win32APIcalls::GetMonitorInfoA(MonitorHandle monitor, ScreenRect& monitorRect) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoA(reinterpret_cast<HMONITOR>(monitor), &info)) return false;
    monitorRect = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    return true;
}

void Win32APIcalls::SetTimer(WindowHandle window, std::uintptr_t id, std::uint32_t milliseconds) {
    ::SetTimer(toHwnd(window), id, milliseconds, nullptr);
}

void Win32APIcalls::KillTimer(WindowHandle window, std::uintptr_t id) { ::KillTimer(toHwnd(window), id); }

void Win32APIcalls::MsgBox(const std::string& text) {
    // Owned by the program's window the user is working in, which Windows activates again when the
    // box closes, so that the keys go on reaching it. Without one (the main window hidden in the
    // notification area) task-modal keeps the program's own windows disabled until the box is closed.
    HWND active = ::GetActiveWindow();
    if (active && !::IsWindowVisible(active)) active = nullptr;
    ::MessageBoxA(active, text.c_str(), kAppTitle, MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

#ifndef TRAWLIX_PAUSE_MS
void Win32APIcalls::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }
#else
// The bench's soak build: thousands of cycles in minutes. Only the length of the pause differs.
void Win32APIcalls::Sleep(std::uint32_t) { ::Sleep(TRAWLIX_PAUSE_MS); }
#endif

NamedMutex Win32APIcalls::CreateMutexA(const std::string& name) {
    // Owned by the calling thread, the user-interface thread, which lives as long as the process.
    ::SetLastError(0);
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, name.c_str());
    return {reinterpret_cast<KernelHandle>(mutex), ::GetLastError()};
}

std::uint32_t Win32APIcalls::WaitForSingleObject(KernelHandle object, std::uint32_t timeoutMs) {
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(object), timeoutMs);
}

std::uint32_t Win32APIcalls::GetCurrentProcessId() { return ::GetCurrentProcessId(); }

std::optional<std::uint32_t> Win32APIcalls::ProcessIntegrityLevel(std::uint32_t processId) {
    // Limited query rights are what a program may have on an elevated process of the same user; on
    // Windows XP they do not exist, and the call fails.
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return std::nullopt;
    HANDLE token = nullptr;
    const bool opened = ::OpenProcessToken(process, TOKEN_QUERY, &token) != FALSE;
    ::CloseHandle(process);
    if (!opened) return std::nullopt;
    // The label: a SID whose last part is the level. Windows XP knows no such class and fails.
    alignas(TOKEN_MANDATORY_LABEL) unsigned char buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    std::optional<std::uint32_t> level;
    if (::GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size)) {
        PSID label = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
        const UCHAR parts = *::GetSidSubAuthorityCount(label);
        if (parts > 0) level = *::GetSidSubAuthority(label, parts - 1u);
    }
    ::CloseHandle(token);
    return level;
}

std::string Win32APIcalls::AppPath() {
    // The buffer grows until the whole path fits: a path may be longer than MAX_PATH.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), size);
        if (length < size) {
            path.resize(length);
            break;
        }
        if (size >= 32768) return {};
        path.resize(path.size() * 2);
    }
    return programFolderOf(path);
}

bool Win32APIcalls::Shell_NotifyIconA(std::uint32_t message, const TrayIconRecord& record) {
    // The record is the first NOTIFYICONDATAA layout; its size tells the shell so. A 64-bit build
    // has wider handles, so it names the same version by that build's size of it.
    NOTIFYICONDATAA data{};
    data.cbSize = record.cbSize == sizeof(TrayIconRecord) ? NOTIFYICONDATAA_V1_SIZE : record.cbSize;
    data.hWnd = reinterpret_cast<HWND>(handleFrom32Bits(record.hWnd));
    data.uID = record.uID;
    data.uFlags = record.uFlags;
    data.uCallbackMessage = record.uCallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(handleFrom32Bits(record.hIcon));
    std::memcpy(data.szTip, record.szTip, sizeof record.szTip);
    const auto notifyIcon = shell32Function<decltype(&::Shell_NotifyIconA)>("Shell_NotifyIconA");
    return notifyIcon && notifyIcon(message, &data) != FALSE;
}

void Win32APIcalls::ShellExecuteA(WindowHandle owner, const std::string& operation, const std::string& file,
                                  const std::string& parameters, const std::string& directory, int show) {
    const auto shellExecute = shell32Function<decltype(&::ShellExecuteA)>("ShellExecuteA");
    if (shellExecute)
        shellExecute(toHwnd(owner), operation.c_str(), file.c_str(), parameters.c_str(), directory.c_str(), show);
}

std::optional<RegistryValue> Win32APIcalls::ReadRegistryValue(const std::string& subKey, const std::string& name) {
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    DWORD type = 0, size = 0;
    LONG status = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, size ? value.data.data() : nullptr, &size);
        value.data.resize(size);
    }
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.type = type;
    return value;
}

void Win32APIcalls::WriteRegistryString(const std::string& subKey, const std::string& name, const std::string& value) {
    HKEY key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(key);
}

}  // namespace trawlix
