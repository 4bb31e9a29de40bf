// The Windows operations that Trawlix's logic calls. The logic never includes <windows.h>;
// the Win32 shell implements this interface with the real calls (shell/Win32APIcalls) and the
// unit tests with a fake desktop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trawlix {

// A window handle as the system passes it: pointer-sized, so 64 bits in the x86_64 build. Its value
// always fits in 32 bits, and a 32-bit copy widens back by sign extension (see handleFrom32Bits).
using WindowHandle = std::uintptr_t;
// A display monitor's handle.
using MonitorHandle = std::uintptr_t;
// A keyboard layout's handle (HKL): the language in the low word, the layout or input method above.
using KeyboardLayout = std::uintptr_t;
// A kernel object's handle.
using KernelHandle = std::uintptr_t;

// A rectangle in screen pixels, as RECT: right and bottom lie just outside it.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A handle kept in a 32-bit field (the tray icon record), widened as Windows does (LongToHandle):
// by sign extension, not with zeros.
constexpr std::uintptr_t handleFrom32Bits(std::uint32_t value) {
    return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

// EnumWindows callback: return 1 to go on with the next window, 0 to stop.
using EnumWindowsProc = std::int32_t (*)(WindowHandle window, std::intptr_t appValue);

// The first, 88-byte ANSI version of NOTIFYICONDATA: six 32-bit fields and a 64-byte tip.
struct TrayIconRecord {
    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    char szTip[64] = {};
};
static_assert(sizeof(TrayIconRecord) == 88, "the shell reads exactly 88 bytes");

// A keyboard event as SendInput takes it, without time stamp or extra data.
struct KeyboardInput {
    std::uint16_t vk = 0;
    std::uint16_t scan = 0;  // with KEYEVENTF_UNICODE: the character
    std::uint32_t flags = 0;
};

// A registry value as stored: its type (REG_SZ = 1, REG_DWORD = 4, ...) and raw bytes.
struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<unsigned char> data;
};

// What CreateMutexA gives: the handle (0 when there is none) and the error code the call left
// (GetLastError: 0 when it made the mutex, ERROR_ALREADY_EXISTS when it opened one that was there,
// ERROR_ACCESS_DENIED when one is there that this process may not open).
struct NamedMutex {
    KernelHandle handle = 0;
    std::uint32_t error = 0;
};

// Constants of the calls below, with their Windows values.
inline constexpr std::uint32_t ERROR_ACCESS_DENIED_CODE = 5;
inline constexpr std::uint32_t ERROR_ALREADY_EXISTS_CODE = 183;
inline constexpr std::uint32_t WAIT_OBJECT_0_CODE = 0;
inline constexpr std::uint32_t WAIT_ABANDONED_CODE = 0x80;
inline constexpr std::uint32_t WAIT_TIMEOUT_CODE = 0x102;
inline constexpr std::uint32_t KEYEVENTF_KEYUP_FLAG = 2;
inline constexpr std::uint32_t KEYEVENTF_UNICODE_FLAG = 4;
inline constexpr std::uint32_t MAPVK_VK_TO_CHAR_TYPE = 2;
inline constexpr std::uint32_t MOUSEEVENTF_MOVE_FLAG = 0x0001;
inline constexpr std::uint32_t MOUSEEVENTF_LEFTDOWN_FLAG = 0x0002;
inline constexpr std::uint32_t MOUSEEVENTF_LEFTUP_FLAG = 0x0004;
inline constexpr std::uint32_t MOUSEEVENTF_VIRTUALDESK_FLAG = 0x4000;
inline constexpr std::uint32_t MOUSEEVENTF_ABSOLUTE_FLAG = 0x8000;
inline constexpr int SM_XVIRTUALSCREEN_INDEX = 76;
inline constexpr int SM_YVIRTUALSCREEN_INDEX = 77;
inline constexpr int SM_CXVIRTUALSCREEN_INDEX = 78;
inline constexpr int SM_CYVIRTUALSCREEN_INDEX = 79;
inline constexpr std::uint32_t WM_NULL_MESSAGE = 0;
inline constexpr std::uint32_t SMTO_BLOCK_FLAG = 0x0001;
inline constexpr int SW_SHOW_CMD = 5;
inline constexpr int SW_SHOWMAXIMIZED_CMD = 3;
inline constexpr int SW_MINIMIZE_CMD = 6;
inline constexpr std::uint32_t MONITOR_DEFAULTTONEAREST_FLAG = 2;
inline constexpr std::uint32_t NIM_ADD_CODE = 0;
inline constexpr std::uint32_t NIM_MODIFY_CODE = 1;
inline constexpr std::uint32_t NIM_DELETE_CODE = 2;

class APIcalls {
public:
    virtual ~APIcalls() = default;

