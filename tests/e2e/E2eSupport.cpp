#include "E2eSupport.h"

#include <shlobj.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

namespace e2e {

namespace {
constexpr const char* kSettingsKey = "Software\\Trawlix";

struct WindowSearch {
    DWORD processId;
    std::string title;
    const char* className;
    HWND found;
};

std::string quoted(const std::string& text) { return std::string(1, '"').append(text).append(1, '"'); }

BOOL CALLBACK matchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) return TRUE;
    char name[256] = "";
    if (search->className) {
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) != search->className || !IsWindowVisible(window)) return TRUE;
    } else {
        GetWindowTextA(window, name, sizeof name);
        if (search->title != name) return TRUE;
    }
    search->found = window;
    return FALSE;
}
}  // namespace

std::string binDir() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

std::string programDir() {
    static const std::string folder = [] {
        char path[MAX_PATH] = "";
        const DWORD length = GetEnvironmentVariableA("TRAWLIX_E2E_PROGRAM_DIR", path, MAX_PATH);
        return length > 0 && length < MAX_PATH ? std::string(path, length) : binDir();
    }();
    return folder;
}

bool underWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

int waitFactor() {
    static const int factor = [] {
        char text[16] = "";
        const DWORD length = GetEnvironmentVariableA("TRAWLIX_E2E_WAIT_FACTOR", text, sizeof text);
        const int value = length > 0 && length < sizeof text ? std::atoi(text) : 1;
        return value > 0 ? value : 1;
    }();
    return factor;
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const int limit = timeoutMs * waitFactor();
    for (int waited = 0;; waited += 50) {
        if (condition()) return true;
        if (waited >= limit) return false;
        Sleep(50);
    }
}

void clearSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

std::optional<std::string> userRegistryText(const char* key, const char* name) {
    char value[4096];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(value);
}

std::optional<std::string> storedSetting(const char* name) { return userRegistryText(kSettingsKey, name); }

std::vector<std::string> storedSettings() {
    std::vector<std::string> values;
    for (const char* name : {"ndownloads", "interval", "timeunit"})
        values.push_back(storedSetting(name).value_or("(missing)"));
    return values;
}

void storeSetting(const char* name, const std::string& value) {
    storeRawSetting(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void storeRawSetting(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

std::optional<MessageBoxInfo> waitForMessageBox(DWORD processId, int timeoutMs) {
    WindowSearch search{processId, "", "#32770", nullptr};
    if (!waitUntil([&] { return !EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search)) && search.found; },
                   timeoutMs))
        return std::nullopt;
    MessageBoxInfo info;
    info.box = search.found;
    char text[1024] = "";
    GetWindowTextA(info.box, text, sizeof text);
    info.caption = text;
    text[0] = '\0';
    GetDlgItemTextA(info.box, 0xFFFF, text, sizeof text);
    info.text = text;
    return info;
}

void dismissMessageBox(HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }

std::string windowText(HWND window) {
    char text[4096] = "";
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND findTopLevelWindow(DWORD processId, const std::string& title) {
    WindowSearch search{processId, title, nullptr, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Process::Process(const std::string& exe, const std::string& arguments, const std::string& folder) {
    std::string commandLine = quoted(folder + "\\" + exe).append(" ").append(arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info_))
        info_ = {};
}

Process::~Process() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Process::waitForExit(int timeoutMs) {
    return info_.hProcess &&
           WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeoutMs * waitFactor())) == WAIT_OBJECT_0;
}

DWORD Process::exitCode() const {
    DWORD code = STILL_ACTIVE;
    if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

namespace {
// Every test starts Trawlix from an empty settings key unless it stored settings of its own.
const std::string& afterSettings(bool keepSettings, const std::string& exe) {
    if (!keepSettings) clearSettings();
    return exe;
}
std::string freshLog(const std::string& path) {
    DeleteFileA(path.c_str());
    return quoted(path);
}
}  // namespace

App::App(bool keepSettings, const std::string& folder, const std::string& arguments, const std::string& exe,
         const std::string& title)
    : process_(afterSettings(keepSettings, exe), arguments, folder) {
    // Up once the window is on the desktop, or hidden behind its icon (a start with /enable).
    waitUntil(
        [&] {
            window_ = findTopLevelWindow(process_.id(), title);
            return window_ && (IsWindowVisible(window_) || e2e::iconPresent(window_));
        },
        60000);
}

void App::setText(int id, const std::string& text) const {
    SendMessageA(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void App::click(int id) const { SendMessageA(control(id), BM_CLICK, 0, 0); }

void App::postClick(int id) const { PostMessageA(control(id), BM_CLICK, 0, 0); }

void App::command(int id) const { PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(id), 0); }

void App::tick() const {
    AllowSetForegroundWindow(process_.id());
    PostMessageA(window_, WM_TIMER, 1, 0);
}

void App::trayCallback(int mouseCode) const { PostMessageA(window_, WM_MOUSEMOVE, 0, mouseCode); }

void App::typeChar(int id, char c) const { PostMessageA(control(id), WM_CHAR, static_cast<unsigned char>(c), 1); }

HWND App::focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info);
    return info.hwndFocus;
}

namespace {
// A Windows path as the Unix programs started below see it.
std::string unixPath(const std::string& windowsPath) {
    using UnixFileName = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH];
    if (!toUnix || !MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH)) return {};
    char* path = toUnix(wide);
    if (!path) return {};
    std::string result(path);
    HeapFree(GetProcessHeap(), 0, path);
    return result;
}
}  // namespace

