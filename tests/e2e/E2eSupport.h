// Driving the real Trawlix.exe and the stand-in client from a test program, as a user would:
// through window messages, the registry and what appears on the desktop.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace e2e {

// The folder of the test program, where Trawlix.exe and the stand-in client are built too.
std::string binDir();
// The folder of the Trawlix.exe under test, with its shortcut files: the test program's own, or
// the one named in TRAWLIX_E2E_PROGRAM_DIR (the i686 build's, driven by the x86_64 test programs).
std::string programDir();

// Whether the tests run under Wine (its ntdll exports wine_get_version), which cannot show some of
// Windows' behaviour: a test of that skips there, saying why.
bool underWine();

// How many times longer than the test says to wait for something to happen: 1, or the factor in
// TRAWLIX_E2E_WAIT_FACTOR, which an emulated environment sets since there a program spends about a
// minute starting. Fixed pauses are not stretched; a wait that runs out when nothing happens, as a
// test expects, takes that many times longer.
int waitFactor();

// Polls until the condition holds; false when it still does not after the timeout (times the
// wait factor).
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 20000);

// A string value below HKEY_CURRENT_USER, if there is one.
std::optional<std::string> userRegistryText(const char* key, const char* name);

// Trawlix's per-user settings.
void clearSettings();
std::optional<std::string> storedSetting(const char* name);
// "ndownloads", "interval" and "timeunit" as stored, "(missing)" for an absent one.
std::vector<std::string> storedSettings();
void storeSetting(const char* name, const std::string& value);
void storeRawSetting(const char* name, DWORD type, const void* data, DWORD size);

struct MessageBoxInfo {
    HWND box = nullptr;
    std::string caption;
    std::string text;
};
// A message box shown by the process (a visible #32770 window), or nothing within the timeout.
std::optional<MessageBoxInfo> waitForMessageBox(DWORD processId, int timeoutMs = 20000);
void dismissMessageBox(HWND box);

// The X screen under Wine, as the X server composes it from every program's windows: ImageMagick's
// import reads that rectangle of the root window and writes it to output ("-format %k info:" for
// the number of colours, or an image file's Windows path); what it printed, or nothing when it could
// not run. Not Wine's screen DC, which shows what a program painted whether or not X shows it, and
// not xwd -root, which leaves out a window lying wholly inside another of the same process (Wine
// gives each process an X colormap of its own, and xwd reads such windows one by one).
std::optional<std::string> readXScreen(const RECT& area, const std::string& output);
// How many colours the X screen shows in that rectangle, 0 when it could not be read.
int xScreenColours(const RECT& area);

// Shell_NotifyIconA on the icon of that window (uID 1) with nothing to change; its result.
bool trayIconCall(DWORD message, HWND window);
// Whether the notification area holds that window's icon: modifying nothing succeeds exactly then.
inline bool iconPresent(HWND window) { return trayIconCall(NIM_MODIFY, window); }
// The open popup menu (class #32768), if any.
HWND visiblePopupMenu();

