// What only Windows itself shows, and Wine cannot: the foreground lock, the "(Not Responding)"
// ghost of a hung client, a screen reader naming the number box from its own process, and a client
// running above Trawlix's integrity level. Under Wine each test skips, saying why.
#include <gtest/gtest.h>

#include <oleacc.h>
#include <sddl.h>

#include <atomic>

#include "E2eSupport.h"
#include "shell/ControlIds.h"

namespace ids = trawlix::ids;

namespace {

void enable(const e2e::App& app, const std::string& downloads) {
    app.setText(ids::numberdl, downloads);
    app.setText(ids::interval, "0");
    app.click(ids::go);
    ASSERT_TRUE(e2e::waitUntil([&] { return !app.visible(); }));
}

// Counts every key injected anywhere on the desktop while it lives: a low-level hook sees input
// before any window does, so it also counts keys that went to a ghost window or to no window.
class InjectedKeys {
public:
    InjectedKeys() {
        count_ = 0;
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, ready] {
            threadId_ = GetCurrentThreadId();
            HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, onKey, GetModuleHandleA(nullptr), 0);
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue that WM_QUIT comes to
            SetEvent(ready);
            while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
            UnhookWindowsHookEx(hook);
        });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }
    ~InjectedKeys() {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    InjectedKeys(const InjectedKeys&) = delete;
    InjectedKeys& operator=(const InjectedKeys&) = delete;
    int count() const { return count_; }

private:
    static LRESULT CALLBACK onKey(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION && (reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->flags & LLKHF_INJECTED)) ++count_;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline std::atomic<int> count_{0};
    std::thread thread_;
    DWORD threadId_ = 0;
};

LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window of the test's own in front, as the program the user works in.
HWND takeTheFront() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = plainWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "UsersProgram";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "UsersProgram", "The user's program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                  400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!SetForegroundWindow(window)) {
        // Windows lets the process that received the last input take the front.
        e2e::pressKeys({VK_MENU});
        SetForegroundWindow(window);
    }
    return window;
}

TEST(WindowsOnly, ForegroundLockKeepsTheClientBehindAndTheCycleWaitsForTheNextTick) {
    if (e2e::underWine()) GTEST_SKIP() << "Wine has no foreground lock: SetForegroundWindow always succeeds there";
    e2e::StandIn client;
    e2e::App app;
    enable(app, "1");
    HWND front = takeTheFront();
    ASSERT_EQ(GetForegroundWindow(), front) << "the test could not take the front";
    ASSERT_TRUE(LockSetForegroundWindow(LSFW_LOCK));
    InjectedKeys keys;
    PostMessageA(app.window(), WM_TIMER, 1, 0);  // a tick, with no front handed on
    // Trawlix waits up to 2 s for the client to come forward, then sends nothing.
    Sleep(4000);
    EXPECT_EQ(GetForegroundWindow(), front);
    EXPECT_EQ(keys.count(), 0);
    EXPECT_TRUE(client.inputLog().empty());
    LockSetForegroundWindow(LSFW_UNLOCK);

    app.tick();
    const auto expected = e2e::completedCycle(1);
    e2e::waitUntil([&] { return client.inputLog().size() >= expected.size(); });
    EXPECT_EQ(client.inputLog(), expected);
    DestroyWindow(front);
}

struct GhostSearch {
    std::string title;
    HWND found = nullptr;
};

BOOL CALLBACK matchGhost(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<GhostSearch*>(lParam);
    char title[512] = "";
    GetWindowTextA(window, title, sizeof title);  // reads no message: the client does not answer
    if (IsWindowVisible(window) && search->title == title) search->found = window;
    return search->found ? FALSE : TRUE;
}

TEST(WindowsOnly, GhostOfAClientHungInFrontGetsNothingTyped) {
    if (e2e::underWine()) GTEST_SKIP() << "Wine puts no \"(Not Responding)\" ghost window in a hung window's place";
    e2e::StandIn client;
    e2e::App app;
    enable(app, "2");
    char title[512] = "";
    GetWindowTextA(client.window(), title, sizeof title);
    SetForegroundWindow(client.window());
    ShowWindow(client.window(), SW_MAXIMIZE);
    ASSERT_TRUE(client.hang(20000));
    // Windows draws the ghost, whose title begins with the client's, once the hung window is
    // asked to come forward and has not answered for 5 s.
    ASSERT_TRUE(e2e::waitUntil([&] { return IsHungAppWindow(client.window()) != FALSE; }, 8000));
    SetForegroundWindow(client.window());
    GhostSearch ghost{std::string(title) + " (Not Responding)"};
    const bool ghostSeen = e2e::waitUntil(
        [&] {
            EnumWindows(matchGhost, reinterpret_cast<LPARAM>(&ghost));
            return ghost.found != nullptr;
        },
        5000);
    InjectedKeys keys;
    app.tick();
    Sleep(4000);
    EXPECT_EQ(keys.count(), 0) << (ghostSeen ? "the ghost window was in front" : "no ghost window appeared");
    ASSERT_TRUE(client.waitForLogLine("hang over", 30000));
    EXPECT_FALSE(e2e::waitUntil([&] { return !client.inputLog().empty(); }, 1500));
}

