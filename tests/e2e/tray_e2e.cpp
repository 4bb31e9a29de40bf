// The main window and its notification-area icon: minimizing, the icon's mouse codes, the popup
// menu, the ways out, and a restarted shell.
#include <gtest/gtest.h>

#include <atomic>

#include "E2eSupport.h"
#include "shell/ControlIds.h"

namespace ids = trawlix::ids;

namespace {

void minimize(const e2e::App& app) {
    SendMessageA(app.window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(e2e::waitUntil([&] { return !app.visible() && app.iconPresent(); }));
}

TEST(TrayIcon, MinimizeHidesBehindOneIconAndDoubleClickRestores) {
    e2e::App app;
    for (int round = 0; round < 2; ++round) {
        minimize(app);
        EXPECT_FALSE(e2e::trayIconCall(NIM_ADD, app.window()));  // the shell refuses a second one
        app.trayCallback(515);
        // Restoring already makes the window visible, a moment before the icon goes: both awaited.
        EXPECT_TRUE(e2e::waitUntil([&] { return app.visible() && !IsIconic(app.window()) && !app.iconPresent(); }));
    }
}

// A later start, as from the Start menu: a process that ends without a window of its own.
bool startsAgainAndEnds(const std::string& arguments = "", int timeoutMs = 5000) {
    e2e::Process again("Trawlix.exe", arguments, e2e::programDir());
    return again.waitForExit(timeoutMs) && again.exitCode() == 0;
}

struct BoxCount {
    DWORD processId;
    int boxes;
};

BOOL CALLBACK countMessageBox(HWND window, LPARAM lParam) {
    auto* count = reinterpret_cast<BoxCount*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (owner == count->processId && IsWindowVisible(window) && std::string(className) == "#32770") ++count->boxes;
    return TRUE;
}

int visibleMessageBoxes(DWORD processId) {
    BoxCount count{processId, 0};
    EnumWindows(countMessageBox, reinterpret_cast<LPARAM>(&count));
    return count.boxes;
}

TEST(TrayIcon, ASecondStartShowsTheCopyBehindItsIconAndTouchesNoSettings) {
    e2e::App running;
    running.setText(ids::numberdl, "5");
    minimize(running);
    ASSERT_TRUE(startsAgainAndEnds());
    EXPECT_TRUE(e2e::waitUntil([&] { return running.visible() && !running.iconPresent(); }, 5000));
    EXPECT_FALSE(IsIconic(running.window()));
    EXPECT_TRUE(e2e::waitUntil([&] { return GetForegroundWindow() == running.window(); }, 5000));
    EXPECT_EQ(e2e::storedSettings(), (std::vector<std::string>{"(missing)", "(missing)", "(missing)"}));
    EXPECT_EQ(running.text(ids::numberdl), "5");
}

// Waits for the process to end while answering the messages sent to this thread, as a thread
// waiting in a call of its own does.
bool endsWhileThisThreadAnswers(e2e::Process& process, int timeoutMs) {
    HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process.id());
    bool ended = false;
    for (const DWORD start = GetTickCount(); handle && !ended && GetTickCount() - start < DWORD(timeoutMs);) {
        ended = MsgWaitForMultipleObjects(1, &handle, FALSE, 100, QS_SENDMESSAGE) == WAIT_OBJECT_0;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // runs the sent ones
    }
    if (handle) CloseHandle(handle);
    return ended;
}

TEST(TrayIcon, ASecondStartWhileTheCopyWaitsOnTheShellLeavesWindowAndIconInStep) {
    // The shell takes each icon call in and is slow to answer: a start comes meanwhile, at each of
    // the calls Enable makes in turn.
    std::atomic<int> calls{0};
    std::atomic<int> startAt{0};
    std::atomic<bool> startEnded{false};
    e2e::NotificationAreaInFront* area = nullptr;
    e2e::NotificationAreaInFront busyShell([&](WPARAM wParam, LPARAM lParam) {
        const LRESULT answer = area->forward(wParam, lParam);
        if (++calls == startAt) {
            e2e::Process again("Trawlix.exe", "", e2e::programDir());
            startEnded = endsWhileThisThreadAnswers(again, 10000 * e2e::waitFactor());
        }
        return answer;
    });
    area = &busyShell;
    e2e::App app;
    calls = 0;
    app.click(ids::go);
    const int enableCalls = calls;
    ASSERT_GT(enableCalls, 0);
    for (int k = 1; k <= enableCalls; ++k) {
        SCOPED_TRACE("the start came during icon call " + std::to_string(k));
        app.command(ids::mnuShow);
        ASSERT_TRUE(e2e::waitUntil([&] { return app.visible() && !app.iconPresent(); }));
        app.click(ids::stops);
        calls = 0;
        startAt = k;
        app.click(ids::go);
        startAt = 0;
        EXPECT_TRUE(startEnded);
        // Shown as the start asked, with no icon: never hidden with none, the copy out of reach.
        EXPECT_TRUE(e2e::waitUntil([&] { return app.visible() && !app.iconPresent(); }, 5000))
            << "visible " << app.visible() << ", icon " << app.iconPresent();
        startEnded = false;
    }
}

TEST(TrayIcon, ASecondStartBringsTheRunningCopysMessageForwardAndAddsNone) {
    // Armed behind its icon with no client to find: the "not running" message, owned by no window.
    e2e::App running;
    running.setText(ids::interval, "0");
    running.click(ids::go);
    ASSERT_TRUE(e2e::waitUntil([&] { return !running.visible(); }));
    running.tick();
    const auto box = e2e::waitForMessageBox(running.processId());
    ASSERT_TRUE(box);
    ASSERT_TRUE(startsAgainAndEnds());
    EXPECT_TRUE(e2e::waitUntil([&] { return running.visible(); }, 5000));
    EXPECT_TRUE(e2e::waitUntil([&] { return GetForegroundWindow() == box->box; }, 5000));
    EXPECT_EQ(visibleMessageBoxes(running.processId()), 1);
    e2e::dismissMessageBox(box->box);
    EXPECT_TRUE(running.waitForExit());  // as the message says
}

TEST(TrayIcon, AHungCopyHoldsAStartTwoSecondsAtMostAClosingOneUntilItEndsAndAStartAfterAKillRuns) {
    {
        e2e::App hung;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(hung.window(), nullptr));
        ASSERT_NE(SuspendThread(thread), static_cast<DWORD>(-1));
        const DWORD started = GetTickCount();
        EXPECT_TRUE(startsAgainAndEnds("", 10000));
        EXPECT_LT(GetTickCount() - started, 4000u * e2e::waitFactor());  // two seconds of waiting, and its own start
        ResumeThread(thread);
        CloseHandle(thread);
    }
    {
        // A copy held closing: unloaded as at a sign-out, its process still there. The start waits
        // past the two seconds a hung copy gets, and runs once the copy has ended.
        e2e::App closing;
        SendMessageA(closing.window(), WM_ENDSESSION, TRUE, 0);
        e2e::Process next("Trawlix.exe", "", e2e::programDir());
        EXPECT_FALSE(next.waitForExit(3000));
        EXPECT_FALSE(e2e::findTopLevelWindow(next.id(), "Trawlix 1.10"));
        PostMessageA(closing.window(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(closing.waitForExit());
        EXPECT_TRUE(
            e2e::waitUntil([&] { return IsWindowVisible(e2e::findTopLevelWindow(next.id(), "Trawlix 1.10")); }, 5000));
    }
    // The copy started above was killed when its App went: the next start runs as the first.
    e2e::App afterKill(true);
    EXPECT_TRUE(afterKill.window() && afterKill.visible());
}

// The mutex a copy started as administrator makes, as a normal start meets it: there, and not
// to be opened (an empty access list). Windows and Wine alike refuse it to every other process.
class MutexOutOfReach {
public:
    MutexOutOfReach() {
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        ACL nobody;
        InitializeAcl(&nobody, sizeof nobody, ACL_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, &nobody, FALSE);
        SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
        mutex_ = CreateMutexA(&attributes, TRUE, "Local\\Trawlix.SingleCopy");
    }
    ~MutexOutOfReach() {
        if (mutex_) CloseHandle(mutex_);
    }
    MutexOutOfReach(const MutexOutOfReach&) = delete;
    MutexOutOfReach& operator=(const MutexOutOfReach&) = delete;
    explicit operator bool() const { return mutex_ != nullptr; }

private:
    HANDLE mutex_ = nullptr;
};

TEST(TrayIcon, ACopyOutOfReachIsNamedInOneBoxAndNoSecondCopyStarts) {
    // What a copy started as administrator leaves a normal start: its mutex, and its main window,
    // which that start finds but may not send to.
    MutexOutOfReach elevated;
    ASSERT_TRUE(elevated);
    e2e::WindowOfClass elevatedWindow("TrawlixMainWindow");
    e2e::Process start("Trawlix.exe", "", e2e::programDir());
    const auto box = e2e::waitForMessageBox(start.id());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Trawlix 1.10 - By Orvane");
    EXPECT_EQ(box->text,
              "Trawlix already runs as administrator, and Windows keeps this start from showing it. "
              "Start Trawlix as administrator to show it, or exit it and start Trawlix normally.");
    EXPECT_FALSE(e2e::findTopLevelWindow(start.id(), "Trawlix 1.10"));
    // Started again while the box is open, plain and from the sign-in entry: no second box.
    EXPECT_TRUE(startsAgainAndEnds());
    EXPECT_TRUE(startsAgainAndEnds("/enable"));
    EXPECT_EQ(visibleMessageBoxes(start.id()), 1);
    e2e::dismissMessageBox(box->box);
    EXPECT_TRUE(start.waitForExit());
    EXPECT_EQ(start.exitCode(), 0u);
}

TEST(TrayIcon, AMutexOutOfReachWithNoTrawlixWindowLetsTheStartRunAsTheFirst) {
    // What a start at low integrity meets, which may make no mutex at all: it runs, and says nothing.
    MutexOutOfReach unreachable;
    ASSERT_TRUE(unreachable);
    e2e::Process start("Trawlix.exe", "", e2e::programDir());
    HWND window = nullptr;
    EXPECT_TRUE(e2e::waitUntil([&] {
        window = e2e::findTopLevelWindow(start.id(), "Trawlix 1.10");
        return window && IsWindowVisible(window);
    }));
    EXPECT_FALSE(e2e::waitForMessageBox(start.id(), 1000));
}

TEST(TrayIcon, OtherMouseCodesDoNothing) {
    e2e::App app;
    minimize(app);
    for (int code : {512, 513, 514, 517, 518, 200}) app.trayCallback(code);
    Sleep(300);
    EXPECT_FALSE(app.visible());
    EXPECT_TRUE(app.iconPresent());
    EXPECT_FALSE(e2e::visiblePopupMenu());
}

TEST(TrayIcon, RightButtonOpensThePopupAndExitSavesAndRemovesTheIcon) {
    e2e::App app;
    app.setText(ids::numberdl, "5");
    app.setText(ids::interval, "2");
    app.setText(ids::timeunits, "Hours");
    minimize(app);
    HWND window = app.window();
    app.trayCallback(516);
    ASSERT_TRUE(e2e::waitUntil([] { return e2e::visiblePopupMenu() != nullptr; }));
    e2e::pressKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});  // &Show &Enable &Disable &Exit
    ASSERT_TRUE(app.waitForExit());
    EXPECT_EQ(e2e::storedSettings(), (std::vector<std::string>{"5", "2", "Hours"}));
    EXPECT_FALSE(e2e::iconPresent(window));
}