    // user32: input
    virtual void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags, std::uintptr_t extra) = 0;
    virtual void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                             std::uintptr_t extra) = 0;
    virtual bool SetCursorPos(int x, int y) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    // Inserts the events into the input stream as one run; how many went in.
    virtual std::uint32_t SendInput(const std::vector<KeyboardInput>& inputs) = 0;
    // The layout of that thread (0: the calling thread).
    virtual KeyboardLayout GetKeyboardLayout(std::uint32_t threadId) = 0;
    // With MAPVK_VK_TO_CHAR: the character the key types unshifted in that layout in the low word (0
    // for none; the top bit set for a dead key).
    virtual std::uint32_t MapVirtualKeyExW(std::uint32_t code, std::uint32_t mapType, KeyboardLayout layout) = 0;

    // user32: windows
    virtual bool EnumWindows(EnumWindowsProc proc, std::intptr_t appValue) = 0;
    virtual WindowHandle GetForegroundWindow() = 0;
    virtual int GetWindowTextLengthA(WindowHandle window) = 0;
    // Copies at most size - 1 characters and a terminating NUL into buffer.
    virtual int GetWindowTextA(WindowHandle window, char* buffer, int size) = 0;
    virtual bool SetForegroundWindow(WindowHandle window) = 0;
    // The thread that created the window (0 when there is no such window) and, into processId when
    // given, its process.
    virtual std::uint32_t GetWindowThreadProcessId(WindowHandle window, std::uint32_t* processId) = 0;
    // Copies at most size - 1 characters of the window's class name and a NUL into buffer.
    virtual int GetClassNameA(WindowHandle window, char* buffer, int size) = 0;
    // Sends the message and waits at most timeoutMs for the window's thread to handle it; false when
    // it did not in time, or the window is gone.
    virtual bool SendMessageTimeoutA(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam, std::uint32_t flags, std::uint32_t timeoutMs) = 0;
    // As SendMessageTimeoutA, with what the window procedure returned; nothing when it did not
    // answer in time or the window is gone.
    virtual std::optional<std::intptr_t> SendMessageTimeoutResult(WindowHandle window, std::uint32_t message,
                                                                  std::uintptr_t wParam, std::intptr_t lParam,
                                                                  std::uint32_t flags, std::uint32_t timeoutMs) = 0;
    // A top-level window of that class, whatever its title, shown or hidden; 0 for none.
    virtual WindowHandle FindWindowA(const std::string& className) = 0;
    virtual bool IsWindow(WindowHandle window) = 0;
    // The same number in every process of the session for the same name.
    virtual std::uint32_t RegisterWindowMessageA(const std::string& name) = 0;
    // Lets that process take the front, which the caller may hand on when it has the front itself.
    virtual bool AllowSetForegroundWindow(std::uint32_t processId) = 0;
    // Posts the show request to the window's thread and returns at once, hung or not.
    virtual bool ShowWindowAsync(WindowHandle window, int command) = 0;
    virtual MonitorHandle MonitorFromWindow(WindowHandle window, std::uint32_t flags) = 0;
    // Copies the monitor's rectangle (rcMonitor) into monitorRect; false when it fails.
    virtual bool GetMonitorInfoA(MonitorHandle monitor, ScreenRect& monitorRect) = 0;
    // A timer of the window: WM_TIMER with this id every period until it is killed. Setting it
    // again restarts the period.
    virtual void SetTimer(WindowHandle window, std::uintptr_t id, std::uint32_t milliseconds) = 0;
    virtual void KillTimer(WindowHandle window, std::uintptr_t id) = 0;
    // A modal box with an OK button only, no icon, captioned with the application title.
    virtual void MsgBox(const std::string& text) = 0;

    // kernel32
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Opens the mutex of that name, or makes it owned by the calling thread when there is none. The
    // handle stays open until the process ends, which abandons a mutex it owns.
    virtual NamedMutex CreateMutexA(const std::string& name) = 0;
    // WAIT_OBJECT_0 or WAIT_ABANDONED once the calling thread owns the object, WAIT_TIMEOUT after
    // timeoutMs.
    virtual std::uint32_t WaitForSingleObject(KernelHandle object, std::uint32_t timeoutMs) = 0;
    virtual std::uint32_t GetCurrentProcessId() = 0;

    // kernel32 and advapi32: the mandatory integrity level of the process (the last part of its
    // token's label: 0x1000 low, 0x2000 medium, 0x3000 high, 0x4000 system), read through OpenProcess
    // with PROCESS_QUERY_LIMITED_INFORMATION, OpenProcessToken and GetTokenInformation. Nothing when
    // it cannot be read: Windows before Vista has no such level, and a process of another account
    // may not be opened.
    virtual std::optional<std::uint32_t> ProcessIntegrityLevel(std::uint32_t processId) = 0;

    // The folder of the running executable, without a trailing file name; it ends in a backslash
    // only at a drive root ("E:\").
    virtual std::string AppPath() = 0;

    // shell32
    virtual bool Shell_NotifyIconA(std::uint32_t message, const TrayIconRecord& record) = 0;
    virtual void ShellExecuteA(WindowHandle owner, const std::string& operation, const std::string& file,
                               const std::string& parameters, const std::string& directory, int show) = 0;

    // advapi32: string values below HKEY_CURRENT_USER\<subKey>
    virtual std::optional<RegistryValue> ReadRegistryValue(const std::string& subKey, const std::string& name) = 0;
    virtual void WriteRegistryString(const std::string& subKey, const std::string& name, const std::string& value) = 0;
};

}  // namespace trawlix