TEST(WindowsOnly, ScreenReaderInAnotherProcessNamesTheNumberBoxes) {
    if (e2e::underWine())
        GTEST_SKIP()
            << "Wine serves accessible objects only inside the window's own process (E_NOINTERFACE across processes)";
    CoInitialize(nullptr);
    {
        e2e::App app;
        EXPECT_EQ(e2e::accessibleName(app.control(ids::numberdl)),
                  "Number of simulatneous downloads you want in KaZaA");
        EXPECT_EQ(e2e::accessibleName(app.control(ids::interval)), "Every");
    }
    CoUninitialize();
}

// Trawlix.exe started as by a user in a sandbox: this test's own token with the low integrity
// label, so that the stand-in, at the test's level, runs above it as a client started as
// administrator runs above a Trawlix started normally. Ended with the test.
class LowIntegrityTrawlix {
public:
    LowIntegrityTrawlix() {
        HANDLE own = nullptr, low = nullptr;
        PSID lowLabel = nullptr;
        OpenProcessToken(GetCurrentProcess(),
                         TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ADJUST_DEFAULT | TOKEN_ASSIGN_PRIMARY, &own);
        DuplicateTokenEx(own, 0, nullptr, SecurityImpersonation, TokenPrimary, &low);
        ConvertStringSidToSidA("S-1-16-4096", &lowLabel);
        TOKEN_MANDATORY_LABEL label{};
        label.Label.Attributes = SE_GROUP_INTEGRITY;
        label.Label.Sid = lowLabel;
        const bool labelled = low && lowLabel &&
                              SetTokenInformation(low, TokenIntegrityLevel, &label,
                                                  sizeof label + GetLengthSid(lowLabel));
        std::string commandLine = "\"" + e2e::programDir() + "\\Trawlix.exe\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (labelled && !CreateProcessAsUserA(low, nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                              e2e::programDir().c_str(), &startup, &info_))
            info_ = {};
        if (lowLabel) LocalFree(lowLabel);
        if (low) CloseHandle(low);
        if (own) CloseHandle(own);
        e2e::waitUntil(
            [&] {
                window_ = e2e::findTopLevelWindow(info_.dwProcessId, "Trawlix 1.10");
                return info_.hProcess && window_ && IsWindowVisible(window_);
            },
            60000);
    }
    ~LowIntegrityTrawlix() {
        if (!info_.hProcess) return;
        TerminateProcess(info_.hProcess, 0);
        WaitForSingleObject(info_.hProcess, 10000);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    LowIntegrityTrawlix(const LowIntegrityTrawlix&) = delete;
    LowIntegrityTrawlix& operator=(const LowIntegrityTrawlix&) = delete;
    HWND window() const { return window_; }
    DWORD processId() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_{};
    HWND window_ = nullptr;
};

TEST(WindowsOnly, ClientAboveTrawlixGetsNothingAndTheUserIsToldOnce) {
    if (e2e::underWine()) GTEST_SKIP() << "Wine runs every process at the same integrity level";
    e2e::clearSettings();
    e2e::StandIn client;
    LowIntegrityTrawlix trawlix;
    ASSERT_TRUE(trawlix.window()) << "Trawlix did not start at low integrity";
    // A higher level may drive a lower one's window: armed through its controls.
    SendMessageA(GetDlgItem(trawlix.window(), ids::numberdl), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1"));
    SendMessageA(GetDlgItem(trawlix.window(), ids::interval), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));
    SendMessageA(GetDlgItem(trawlix.window(), ids::go), BM_CLICK, 0, 0);
    InjectedKeys keys;
    // Three ticks: the first tells the user, the two that come while the message is open look again
    // in silence.
    for (int tick = 0; tick < 3; ++tick) {
        PostMessageA(trawlix.window(), WM_TIMER, 1, 0);
        Sleep(2000);
    }
    auto box = e2e::waitForMessageBox(trawlix.processId());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Trawlix 1.10 - By Orvane");
    EXPECT_EQ(box->text,
              "KaZaA Media Desktop runs as administrator, so Windows keeps Trawlix's keys and clicks out "
              "of it. Start Trawlix as administrator too, or start KaZaA normally.");
    e2e::dismissMessageBox(box->box);
    ASSERT_TRUE(e2e::waitUntil([&] { return !IsWindow(box->box); }));
    PostMessageA(trawlix.window(), WM_TIMER, 1, 0);
    EXPECT_FALSE(e2e::waitForMessageBox(trawlix.processId(), 4000)) << "told more than once";
    EXPECT_EQ(keys.count(), 0);
    EXPECT_TRUE(client.inputLog().empty());
    EXPECT_FALSE(IsZoomed(client.window()));
}

}  // namespace