TEST(TrayIcon, PopupShowRestoresTheWindow) {
    e2e::App app;
    minimize(app);
    app.trayCallback(516);
    ASSERT_TRUE(e2e::waitUntil([] { return e2e::visiblePopupMenu() != nullptr; }));
    e2e::pressKeys({VK_DOWN, VK_RETURN});
    EXPECT_TRUE(e2e::waitUntil([&] { return app.visible() && !app.iconPresent(); }));
}

TEST(TrayIcon, RestartedShellGetsTheIconBackOnlyWhileHidden) {
    e2e::App app;
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    auto shellRestarts = [&] {
        e2e::trayIconCall(NIM_DELETE, app.window());
        DWORD_PTR result;
        SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    };
    minimize(app);
    shellRestarts();
    EXPECT_TRUE(e2e::waitUntil([&] { return app.iconPresent(); }, 5000));

    app.command(ids::mnuShow);
    ASSERT_TRUE(e2e::waitUntil([&] { return app.visible(); }));
    shellRestarts();
    Sleep(300);
    EXPECT_FALSE(app.iconPresent());
}

TEST(TrayIcon, IconAppearsOnceTheNotificationAreaDoes) {
    e2e::App app;
    {
        e2e::MissingNotificationArea signingIn;
        SendMessageA(app.window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ASSERT_FALSE(app.visible());
        Sleep(1500);  // the first retry is refused too
    }
    EXPECT_TRUE(e2e::waitUntil([&] { return app.iconPresent(); }, 5000));
    EXPECT_FALSE(e2e::trayIconCall(NIM_ADD, app.window()));  // one icon
}

TEST(TrayIcon, ExitButtonLogOffAndAnInstallerClosingAppsSaveTheSettings) {
    {
        e2e::App app;
        app.setText(ids::numberdl, "6");
        SendMessageA(app.window(), WM_QUERYENDSESSION, 0, 0);
        SendMessageA(app.window(), WM_ENDSESSION, TRUE, 0);
        EXPECT_EQ(e2e::storedSetting("ndownloads"), "6");
    }
    {
        // The Restart Manager's close: the copy saves and ends itself, and a start right after runs.
        e2e::App app;
        app.setText(ids::numberdl, "7");
        SendMessageA(app.window(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP);
        SendMessageA(app.window(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
        EXPECT_EQ(e2e::storedSetting("ndownloads"), "7");
        EXPECT_TRUE(app.waitForExit(5000));
        e2e::Process next("Trawlix.exe", "", e2e::programDir());
        EXPECT_TRUE(e2e::waitUntil([&] { return e2e::findTopLevelWindow(next.id(), "Trawlix 1.10"); }, 5000));
    }
    e2e::App app;
    app.setText(ids::numberdl, "12");
    app.click(ids::Command1);
    EXPECT_TRUE(app.waitForExit());
    EXPECT_EQ(e2e::storedSetting("ndownloads"), "12");
}

}  // namespace
