// A scripted desktop behind APIcalls: top-level windows with titles, a window in front, a registry,
// and a record of every call that acts (keys, clicks, pauses, message boxes, shell calls).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "APIcalls/APIcalls.h"

namespace trawlix::test {

struct FakeWindow {
    WindowHandle handle;
    std::string title;
    std::size_t monitor = 0;  // index into FakeDesktop::monitors
    bool hung = false;        // its thread has stopped taking messages
    std::string className = "Client";
    std::intptr_t answer = 0;  // what its window procedure returns for a message sent with a result
};

// Keyboard layouts by their handles: the language in the low word.
inline constexpr KeyboardLayout kLayoutEnglishUS = 0x04090409;
inline constexpr KeyboardLayout kLayoutFrench = 0x040C040C;
inline constexpr KeyboardLayout kLayoutRussian = 0x04190419;
inline constexpr KeyboardLayout kLayoutGreek = 0x04080408;
inline constexpr KeyboardLayout kLayoutJapanese = 0x04110411;
inline constexpr KeyboardLayout kLayoutChineseInputMethod = 0xE0080804;  // an input method's layout
// A Latin layout whose key table gives the lower-case letter for a letter key.
inline constexpr KeyboardLayout kLayoutLowerCaseLetters = 0x04130413;
// Integrity levels.
inline constexpr std::uint32_t kLevelLow = 0x1000;
inline constexpr std::uint32_t kLevelMedium = 0x2000;
inline constexpr std::uint32_t kLevelHigh = 0x3000;

class FakeDesktop : public APIcalls {
public:
    // Each window belongs to a program of its own with one thread, both numbered as the window's
    // handle; this program's own process and thread are number 1.
    static constexpr std::uint32_t kOwnProcess = 1;
    static constexpr std::uint32_t kOwnThread = 1;
    // Top-level windows in EnumWindows order.
    std::vector<FakeWindow> windows;
    WindowHandle foreground = 0;
    std::string appPath = "C:\\Program Files\\Trawlix";
    // The finder brings a window to the front when asked (SetForegroundWindow succeeds).
    bool foregroundFollowsRequests = true;
    // Monitors, the primary first; MonitorFromWindow answers with index + 1.
    std::vector<ScreenRect> monitors = {{0, 0, 1024, 768}};
    // Called after each recorded event, so a test can change the desktop mid-script.
    std::function<void(const std::string& event)> onEvent;
    // The notification area: missing until the shell has started; whether it shows the icon.
    bool notificationArea = true;
    bool iconShown = false;
    // Each thread's keyboard layout (by thread number); a thread not listed has the US one.
    std::map<std::uint32_t, KeyboardLayout> layouts;
    // Each process's integrity level (by process number), nothing for one that cannot be read; a
    // process not listed runs at the medium level.
    std::map<std::uint32_t, std::optional<std::uint32_t>> integrityLevels;
    // The named mutexes there are, and whether this process may open each; one it makes, it owns.
    std::map<std::string, bool> mutexesOpenToThis;
    // Whether the process that owns a mutex this one waits for has ended.
    bool mutexOwnerEnded = false;
    // Window messages by their registered number less 0xC000.
    std::vector<std::string> registeredMessages;

    // Every acting call, one line each: "down 18", "up 18", "cursor 119 150",
    // "leftclick 119 150" (press and release in one event, where it lands; any other mouse event is
    // "mouse flags=<f>", with its point when it carries one),
    // "ping <h>" (a WM_NULL sent with SMTO_BLOCK and a timeout of at most a second),
    // "sleep 500", "msgbox <text>", "timer on <h> <id> <ms>", "timer off <h> <id>", "front <h>",
    // "showasync <h> <cmd>", "send <h> <message> <wParam> <lParam> flags=<f> timeout=<ms>" (a message
    // sent for a result), "allowfront <process>", "mutex <name>", "wait <ms>", "tray <msg>",
    // "open ...", "char down <c>" and "char up <c>" (a character sent with SendInput, decimal).
    std::vector<std::string> events;
    // Registry: "<subKey>|<name>" -> value.
    std::map<std::string, RegistryValue> registry;

    WindowHandle addWindow(const std::string& title);
    void setString(const std::string& subKey, const std::string& name, const std::string& value);
    std::string storedString(const std::string& subKey, const std::string& name) const;

    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags, std::uintptr_t extra) override;
    void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                     std::uintptr_t extra) override;
    bool SetCursorPos(int x, int y) override;
    int GetSystemMetrics(int index) override;
    std::uint32_t SendInput(const std::vector<KeyboardInput>& inputs) override;
    KeyboardLayout GetKeyboardLayout(std::uint32_t threadId) override;
    std::uint32_t MapVirtualKeyExW(std::uint32_t code, std::uint32_t mapType, KeyboardLayout layout) override;
    bool EnumWindows(EnumWindowsProc proc, std::intptr_t appValue) override;
    WindowHandle GetForegroundWindow() override { return foreground; }
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
    bool IsWindow(WindowHandle window) override { return find(window) != nullptr; }
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
    std::uint32_t GetCurrentProcessId() override { return kOwnProcess; }
    std::optional<std::uint32_t> ProcessIntegrityLevel(std::uint32_t processId) override;
    std::string AppPath() override { return appPath; }
    bool Shell_NotifyIconA(std::uint32_t message, const TrayIconRecord& record) override;
    void ShellExecuteA(WindowHandle owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory, int show) override;
    std::optional<RegistryValue> ReadRegistryValue(const std::string& subKey, const std::string& name) override;
    void WriteRegistryString(const std::string& subKey, const std::string& name, const std::string& value) override;

private:
    void record(std::string event);
    const FakeWindow* find(WindowHandle window) const;
    // The bounding rectangle of the monitors.
    ScreenRect virtualScreen() const;
    WindowHandle nextHandle_ = 0x100;
};

}  // namespace trawlix::test