// While it lives, a top-level window of that class, hidden, in front of the others, owned by a
// thread of its own that answers WM_COPYDATA with onCopyData (FALSE without one).
class WindowOfClass {
public:
    using CopyData = std::function<LRESULT(WPARAM wParam, LPARAM lParam)>;
    explicit WindowOfClass(std::string className, CopyData onCopyData = nullptr);
    ~WindowOfClass();
    WindowOfClass(const WindowOfClass&) = delete;
    WindowOfClass& operator=(const WindowOfClass&) = delete;
    HWND window() const { return window_; }
    // Hands a WM_COPYDATA on to the next window of the class, behind this one; its answer.
    LRESULT forward(WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    std::string className_;
    CopyData onCopyData_;
    std::thread thread_;
    HWND window_ = nullptr;
};

// While it lives, a notification area in front of the real one receives every program's icon calls
// (WM_COPYDATA) and answers them with onIconCall.
class NotificationAreaInFront : public WindowOfClass {
public:
    explicit NotificationAreaInFront(CopyData onIconCall) : WindowOfClass("Shell_TrayWnd", std::move(onIconCall)) {}
};

// While it lives, the notification area seems not to exist yet, as at sign-in: every icon call is
// refused.
class MissingNotificationArea : public NotificationAreaInFront {
public:
    MissingNotificationArea() : NotificationAreaInFront(nullptr) {}
};

// Where the installer puts Trawlix for the current user: the registry keys of its start at sign-in
// and of its entry among the installed apps, its folder and its Start-menu shortcut.
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Trawlix";
std::string shellFolder(int csidl);
std::string installFolder();
std::string startMenuShortcut();
std::string startMenuReadme();

// The name a screen reader reads for a control, through Windows' accessibility layer (MSAA), asked
// from this process (E2eAccessibility.cpp).
std::string accessibleName(HWND control);

// Taps keys into the input stream, as a user at the keyboard would.
void pressKeys(const std::vector<WORD>& keys);

std::string windowText(HWND window);  // through WM_GETTEXT, which works across processes
HWND findTopLevelWindow(DWORD processId, const std::string& title);

// A Windows process started by the test and ended with it.
class Process {
public:
    // Starts folder\exe in that folder (by default the test program's own).
    Process(const std::string& exe, const std::string& arguments, const std::string& folder = binDir());
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    DWORD id() const { return info_.dwProcessId; }
    bool waitForExit(int timeoutMs = 20000);  // times the wait factor
    DWORD exitCode() const;

private:
    PROCESS_INFORMATION info_{};
};

// A running Trawlix.exe with its main window.
class App {
public:
    // Starts from an empty settings key unless keepSettings is set; from another folder, with
    // command-line arguments or from another build of the program if given (another version's
    // window has its own title).
    explicit App(bool keepSettings = false, const std::string& folder = programDir(), const std::string& arguments = "",
                 const std::string& exe = "Trawlix.exe", const std::string& title = "Trawlix 1.10");
    HWND window() const { return window_; }
    DWORD processId() const { return process_.id(); }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    std::string text(int id) const { return windowText(control(id)); }
    void setText(int id, const std::string& text) const;
    // Sent: returns when the click is handled. Use postClick when the click opens a message box.
    void click(int id) const;
    void postClick(int id) const;
    void command(int id) const;  // a menu command, posted
    // One tick of the one-minute timer, posted; Trawlix may take the front meanwhile, as on an idle
    // desktop (Windows lets only the program in front hand the front on).
    void tick() const;
    void trayCallback(int mouseCode) const;  // the notification icon's callback, posted
    void typeChar(int id, char c) const;     // a typed character, posted to the control
    HWND focus() const;
    bool iconPresent() const { return e2e::iconPresent(window_); }
    bool visible() const { return IsWindowVisible(window_) != FALSE; }
    bool waitForExit(int timeoutMs = 20000) { return process_.waitForExit(timeoutMs); }
    DWORD exitCode() const { return process_.exitCode(); }

private:
    Process process_;
    HWND window_ = nullptr;
};

// The stand-in client with its input log.
class StandIn {
public:
    // Options follow the log path on the stand-in's command line (e.g. "--details-once").
    explicit StandIn(const std::string& options = "");
    HWND window() const { return window_; }
    bool waitForExit(int timeoutMs = 20000) { return process_.waitForExit(timeoutMs); }
    std::vector<std::string> log() const;
    // Lines of the log that record input ("key ..." and "button ...").
    std::vector<std::string> inputLog() const;
    // Lines of the log that record a menu entry the client carried out ("command ...").
    std::vector<std::string> commands() const;
    // The input lines written since the last call, for logs too long to read again and again.
    std::vector<std::string> newInput();
    bool waitForLogLine(const std::string& line, int timeoutMs = 20000) const;
    // The stand-in's thread stops handling messages for that long; true once it has stopped.
    bool hang(DWORD milliseconds) const;

private:
    std::string logPath_;
    std::ifstream newInputFile_;       // kept open: newInput is called every few milliseconds
    std::streamoff newInputFrom_ = 0;  // where the first line newInput has not returned begins
    Process process_;
    HWND window_ = nullptr;
};

// "key down N" and "key up N" for n taps of a key.
std::vector<std::string> taps(int key, int times = 1);
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b);

// What the cycle sends the client, as the stand-in logs it: the menu command, the click, the
// three context-menu commands of one download, and a whole completed cycle.
std::vector<std::string> menuCommandKeys();
std::vector<std::string> clickOnTheList();
std::vector<std::string> downloadKeys();
std::vector<std::string> completedCycle(int downloads);
// The menu entries that a completed cycle has the stand-in carry out: the transfers view, then for
// each download, on its row, more sources, resume, and clearing finished and failed downloads.
std::vector<std::string> completedCycleCommands(int downloads);

}  // namespace e2e
