// APIcalls with the real Windows calls.
#pragma once

#include <windows.h>

#include "APIcalls/APIcalls.h"

namespace trawlix {

class Win32APIcalls : public APIcalls {
public:
    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags, std::uintptr_t extra) override;
    void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                     std::uintptr_t extra) override;
    bool SetCursorPos(int x, int y) override;
    int GetSystemMetrics(int index) override;
    std::uint32_t SendInput(const std::vector<KeyboardInput>& inputs) override;
    KeyboardLayout GetKeyboardLayout(std::uint32_t threadId) override;
    std::uint32_t MapVirtualKeyExW(std::uint32_t code, std::uint32_t mapType, KeyboardLayout layout) override;
    bool EnumWindows(EnumWindowsProc proc, std::intptr_t appValue) override;
    WindowHandle GetForegroundWindow() override;
    int GetWindowTextLengthA(WindowHandle window) override;
    int GetWindowTextA(WindowHandle window, char* buffer, int size) override;
    bool SetForegroundWindow(WindowHandle window) override;
    std::uint32_t GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) override;
    int GetClassNameA(WindowHandle window, char* buffer, int size) override;
    bool SendMessageTimeoutA(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                             std::uint32_t flags, std::uint32_t timeoutMs) override;
    std::optional<std::intptr_t> SendMessageTimeoutResult(WindowHandle window, std::uint32_t message,
                                                          std::uintptr_t wParam, std::intptr_t lParam,
                                                          std::uint32_t flags, std::uint32_t timeoutMs) override;
    WindowHandle FindWindowA(const std::string& className) override;
    bool IsWindow(WindowHandle window) override;
    std::uint32_t RegisterWindowMessageA(const std::string& name) override;
    bool AllowSetForegroundWindow(std::uint32_t processId) override;
    bool ShowWindowAsync(WindowHandle window, int command) override;
    MonitorHandle MonitorFromWindow(WindowHandle window, std::uint32_t flags) override;
    bool GetMonitorInfoA(MonitorHandle monitor, ScreenRect& monitorRect) override;
    void SetTimer(WindowHandle window, std::uintptr_t id, std::uint32_t milliseconds) override;
    void KillTimer(WindowHandle window, std::uintptr_t id) override;
    void MsgBox(const std::string& text) override;
    void Sleep(std::uint32_t milliseconds) override;
    NamedMutex CreateMutexA(const std::string& name) override;
    std::uint32_t WaitForSingleObject(KernelHandle object, std::uint32_t timeoutMs) override;
    std::uint32_t GetCurrentProcessId() override;
    std::optional<std::uint32_t> ProcessIntegrityLevel(std::uint32_t processId) override;
    std::string AppPath() override;
    bool Shell_NotifyIconA(std::uint32_t message, const TrayIconRecord& record) override;
    void ShellExecuteA(WindowHandle owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory, int show) override;
    std::optional<RegistryValue> ReadRegistryValue(const std::string& subKey, const std::string& name) override;
    void WriteRegistryString(const std::string& subKey, const std::string& name, const std::string& value) override;

private:
    // shell32, with the libraries it brings along, costs about a megabyte of memory: it is loaded
    // when the notification icon or a link first needs it, not at start. A known system library,
    // found by name in the system folder.
    template <typename Function>
    Function shell32Function(const char* name) {
        if (!shell32_) shell32_ = ::LoadLibraryA("shell32.dll");
        // Through the plain function pointer type, which GCC takes as any function's.
        return shell32_ ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(shell32_, name)))
                        : nullptr;
    }
    HMODULE shell32_ = nullptr;
};

}  // namespace trawlix