std::optional<std::string> readXScreen(const RECT& area, const std::string& output) {
    // Wine starts a Unix program for CreateProcess but gives no handle to wait on: the shell moves
    // the finished answer into place, and the test waits for that file.
    static int reads = 0;
    const std::string answer = binDir() + "\\xscreen-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++reads) + ".txt";
    const std::string unixAnswer = unixPath(answer);
    std::string target = output;
    if (output.size() > 2 && output[1] == ':') target = "'" + unixPath(output) + "'";
    if (unixAnswer.empty() || target.empty() || target == "''") return std::nullopt;
    const std::string geometry = std::to_string(area.right - area.left) + "x" + std::to_string(area.bottom - area.top) +
                                 "+" + std::to_string(area.left) + "+" + std::to_string(area.top);
    std::string command = "/bin/sh -c \"import -window root -crop " + geometry + " +repage " + target + " >'" +
                          unixAnswer + ".part' 2>&1; mv '" + unixAnswer + ".part' '" + unixAnswer + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return std::nullopt;
    if (started.hThread) CloseHandle(started.hThread);
    if (started.hProcess) CloseHandle(started.hProcess);
    if (!waitUntil([&] { return GetFileAttributesA(answer.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000))
        return std::nullopt;
    std::ifstream file(answer);
    std::string printed((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();
    DeleteFileA(answer.c_str());
    return printed;
}

int xScreenColours(const RECT& area) {
    const auto printed = readXScreen(area, "-format %k info:");
    return printed ? std::atoi(printed->c_str()) : 0;
}

bool trayIconCall(DWORD message, HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 1;
    return Shell_NotifyIconA(message, &data) != FALSE;
}

LRESULT CALLBACK WindowOfClass::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WindowOfClass*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) return self->onCopyData_ ? self->onCopyData_(wParam, lParam) : FALSE;
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

WindowOfClass::WindowOfClass(std::string className, CopyData onCopyData)
    : className_(std::move(className)), onCopyData_(std::move(onCopyData)) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Its own thread answers the programs' messages while the test waits.
    thread_ = std::thread([this, ready] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className_.c_str();
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className_.c_str(), nullptr, WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetEvent(ready);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
        UnregisterClassA(className_.c_str(), windowClass.hInstance);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

WindowOfClass::~WindowOfClass() {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    thread_.join();
}

namespace {
struct NextWindowOfClass {
    HWND inFront;
    const char* className;
    HWND found;
};
BOOL CALLBACK findNextWindowOfClass(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<NextWindowOfClass*>(lParam);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (window == search->inFront || lstrcmpA(className, search->className) != 0) return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

LRESULT WindowOfClass::forward(WPARAM wParam, LPARAM lParam) const {
    NextWindowOfClass search{window_, className_.c_str(), nullptr};
    EnumWindows(findNextWindowOfClass, reinterpret_cast<LPARAM>(&search));
    DWORD_PTR answer = FALSE;
    if (search.found) SendMessageTimeoutA(search.found, WM_COPYDATA, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer);
    return static_cast<LRESULT>(answer);
}

HWND visiblePopupMenu() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

std::string shellFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
std::string installFolder() { return shellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Trawlix"; }
std::string startMenuShortcut() { return shellFolder(CSIDL_PROGRAMS) + "\\Trawlix.lnk"; }
std::string startMenuReadme() { return shellFolder(CSIDL_PROGRAMS) + "\\Trawlix README.lnk"; }

void pressKeys(const std::vector<WORD>& keys) {
    for (WORD key : keys) {
        keybd_event(static_cast<BYTE>(key), 0, 0, 0);
        keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
    }
}

namespace {
// Each stand-in of a test program logs to a file of its own.
std::string nextLogPath() {
    static int started = 0;
    return binDir() + "\\standin-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++started) + ".log";
}
}  // namespace

StandIn::StandIn(const std::string& options)
    : logPath_(nextLogPath()), process_("StandInClient.exe", freshLog(logPath_).append(" ").append(options)) {
    // By its class: options may give it another title.
    WindowSearch search{process_.id(), "", "TrawlixStandInClient", nullptr};
    waitUntil([&] { return !EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search)) && search.found; }, 60000);
    window_ = search.found;
}

std::vector<std::string> StandIn::log() const {
    std::vector<std::string> lines;
    std::ifstream file(logPath_);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> StandIn::inputLog() const {
    std::vector<std::string> input;
    for (const auto& line : log())
        if (line.rfind("key ", 0) == 0 || line.rfind("button ", 0) == 0) input.push_back(line);
    return input;
}

std::vector<std::string> StandIn::commands() const {
    std::vector<std::string> entries;
    for (const auto& line : log())
        if (line.rfind("command ", 0) == 0) entries.push_back(line);
    return entries;
}

std::vector<std::string> StandIn::newInput() {
    std::vector<std::string> input;
    if (!newInputFile_.is_open()) newInputFile_.open(logPath_, std::ios::binary);
    newInputFile_.clear();
    newInputFile_.seekg(newInputFrom_);
    // Only whole lines: the stand-in may be writing the next one.
    for (std::string line; std::getline(newInputFile_, line) && !newInputFile_.eof();) {
        newInputFrom_ += static_cast<std::streamoff>(line.size() + 1);
        if (line.rfind("key ", 0) == 0 || line.rfind("button ", 0) == 0) input.push_back(line);
    }
    return input;
}

bool StandIn::waitForLogLine(const std::string& line, int timeoutMs) const {
    return waitUntil(
        [&] {
            for (const auto& l : log())
                if (l == line) return true;
            return false;
        },
        timeoutMs);
}

bool StandIn::hang(DWORD milliseconds) const {
    PostMessageA(window_, WM_APP, milliseconds, 0);
    return waitForLogLine("hang " + std::to_string(milliseconds));
}

std::vector<std::string> taps(int key, int times) {
    std::vector<std::string> out;
    for (int i = 0; i < times; ++i) {
        out.push_back("key down " + std::to_string(key));
        out.push_back("key up " + std::to_string(key));
    }
    return out;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Alt, Right, five Downs and Enter pick the transfers view from the menu bar.
std::vector<std::string> menuCommandKeys() { return taps(18) + taps(39) + taps(40, 5) + taps(13); }

std::vector<std::string> clickOnTheList() { return {"button down 119 150", "button up 119 150"}; }

// Applications and E, Enter; Applications and R, Enter; Applications and five Downs, Enter; Down.
std::vector<std::string> downloadKeys() {
    return taps(93) + taps(69) + taps(13) + taps(93) + taps(82) + taps(13) + taps(93) + taps(40, 5) + taps(13) +
           taps(40);
}

std::vector<std::string> completedCycle(int downloads) {
    std::vector<std::string> keys = menuCommandKeys() + clickOnTheList();
    const std::vector<std::string> download = downloadKeys();
    for (int i = 0; i < downloads; ++i) keys.insert(keys.end(), download.begin(), download.end());
    return keys + taps(38, downloads);
}

std::vector<std::string> completedCycleCommands(int downloads) {
    std::vector<std::string> entries = {"command show transfers"};
    for (int row = 1; row <= downloads; ++row)
        entries = entries + std::vector<std::string>{"command more sources " + std::to_string(row),
                                                     "command resume " + std::to_string(row),
                                                     "command clear finished " + std::to_string(row)};
    return entries;
}

}  // namespace e2e
